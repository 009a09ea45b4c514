// Limits of machine files, checked before the JSON reader sees the text: it has none of its
// own (100 MB of "[" took minutes and gigabytes).
#include "platform/sim/machine_file_limits.h"

#include "platform/sim/machine_file_error.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::sim {

namespace {

// The index after the string that starts at text[i] (a quote).
size_t skipString(const std::string& text, size_t i) {
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\\') ++i;
        else if (text[i] == '"') return i + 1;
    }
    return text.size();
}

// The index after the comment that starts at text[i] ("//" or "/*"), or i when none does.
size_t skipComment(const std::string& text, size_t i) {
    if (i + 1 >= text.size() || text[i] != '/') return i;
    if (text[i + 1] == '/') {
        const size_t end = text.find('\n', i);
        return end == std::string::npos ? text.size() : end + 1;
    }
    if (text[i + 1] == '*') {
        const size_t end = text.find("*/", i + 2);
        return end == std::string::npos ? text.size() : end + 2;
    }
    return i;
}

std::string kindOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return "a folder";
    if (S_ISFIFO(st.st_mode)) return "a pipe";
    if (S_ISCHR(st.st_mode)) return "a character device";
    if (S_ISBLK(st.st_mode)) return "a block device";
    if (S_ISSOCK(st.st_mode)) return "a socket";
    return "not a regular file";
}

std::string lineAndColumn(const std::string& text, size_t byte) {
    size_t line = 1, column = 1;
    for (size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// nlohmann's message without its "[json.exception...] " and "parse error at line L, column C: "
// prefixes.
std::string parseProblem(std::string message) {
    if (message.rfind('[', 0) == 0 && message.find("] ") != std::string::npos) message.erase(0, message.find("] ") + 2);
    if (message.rfind("parse error", 0) == 0 && message.find(": ") != std::string::npos)
        message.erase(0, message.find(": ") + 2);
    return message;
}

// A reading pass that keeps nothing but the first error and its place: the reader's own
// parse throws number overflows ("1e400") without a place.
class FirstError final : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override {
        m_position = position;
        m_problem = parseProblem(error.what());
        return false;
    }

    std::size_t position() const { return m_position; }
    const std::string& problem() const { return m_problem; }

private:
    std::size_t m_position = 0;
    std::string m_problem;
};

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

std::optional<TextProblem> findTooDeepNesting(const std::string& text) {
    int depth = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            i = skipString(text, i);
        } else if (c == '/') {
            const size_t after = skipComment(text, i);
            i = after == i ? i + 1 : after;
        } else if (c == '[' || c == '{') {
            if (++depth > kMachineFileMaxDepth)
                return TextProblem{i + 1, "nested deeper than " + std::to_string(kMachineFileMaxDepth) +
                                              " arrays and objects, the limit of a machine file"};
            ++i;
        } else if (c == ']' || c == '}') {
            --depth;
            ++i;
        } else {
            ++i;
        }
    }
    return std::nullopt;
}

void checkMachineText(const std::string& file, const std::string& text) {
    if (text.size() > kMachineFileMaxBytes)
        throw MachineFileError(file, "file", "larger than 16 MiB, the limit of a machine file");
    if (const auto deep = findTooDeepNesting(text)) throw MachineFileError(file, lineAndColumn(text, deep->byte), deep->what);
    FirstError first;
    if (!nlohmann::json::sax_parse(text, &first, nlohmann::json::input_format_t::json, true, /*ignore_comments=*/true))
        throw MachineFileError(file, lineAndColumn(text, first.position()), first.problem());
}

std::string readMachineFile(const std::string& path) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) throw MachineFileError(path, "file", std::string("cannot be read: ") + std::strerror(errno));
    struct stat st;
    if (::fstat(file.get(), &st) != 0) throw MachineFileError(path, "file", std::string("cannot be read: ") + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw MachineFileError(path, "file", "is " + kindOf(st) + ", not a machine file");
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw MachineFileError(path, "file", std::string("cannot be read: ") + std::strerror(errno));
        if (n == 0) return text;
        text.append(buffer, size_t(n));
        if (text.size() > kMachineFileMaxBytes)
            throw MachineFileError(path, "file", "larger than 16 MiB, the limit of a machine file");
    }
}

}  // namespace zv::sim
