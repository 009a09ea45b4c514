// The registry store (~/.config/zorvane/registry) as its parser reads it: never an
// exception, every unusable line reported with its number, and the text the store writes
// for what was read reads back as the same store, without a bad line.
#include "platform/linux/registry_store.h"
#include "support/check.h"

using namespace zv;

namespace {

size_t lineCount(std::string_view text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const lnx::ParsedRegistryStore parsed = lnx::parseRegistryStore(text);
    for (const lnx::BadLine& bad : parsed.badLines)
        FUZZ_CHECK(bad.line >= 1 && bad.line <= std::max<size_t>(lineCount(text), 1) && !bad.reason.empty());

    const std::string written = lnx::registryText(parsed.tree);
    const lnx::ParsedRegistryStore again = lnx::parseRegistryStore(written);
    FUZZ_CHECK(again.badLines.empty());
    FUZZ_CHECK(lnx::registryText(again.tree) == written);
    FUZZ_CHECK(again.tree.size() == parsed.tree.size());
    for (const auto& [path, key] : again.tree) FUZZ_CHECK(lnx::storableKeyPath(key.name));
    return 0;
}
