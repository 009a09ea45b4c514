// The letters file.
#include "platform/linux/letter_memory.h"

#include "platform/linux/sysfs.h"

#include <fcntl.h>
#include <unistd.h>

namespace zv::lnx {

namespace {
std::string rememberedPath(LinuxContext& ctx) { return ctx.options().configDir + "/letters"; }
}  // namespace

std::map<char, std::string> loadRememberedLetters(LinuxContext& ctx) {
    std::map<char, std::string> remembered;
    auto data = readFileBytes(rememberedPath(ctx));
    if (!data) return remembered;
    size_t pos = 0;
    while (pos < data->size()) {
        size_t end = data->find('\n', pos);
        if (end == std::string::npos) end = data->size();
        std::string line = data->substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 2 && line[0] >= 'A' && line[0] <= 'Z' && line[1] == '\t') remembered[line[0]] = line.substr(2);
    }
    return remembered;
}

void saveRememberedLetters(LinuxContext& ctx, const std::map<char, std::string>& remembered) {
    if (ctx.options().configDir.empty()) return;
    makeFolders(ctx.options().configDir);
    std::string text = "# Drive letters last given to each volume (Zorvane)\n";
    for (const auto& [letter, key] : remembered) text += std::string(1, letter) + "\t" + key + "\n";
    std::string path = rememberedPath(ctx), temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) ::unlink(temp.c_str());
}

}  // namespace zv::lnx
