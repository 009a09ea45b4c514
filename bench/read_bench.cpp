// Zorvane's read benchmark beside fio on the same file of the same volume, in one run:
//   zv_bench_read_bench [MOUNT-DIRECTORY] [--size BYTES] [--runs N]
// Writes the benchmark's temporary file on the volume mounted at MOUNT-DIRECTORY (default
// "/"), times Zorvane's unbuffered 64 KiB reads, then has fio read the same file with
// --direct=1 --rw=read --bs=64k, alternating, and prints both rates and their ratio.
#include "platform/linux/linux_context.h"
#include "platform/linux/linux_platform.h"
#include "tools/read_speed.h"
#include "tools/read_test_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

std::string hostPath(const std::string& mountPoint, const std::string& windowsPath) {
    std::string rest = windowsPath.substr(3);  // after "X:\"
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return (mountPoint == "/" ? std::string() : mountPoint) + "/" + rest;
}

// fio's read rate of `path` in KiB per second; negative when fio failed.
double fioRate(const std::string& path, uint64_t size) {
    const std::string command = "fio --name=zv --readonly --filename='" + path + "' --direct=1 --rw=read --bs=64k --size=" +
                                std::to_string(size) + " --ioengine=psync --output-format=json 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::string output;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), got);
    if (::pclose(pipe) != 0) return -1;
    try {
        const auto json = nlohmann::json::parse(output.substr(output.find('{')));
        return json["jobs"][0]["read"]["bw_bytes"].get<double>() / 1024.0;
    } catch (...) {
        return -1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string mountDir = "/";
    uint64_t size = zv::tools::kBenchmarkFileSize;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc) size = std::stoull(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::stoi(argv[++i]));
        else mountDir = arg;
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
    zv::tools::ReadTestFile file(*platform, zv::tools::randomTemporaryNames());
    if (!file.create(folder.data()) || !file.writeAll(size)) {
        std::cerr << "read_bench: Cannot create file in " << folder.data() << "\n";
        return 1;
    }
    const std::string path = hostPath(mountPoint, file.path());
    std::cout << "volume " << mountDir << " (" << root << "), file " << path << ", " << file.size() << " bytes, "
              << (file.cacheBypassed() ? "unbuffered" : "cache dropped before each read") << ", " << runs << " runs\n";

    double bestZorvane = 0, bestFio = 0, sumZorvane = 0, sumFio = 0;
    for (int run = 0; run < runs; ++run) {
        // Which program reads first alternates, so that neither profits from the other's
        // traces in the device's own cache more often.
        double fio = run % 2 ? fioRate(path, file.size()) : 0;
        const auto interval = file.timedRead();
        if (!interval) {
            std::cerr << "read_bench: a read failed\n";
            return 1;
        }
        const double zorvane = static_cast<double>(zv::tools::readSpeedKbPerSec(file.size(), *interval).value_or(0));
        if (run % 2 == 0) fio = fioRate(path, file.size());
        if (fio < 0) {
            std::cerr << "read_bench: fio failed (is it installed?)\n";
            return 1;
        }
        std::printf("run %d: zorvane %.0f KiB/s, fio %.0f KiB/s\n", run + 1, zorvane, fio);
        bestZorvane = std::max(bestZorvane, zorvane);
        bestFio = std::max(bestFio, fio);
        sumZorvane += zorvane;
        sumFio += fio;
    }
    std::printf("best: zorvane %.0f KiB/s, fio %.0f KiB/s, ratio %.3f\n", bestZorvane, bestFio, bestZorvane / bestFio);
    std::printf("mean: zorvane %.0f KiB/s, fio %.0f KiB/s, ratio %.3f\n", sumZorvane / runs, sumFio / runs,
                sumZorvane / sumFio);
    file.close();
    return 0;
}
