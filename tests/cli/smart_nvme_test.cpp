// zorvane-cli smart on NVMe disks: the "nvme" object and "verdict" of --json checked against
// the machine file's health log, the readable lines of the text output, counters beyond 64
// bits, a log without temperature, and a disk that cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_context.h"
#include "cli_runner.h"

namespace zv::cli {
namespace {

using CliResult = cli_test::Answer;

CliResult runWith(const std::vector<std::string>& args) { return cli_test::runCliCommand(args); }

std::string examplePath() { return std::string(ZV_SOURCE_DIR) + "/examples/machines/disks-nvme.json"; }

// The example machine's text without its leading comment lines, as JSON.
nlohmann::json exampleMachine() {
    std::ifstream file(examplePath());
    std::string text, line;
    while (std::getline(file, line))
        if (line.rfind("//", 0) != 0) text += line + "\n";
    return nlohmann::json::parse(text);
}

std::string writeMachine(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path) << text;
    return path.string();
}

std::string machineWithHealth(const std::string& health, bool administrator = true) {
    return std::string(R"({"schema": 1, "system": {"family": "nt", "administrator": )") +
           (administrator ? "true" : "false") + R"(},
      "drives": [{"letter": "C", "volume": {"label": "Disk"}, "disk": {"number": 0, "partition": 0}}],
      "disks": [{"number": 0, "nvme": {"model": "WORN SSD", "serial": "W1", "firmware": "F1", "sectors": 1024,
                                      "health": )" +
           health + "}}]}";
}

const char* const kNvmeKeys[] = {
    "critical_warning", "temperature_celsius", "available_spare",   "available_spare_threshold",
    "percentage_used",  "power_on_hours",      "power_cycles",      "media_errors",
    "unsafe_shutdowns", "data_units_read",     "data_units_written"};

}  // namespace

TEST(CliSmartNvme, JsonCarriesTheHealthLogOfTheMachineFile) {
    const CliResult r = runWith({"--machine", examplePath(), "--json", "smart", "C:"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto out = nlohmann::ordered_json::parse(r.out);  // keeps the printed key order
    const auto disk = exampleMachine()["disks"][0]["nvme"];
    const auto health = disk["health"];

    ASSERT_TRUE(out.contains("nvme"));
    const auto& nvme = out["nvme"];
    std::vector<std::string> keys;
    for (const auto& [key, value] : nvme.items()) keys.push_back(key);
    EXPECT_EQ(keys, std::vector<std::string>(std::begin(kNvmeKeys), std::end(kNvmeKeys)));
    for (const char* key : kNvmeKeys)
        EXPECT_TRUE(nvme[key].is_number_unsigned() || nvme[key].is_number_integer()) << key;

    EXPECT_EQ(nvme["temperature_celsius"], health["temperature_kelvin"].get<int>() - 273);
    for (const char* key : {"critical_warning", "available_spare", "available_spare_threshold",
                            "percentage_used", "power_on_hours", "power_cycles", "media_errors",
                            "unsafe_shutdowns", "data_units_read", "data_units_written"})
        EXPECT_EQ(nvme[key], health[key]) << key;
    EXPECT_EQ(out["verdict"], "SMART Test Passed");
    EXPECT_EQ(out["smart_enabled"], out["verdict"]) << "the window's verdict field says the same";
    EXPECT_EQ(out["model_number"], disk["model"]);
    EXPECT_EQ(out["serial_number"], disk["serial"]);
    EXPECT_EQ(out["firmware_revision"], disk["firmware"]);
    std::string size = std::to_string(disk["sectors"].get<uint64_t>() * 512);
    for (int at = int(size.size()) - 3; at > 0; at -= 3) size.insert(size_t(at), ",");
    EXPECT_EQ(out["size_in_bytes"], size);
    EXPECT_EQ(out["status"], "");
}

TEST(CliSmartNvme, TextShowsOneReadableLinePerField) {
    const CliResult r = runWith({"--machine", examplePath(), "smart", "C:"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto health = exampleMachine()["disks"][0]["nvme"]["health"];
    EXPECT_NE(r.out.find("SMART Enabled: SMART Test Passed\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Temperature: " + std::to_string(health["temperature_kelvin"].get<int>() - 273) +
                         "\xC2\xB0"
                         "C\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Critical Warning: 0x00\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Available Spare: " + std::to_string(health["available_spare"].get<int>()) + "%\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("Media Errors: 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("Unsafe Shutdowns: " + std::to_string(health["unsafe_shutdowns"].get<int>()) + "\n"),
              std::string::npos);
    EXPECT_EQ(r.out.find('\t'), std::string::npos) << "no attribute table for an NVMe disk";
}

TEST(CliSmartNvme, WarningsMissingTemperatureAndCountersBeyond64Bits) {
    const std::string path = writeMachine("nvme-worn.json", machineWithHealth(R"({
        "critical_warning": 4, "temperature_kelvin": 0, "available_spare": 3, "available_spare_threshold": 10,
        "percentage_used": 255, "data_units_read": "18446744073709551615",
        "data_units_written": "36893488147419103232", "power_on_hours": 1})"));
    const CliResult r = runWith({"--machine", path, "--json", "smart", "C:"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto out = nlohmann::json::parse(r.out);
    const auto& nvme = out["nvme"];
    EXPECT_EQ(out["verdict"], "SMART Test Failed, Bad Attributes 1");
    EXPECT_EQ(nvme["critical_warning"], 4);
    EXPECT_TRUE(nvme["temperature_celsius"].is_null()) << "0 K means the controller reports none";
    EXPECT_EQ(nvme["percentage_used"], 255);
    EXPECT_TRUE(nvme["data_units_read"].is_number_unsigned()) << "2^64 - 1 still fits";
    EXPECT_EQ(nvme["data_units_read"].get<uint64_t>(), 18446744073709551615ull);
    EXPECT_EQ(nvme["data_units_written"], "36893488147419103232") << "2^65 as exact decimal text";
    EXPECT_EQ(out["temperature"], "");

    const CliResult text = runWith({"--machine", path, "smart", "C:"});
    EXPECT_NE(text.out.find("Data Units Written: 36,893,488,147,419,103,232\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("Critical Warning: 0x04\n"), std::string::npos) << text.out;
}

TEST(CliSmartNvme, UnreadableDiskGoesToTheErrorStream) {
    const std::string path = writeMachine("nvme-user.json", machineWithHealth("{}", false));
    const CliResult r = runWith({"--machine", path, "--json", "smart", "C:"});
    EXPECT_EQ(r.status, 1);
    const auto out = nlohmann::json::parse(r.out);
    EXPECT_FALSE(out.contains("nvme"));
    // With --json the reason is the answer's error object; the error stream stays empty.
    EXPECT_NE(out["error"]["message"].get<std::string>().find("needs administrator (root) rights"), std::string::npos)
        << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;

    const CliResult text = runWith({"--machine", path, "smart", "C:"});
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("needs administrator (root) rights"), std::string::npos) << text.err;
}

}  // namespace zv::cli
