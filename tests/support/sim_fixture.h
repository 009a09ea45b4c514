// GoogleTest support for tests on simulated machines.
//
// SimFixture loads machines from text or from examples/machines/<name>.json and, after each
// test, checks what every query must leave behind: no open handles or registry keys, the
// process error mode back at its start value, and no request that no simulated device
// understood (a test that provokes such requests says so with allowUnknownRequests()).
#pragma once

#include "platform/sim/machine_file_error.h"
#include "platform/sim/sim_platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace zv::test {

using namespace zv::win;

// The path of an example machine of the source tree.
inline std::string exampleMachinePath(const std::string& name) {
    return std::string(ZV_SOURCE_DIR) + "/examples/machines/" + name + ".json";
}

// A machine file with the given top-level members after "schema": 1, for example
// machineJson(R"("drives": [{"letter": "C"}])").
inline std::string machineJson(const std::string& members) {
    return members.empty() ? std::string("{\"schema\": 1}") : "{\"schema\": 1, " + members + "}";
}

// The call log rendered one call a line, for failure messages.
inline std::string describeCalls(const sim::SimPlatform& machine) {
    std::ostringstream out;
    for (const auto& call : machine.calls()) {
        out << call.operation << "(";
        for (size_t i = 0; i < call.arguments.size(); ++i) out << (i ? ", " : "") << call.arguments[i];
        out << ") -> " << call.result;
        for (const auto& note : call.notes) out << " [" << note << "]";
        out << "\n";
    }
    return out.str();
}

// The calls of one operation, in order.
inline std::vector<const sim::SimCall*> callsNamed(const sim::SimPlatform& machine, const std::string& operation) {
    std::vector<const sim::SimCall*> out;
    for (const auto& call : machine.calls())
        if (call.operation == operation) out.push_back(&call);
    return out;
}

class SimFixture : public ::testing::Test {
protected:
    // Loads a machine from text; the name stands for the file in messages.
    sim::SimPlatform& load(const std::string& jsonText, const std::string& name = "test-machine.json") {
        return keep(sim::SimPlatform::fromText(jsonText, name));
    }
    // Loads examples/machines/<name>.json.
    sim::SimPlatform& loadExample(const std::string& name) { return keep(sim::SimPlatform::fromFile(exampleMachinePath(name))); }

    // The machine loaded last.
    sim::SimPlatform& machine() {
        EXPECT_FALSE(m_machines.empty()) << "no machine loaded";
        return *m_machines.back().platform;
    }

    // This test provokes requests that no device understands: up to `count` of them
    // (any number with -1) are accepted on every machine of the test.
    void allowUnknownRequests(int count = -1) { m_allowedUnknown = count; }
    // This test leaves handles or keys open on purpose (it proves that a fault is seen).
    void allowOpenResources() { m_allowOpen = true; }

    void TearDown() override {
        for (const auto& entry : m_machines) {
            const sim::SimPlatform& m = *entry.platform;
            if (!m_allowOpen) {
                EXPECT_EQ(m.openHandleCount(), 0) << m.openHandleCount() << " handle(s) left open\n" << describeCalls(m);
                EXPECT_EQ(m.openKeyCount(), 0) << m.openKeyCount() << " registry key(s) left open\n" << describeCalls(m);
            }
            EXPECT_EQ(m.currentErrorMode(), entry.startErrorMode) << "the error mode was not restored\n" << describeCalls(m);
            if (m_allowedUnknown >= 0) {
                EXPECT_LE(m.unknownRequestCount(), m_allowedUnknown) << "requests no device understood\n" << describeCalls(m);
            }
        }
    }

private:
    struct Loaded {
        std::unique_ptr<sim::SimPlatform> platform;
        win::UINT startErrorMode = 0;
    };
    sim::SimPlatform& keep(std::unique_ptr<sim::SimPlatform> platform) {
        const win::UINT mode = platform->currentErrorMode();
        m_machines.push_back(Loaded{std::move(platform), mode});
        return *m_machines.back().platform;
    }

    std::vector<Loaded> m_machines;
    int m_allowedUnknown = 0;
    bool m_allowOpen = false;
};

}  // namespace zv::test
