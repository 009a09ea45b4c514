#include "cli/terminal_progress.h"

#include <unistd.h>

#include <utility>

namespace zv::cli {

TerminalProgress::TerminalProgress(std::FILE* stream, int descriptor, std::string caption)
    : m_stream(stream), m_active(::isatty(descriptor) == 1), m_caption(std::move(caption)) {}

TerminalProgress::~TerminalProgress() { clear(); }

void TerminalProgress::show(int percent) {
    if (!m_active || (percent == m_percent && m_drawn)) return;
    m_percent = percent;
    draw();
}

void TerminalProgress::clear() {
    if (!m_active || !m_drawn) return;
    // Back to the start of the line and erase it.
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_drawn = false;
}

void TerminalProgress::draw() {
    std::fprintf(m_stream, "\r\033[K%s %3d %%", m_caption.c_str(), m_percent);
    std::fflush(m_stream);
    m_drawn = true;
}

}  // namespace zv::cli
