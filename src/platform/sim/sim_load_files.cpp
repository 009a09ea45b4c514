// The "files", "folders" and "short_names" sections.
#include "platform/sim/sim_loader.h"

#include "platform/sim/sim_text.h"

namespace zv::sim {

namespace {

// A path on a known drive; the medium may be absent while loading.
std::string readPath(SimCore& core, const JsonReader& value) {
    if (!value.json().is_string()) value.fail("expected a path on a drive letter such as \"C:\\\\Temp\"");
    const std::string path = value.json().get<std::string>();
    const ResolvedPath resolved = core.resolvePath(path);
    if (!resolved.drive) {
        const char letter = letterOf(path);
        if (!letter || resolved.error == ERROR_INVALID_NAME)
            value.fail("expected a path on a drive letter such as \"C:\\\\Temp\"");
        value.fail(std::string("no drive ") + letter + ": for this path");
    }
    return resolved.canonical;
}

void loadFileEntry(SimCore& core, const JsonReader& entry) {
    entry.allowOnly({"path", "text", "bytes", "size", "read_only"});
    const std::string canonical = readPath(core, entry.child("path"));
    if (canonical.size() <= 3) entry.child("path").fail("a drive root is no file");
    SimMachine& m = core.machine();
    if (m.files.count(canonical)) entry.child("path").fail("the file is listed twice");
    const int forms = int(entry.has("text")) + int(entry.has("bytes")) + int(entry.has("size"));
    if (forms > 1) entry.fail("give one of \"text\", \"bytes\" and \"size\"");
    SimFile file;
    file.path = entry.string("path");
    if (entry.has("text")) {
        const std::string text = entry.string("text");
        file.write(0, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    } else if (entry.has("bytes")) {
        const auto bytes = entry.bytes("bytes");
        file.write(0, bytes.data(), bytes.size());
    } else {
        file.size = entry.unsignedInteger("size", 0);
    }
    file.readOnly = entry.boolean("read_only", false);
    core.addFolder(parentPath(canonical));
    m.files.emplace(canonical, std::move(file));
}

}  // namespace

void loadFiles(SimCore& core, const JsonReader& root) {
    if (root.has("folders")) {
        for (const JsonReader& folder : root.items("folders")) core.addFolder(readPath(core, folder));
    }
    if (root.has("files"))
        for (const JsonReader& entry : root.items("files")) loadFileEntry(core, entry);
    if (root.has("short_names")) {
        const JsonReader names = root.child("short_names");
        if (!names.json().is_object()) names.fail("expected an object {\"long path\": \"short path\"}");
        for (const auto& item : names.json().items()) {
            const std::string shortName = names.string(item.key().c_str());
            if (!letterOf(item.key()) || !letterOf(shortName))
                names.child(item.key().c_str()).fail("expected paths on drive letters");
            core.machine().shortNames[canonicalPath(item.key())] = {item.key(), shortName};
        }
    }
}

}  // namespace zv::sim
