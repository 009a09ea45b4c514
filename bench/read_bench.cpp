// Zorvane's read benchmark beside fio on the same volume, in one run:
//   zv_bench_read_bench [MOUNT-DIRECTORY] [--size BYTES] [--runs N]
// Without MOUNT-DIRECTORY (as root) it makes its own volume: an ext4 image attached to a
// loop device with direct I/O (losetup --direct-io=on), so that no read of either program
// is answered from the host's page cache. Zorvane writes and times its temporary file
// with unbuffered 64 KiB reads; fio writes a file of its own with direct I/O and reads it
// with --direct=1 --rw=read --bs=64k, alternating with Zorvane. Prints both rates per run,
// whether anything below the volume caches reads, and the ratio of the means.
#include "platform/linux/linux_context.h"
#include "platform/linux/linux_platform.h"
#include "tools/read_speed.h"
#include "tools/read_test_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string hostPath(const std::string& mountPoint, const std::string& windowsPath) {
    std::string rest = windowsPath.substr(3);  // after "X:\"
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return (mountPoint == "/" ? std::string() : mountPoint) + "/" + rest;
}

std::string commandOutput(const std::string& command, bool* ok = nullptr) {
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    if (!pipe) {
        if (ok) *ok = false;
        return output;
    }
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), got);
    const bool success = ::pclose(pipe) == 0;
    if (ok) *ok = success;
    return output;
}

bool fioWrite(const std::string& path, uint64_t size) {
    bool ok = false;
    commandOutput("fio --name=zvwrite --filename='" + path + "' --direct=1 --rw=write --bs=64k --size=" +
                      std::to_string(size) + " --ioengine=psync --end_fsync=1 --output-format=json >/dev/null 2>&1",
                  &ok);
    return ok;
}

// fio's read rate of `path` in KiB per second; negative when fio failed.
double fioRate(const std::string& path, uint64_t size) {
    bool ok = false;
    const std::string output =
        commandOutput("fio --name=zv --readonly --filename='" + path + "' --direct=1 --rw=read --bs=64k --size=" +
                          std::to_string(size) + " --ioengine=psync --output-format=json 2>/dev/null",
                      &ok);
    if (!ok) return -1;
    try {
        const auto json = nlohmann::json::parse(output.substr(output.find('{')));
        return json["jobs"][0]["read"]["bw_bytes"].get<double>() / 1024.0;
    } catch (...) {
        return -1;
    }
}

// A volume of the benchmark's own: an ext4 image on a loop device with direct I/O,
// mounted in a temporary folder; everything is released when it goes away.
class DirectLoopVolume {
public:
    bool setUp(uint64_t fileSize) {
        m_dir = std::filesystem::temp_directory_path() / ("zv-read-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "mnt");
        const std::string image = (m_dir / "volume.img").string();
        // Room for both files and the file system's own blocks.
        const uint64_t imageSize = (2 * fileSize + (64ULL << 20)) & ~((1ULL << 20) - 1);
        bool ok = false;
        commandOutput("truncate -s " + std::to_string(imageSize) + " " + image + " && mkfs.ext4 -q -F " + image +
                          " >/dev/null 2>&1",
                      &ok);
        if (!ok) return fail("cannot make the image " + image);
        const std::string device = commandOutput("losetup --direct-io=on -f --show " + image + " 2>/dev/null", &ok);
        if (!ok || device.empty()) return fail("cannot attach a loop device with direct I/O (root needed)");
        m_loop = device.substr(0, device.find('\n'));
        commandOutput("mount " + m_loop + " " + mountPoint(), &ok);
        if (!ok) return fail("cannot mount " + m_loop);
        m_mounted = true;
        return true;
    }
    ~DirectLoopVolume() {
        if (m_mounted) commandOutput("umount " + mountPoint());
        if (!m_loop.empty()) commandOutput("losetup -d " + m_loop);
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
    }
    std::string mountPoint() const { return (m_dir / "mnt").string(); }
    std::string loop() const { return m_loop; }

private:
    bool fail(const std::string& why) {
        std::cerr << "read_bench: " << why << "\n";
        return false;
    }

    std::filesystem::path m_dir;
    std::string m_loop;
    bool m_mounted = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::string mountDir;
    uint64_t size = 256ULL << 20;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc) size = std::stoull(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::stoi(argv[++i]));
        else mountDir = arg;
    }
    DirectLoopVolume ownVolume;
    if (mountDir.empty()) {
        if (!ownVolume.setUp(size)) return 1;
        mountDir = ownVolume.mountPoint();
        std::cout << "own volume: ext4 on " << ownVolume.loop() << " with direct I/O, mounted on " << mountDir << "\n";
    }
    zv::lnx::LinuxOptions options = zv::lnx::defaultLinuxOptions();
    zv::lnx::LinuxContext letters(options);
    char letter = 0;
    std::string mountPoint;
    for (const auto& target : letters.targets())
        if (target.mountPoint == mountDir) {
            letter = target.letter;
            mountPoint = target.mountPoint;
        }
    if (letter == 0) {
        std::cerr << "read_bench: no drive letter stands for " << mountDir << "\n";
        return 2;
    }
    auto platform = zv::lnx::makeLinuxPlatform(options);
    std::array<char, 1024> folder{};
    const std::string root = std::string(1, letter) + ":\\";
    if (!platform->io().GetWritableFolderA(root.c_str(), folder.data(), folder.size())) {
        std::cerr << "read_bench: no writable folder on " << root << "\n";
        return 1;
    }
    std::array<char, 512> layer{};
    const auto layerLength = platform->io().GetReadCacheLayerA(root.c_str(), layer.data(), layer.size());
    zv::tools::ReadTestFile file(*platform, zv::tools::randomTemporaryNames());
    if (!file.create(folder.data()) || !file.writeAll(size)) {
        std::cerr << "read_bench: Cannot create file in " << folder.data() << "\n";
        return 1;
    }
    const std::string fioPath = hostPath(mountPoint, std::string(folder.data()) + "zv-read-bench-fio.dat");
    if (!fioWrite(fioPath, file.size())) {
        std::cerr << "read_bench: fio could not write " << fioPath << " (is it installed?)\n";
        return 1;
    }
    std::cout << "volume " << mountDir << " (" << root << "), " << file.size() << " bytes per file, Zorvane "
              << (file.cacheBypassed() ? "unbuffered" : "cache dropped before each read") << ", fio direct, " << runs
              << " runs\n"
              << "below the volume: "
              << (layerLength > 0 ? "reads may still come from a cache: " + std::string(layer.data(), layerLength)
                                  : std::string("no cache"))
              << "\n";

    double bestZorvane = 0, bestFio = 0, sumZorvane = 0, sumFio = 0;
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        // Which program reads first alternates, so that neither profits from the other's
        // traces in the device's own cache more often.
        double fio = run % 2 ? fioRate(fioPath, file.size()) : 0;
        const auto interval = file.timedRead();
        if (!interval) {
            std::cerr << "read_bench: a read failed\n";
            return 1;
        }
        const double zorvane = static_cast<double>(zv::tools::readSpeedKbPerSec(file.size(), *interval).value_or(0));
        if (run % 2 == 0) fio = fioRate(fioPath, file.size());
        if (fio < 0) {
            std::cerr << "read_bench: fio failed\n";
            return 1;
        }
        std::printf("run %d: zorvane %.0f KiB/s, fio %.0f KiB/s\n", run + 1, zorvane, fio);
        bestZorvane = std::max(bestZorvane, zorvane);
        bestFio = std::max(bestFio, fio);
        sumZorvane += zorvane;
        sumFio += fio;
        if (fio > 0) ratios.push_back(zorvane / fio);
    }
    std::printf("best: zorvane %.0f KiB/s, fio %.0f KiB/s, ratio %.3f\n", bestZorvane, bestFio, bestZorvane / bestFio);
    std::printf("mean: zorvane %.0f KiB/s, fio %.0f KiB/s, ratio of the means %.3f (goal: 0.9 to 1.1)\n",
                sumZorvane / runs, sumFio / runs, sumZorvane / sumFio);
    // On a disk other programs use too, single runs swing; the median of the per-run ratios
    // (both programs read in the same moment) tells more than the means then.
    if (!ratios.empty()) {
        std::sort(ratios.begin(), ratios.end());
        const size_t middle = ratios.size() / 2;
        const double median = ratios.size() % 2 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
        std::printf("median of the per-run ratios %.3f\n", median);
    }
    file.close();
    std::filesystem::remove(fioPath);
    return 0;
}
