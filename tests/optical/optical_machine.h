// Simulated machines with optical drives for the optical tests, and scripted user-interface
// services.
#pragma once

#include "common/ui_services.h"
#include "platform/sim/sim_platform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zv::optical::testing {

using namespace zv::win;

inline std::unique_ptr<sim::SimPlatform> machine(const std::string& drives, const std::string& more = {}) {
    return sim::SimPlatform::fromText("{\"schema\": 1, \"drives\": [" + drives + "]" + (more.empty() ? "" : ", " + more) + "}",
                                      "optical-test.json");
}

inline std::unique_ptr<sim::SimPlatform> exampleMachine() {
    return sim::SimPlatform::fromFile(std::string(ZV_SOURCE_DIR) + "/examples/machines/optical.json");
}

// One optical drive at D: with the given "optical" object and further drive keys.
inline std::string opticalDrive(const std::string& optical, const std::string& more = {}, char letter = 'D') {
    return std::string("{\"letter\": \"") + letter + "\", \"type\": 5, \"inquiry\": {\"vendor\": \"TEST\", \"product\": \"DRIVE\"}, " +
           "\"optical\": " + optical + (more.empty() ? "" : ", " + more) + "}";
}

// Counts the rounds of pending messages and runs a scripted action in them.
struct ScriptedPump final : IEventPump {
    int rounds = 0;
    std::function<void()> action;
    void processPendingMessages() override {
        ++rounds;
        if (action) action();
    }
};

struct ShownMessage {
    std::string kind;  // "message", "Information", "Error", "Warning", "Confirm", "box"
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
};

struct RecordingMessages final : IMessages {
    std::vector<ShownMessage> shown;
    void showMessage(const std::string& text) override { shown.push_back({"message", text, "", MessageIcon::None}); }
    DialogResult messageDialog(const std::string& text, DialogKind kind, DialogButtons) override {
        static const char* const kinds[] = {"Warning", "Error", "Information", "Confirm"};
        shown.push_back({kinds[int(kind)], text, "", MessageIcon::None});
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        shown.push_back({"box", text, title, icon});
    }
};

// The pass-through blocks the machine received, in order.
inline std::vector<std::vector<uint8_t>> passThroughBlocks(const sim::SimPlatform& platform) {
    std::vector<std::vector<uint8_t>> blocks;
    for (const auto& call : platform.calls())
        if (call.operation == "ScsiPassThroughDirect") blocks.push_back(call.input);
    return blocks;
}

inline std::vector<uint8_t> opcodes(const sim::SimPlatform& platform) {
    std::vector<uint8_t> result;
    for (const auto& block : passThroughBlocks(platform))
        if (block.size() > 28) result.push_back(block[28]);
    return result;
}

}  // namespace zv::optical::testing
