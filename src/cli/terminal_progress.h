// A progress line on a terminal: one line redrawn in place with a carriage return, and
// cleared before other output is written to the same terminal.
#pragma once

#include <cstdio>
#include <string>

namespace zv::cli {

class TerminalProgress {
public:
    // Draws on `stream` only when `descriptor` (the stream's descriptor) is a terminal.
    TerminalProgress(std::FILE* stream, int descriptor, std::string caption);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool active() const { return m_active; }
    // Redraws the line when the percentage changed.
    void show(int percent);
    // Removes the line, so that a log line takes its place; `show` draws it again.
    void clear();

private:
    void draw();

    std::FILE* m_stream;
    bool m_active;
    std::string m_caption;
    int m_percent = -1;
    bool m_drawn = false;
};

}  // namespace zv::cli
