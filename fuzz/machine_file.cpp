// The machine-file loader of the simulated machine (JSON with comments): a file it cannot
// use is refused with a MachineFileError that names the file and the place, and nothing
// else escapes; a machine it loads answers the drive queries.
#include "platform/sim/machine_file_error.h"
#include "platform/sim/sim_platform.h"
#include "support/check.h"

using namespace zv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<sim::SimPlatform> machine;
    try {
        machine = sim::SimPlatform::fromText(text, "fuzz.json");
    } catch (const sim::MachineFileError& error) {
        FUZZ_CHECK(error.file() == "fuzz.json" && !error.place().empty() && !error.problem().empty());
        return 0;
    }
    auto& drives = machine->drives();
    const win::DWORD letters = drives.GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(letters & (1u << i))) continue;
        const char root[4] = {char('A' + i), ':', '\\', 0};
        drives.GetDriveTypeA(root);
        char label[261] = {}, fileSystem[261] = {};
        win::DWORD serial = 0, length = 0, flags = 0;
        drives.GetVolumeInformationA(root, label, sizeof label, &serial, &length, &flags, fileSystem, sizeof fileSystem);
        win::ULONGLONG free = 0, total = 0, totalFree = 0;
        drives.GetDiskFreeSpaceExA(root, &free, &total, &totalFree);
    }
    FUZZ_CHECK(machine->openHandleCount() == 0);
    return 0;
}
