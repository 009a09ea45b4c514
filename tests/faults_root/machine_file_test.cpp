// Machine files given with --machine that cannot be used: corrupt, truncated, 50 MB of
// nesting, a number too large for any type, a directory and an endless device.
//
// What must hold, for each: zorvane-cli ends within 10 seconds by itself with status 2, and
// its message names the file (and, for a file it read, the place in it).
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string exampleMachine() {
    std::ifstream in(std::string(ZV_SOURCE_DIR) + "/examples/machines/full.json");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "FILE: line L, column C: ..." or "FILE: /json/pointer: ...".
bool namesPlace(const std::string& message, const std::string& path) {
    size_t at = message.find(path + ": ");
    if (at == std::string::npos) return false;
    std::string rest = message.substr(at + path.size() + 2);
    return rest.rfind("line ", 0) == 0 || rest.rfind("/", 0) == 0;
}

struct RefusedMachine {
    std::string name;
    std::string path;
    bool placeExpected = true;  // a file whose bytes were read: the message says where
};

class MachineFiles : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>("machine-files");
    }

    RefusedMachine written(const std::string& name, const std::string& bytes) {
        std::string path = m_box->base() + "/" + name + ".json";
        writeFile(path, bytes);
        return {name, path, true};
    }

    std::unique_ptr<FaultSandbox> m_box;
};

TEST_F(MachineFiles, RefusedWithStatusTwoNamingTheFile) {
    const std::string example = exampleMachine();
    ASSERT_GT(example.size(), 1000u) << "examples/machines/full.json is missing";
    {
        // The example itself is accepted: what follows fails because of the damage alone.
        std::string path = written("example", example).path;
        ChildOutcome ok = m_box->cli({{"--machine", path, "list"}, 10s});
        ASSERT_TRUE(ok.exitedWith({0})) << ok.summary() << "\n" << ok.err;
    }
    std::string overflow = example;
    size_t total = overflow.find("\"total\": 171798691840");
    ASSERT_NE(total, std::string::npos);
    overflow.replace(total, 22, "\"total\": 1e400");

    std::vector<RefusedMachine> machines = {
        written("corrupt", "{\"schema\": 1, \"drives\": [ }\x01\xff"),
        written("truncated", example.substr(0, example.size() * 3 / 5)),
        written("number-overflow", overflow),
        written("huge-nesting", std::string(size_t(50) << 20, '[')),
    };
    machines.back().placeExpected = false;  // refused for its size or depth
    fs::create_directories(m_box->base() + "/a-directory.json");
    machines.push_back({"directory", m_box->base() + "/a-directory.json", false});
    machines.push_back({"endless device", "/dev/zero", false});

    // Both subcommands of a machine at once: a refusal is quick, a runaway read takes its limit.
    for (const auto& machine : machines) {
        const std::vector<std::vector<std::string>> commands = {{"list"}, {"diskinfo", "C:"}};
        std::vector<RunningChild> running;
        for (const auto& command : commands) {
            std::vector<std::string> args = {"--machine", machine.path};
            args.insert(args.end(), command.begin(), command.end());
            running.emplace_back(m_box->cliSpec({args, 10s, {}, {}, machine.name + "-" + command.front()}));
        }
        std::vector<ChildOutcome> outcomes = RunningChild::waitAll({&running[0], &running[1]}, 10s);
        for (size_t i = 0; i < commands.size(); ++i) {
            SCOPED_TRACE(machine.name + ", " + commands[i].front());
            const ChildOutcome& run = outcomes[i];
            EXPECT_TRUE(run.exitedWith({2})) << run.summary() << "\n" << run.err.substr(0, 2000);
            EXPECT_TRUE(mentions(run.err, machine.path)) << "the message does not name the file:\n"
                                                        << run.err.substr(0, 2000);
            if (machine.placeExpected && run.exitedWith({2})) {
                EXPECT_TRUE(namesPlace(run.err, machine.path))
                    << "the message does not say where in the file:\n" << run.err.substr(0, 2000);
            }
        }
    }
}

}  // namespace
}  // namespace zv::faulttest
