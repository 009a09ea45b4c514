// The main window's removable-media commands on simulated drives: every message, the
// requests they send and the state they leave.
#include "actions/removable_media.h"
#include "optical/optical_machine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace zv::actions {
namespace {

using namespace zv::optical::testing;

struct Commands {
    std::unique_ptr<sim::SimPlatform> m;
    RecordingMessages messages;
    RemovableMediaCommands commands;
    explicit Commands(std::unique_ptr<sim::SimPlatform> machine)
        : m(std::move(machine)), commands(*m, messages, 0x1234) {}

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& shown : messages.shown) result.push_back(shown.kind + ": " + shown.text);
        return result;
    }
    int deviceControls(DWORD code) const {
        int count = 0;
        const std::string wanted = "0x" + [&] {
            char text[16];
            std::snprintf(text, sizeof text, "%X", unsigned(code));
            return std::string(text);
        }();
        for (const auto& call : m->calls())
            if (call.operation == "DeviceIoControl" && call.arguments.size() > 1 && call.arguments[1] == wanted) ++count;
        return count;
    }
};

std::string errorOf(const std::function<void()>& command) {
    try {
        command();
    } catch (const CommandError& error) {
        return error.what();
    }
    return "(no error)";
}

bool readable(sim::SimPlatform& m, char letter) {
    const char root[4] = {letter, ':', '\\', 0};
    char label[261] = {}, fileSystem[261] = {};
    return m.drives().GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, fileSystem,
                                            sizeof fileSystem) != 0;
}

TEST(RemovableMedia, NoSelectionDoesNothing) {
    Commands c(exampleMachine());
    c.m->clearCalls();
    c.commands.LoadMedia1Click(std::nullopt);
    c.commands.EjectMedia1Click(std::nullopt);
    c.commands.LockCDDoor1Click(std::nullopt);
    c.commands.UnlockCDDoor1Click(std::nullopt);
    c.commands.InsertedMedia1Click(std::nullopt);
    EXPECT_TRUE(c.m->calls().empty());
    EXPECT_TRUE(c.messages.shown.empty());
}

TEST(RemovableMedia, EjectEmptiesTheTrayAndLoadClosesIt) {
    Commands c(exampleMachine());
    ASSERT_TRUE(readable(*c.m, 'D'));
    c.commands.EjectMedia1Click('D');
    EXPECT_TRUE(c.commands.lastRequestSucceeded());
    EXPECT_TRUE(c.messages.shown.empty()) << "a successful eject shows nothing";
    EXPECT_FALSE(readable(*c.m, 'D'));
    c.commands.LoadMedia1Click('D');
    EXPECT_TRUE(c.commands.lastRequestSucceeded());
    EXPECT_TRUE(c.messages.shown.empty());
    EXPECT_EQ(c.m->openHandleCount(), 0);
    // The open flags of load and eject.
    for (const auto& call : c.m->calls())
        if (call.operation == "CreateFileA") {
            EXPECT_EQ(call.arguments.at(1), "0x80000000");
            EXPECT_EQ(call.arguments.at(2), "0x1");
        }
}

TEST(RemovableMedia, RemovableDiskEjectsButDoesNotLoad) {
    Commands c(exampleMachine());
    c.commands.EjectMedia1Click('H');
    EXPECT_TRUE(c.messages.shown.empty());
    EXPECT_FALSE(readable(*c.m, 'H'));
    EXPECT_EQ(errorOf([&] { c.commands.LoadMedia1Click('H'); }), "CD/DVD drive not selected");
    EXPECT_EQ(errorOf([&] { c.commands.EjectMedia1Click('C'); }), "The selected drive is not a CD/DVD drive.");
    EXPECT_EQ(errorOf([&] { c.commands.InsertedMedia1Click('C'); }), "CD/DVD drive not selected");
}

TEST(RemovableMedia, LockedDoorRefusesEject) {
    Commands c(exampleMachine());
    c.commands.LockCDDoor1Click('D');
    EXPECT_EQ(c.texts(), (std::vector<std::string>{"Information: CD/DVD Drive D: door now locked."}));
    c.commands.EjectMedia1Click('D');
    EXPECT_FALSE(c.commands.lastRequestSucceeded());
    ASSERT_EQ(c.messages.shown.size(), 2u);
    EXPECT_EQ(c.messages.shown[1].kind, "message");
    EXPECT_EQ(c.messages.shown[1].text, "Eject Failed: 170 (The requested resource is in use)");
    EXPECT_TRUE(readable(*c.m, 'D'));
    c.commands.UnlockCDDoor1Click('D');
    EXPECT_EQ(c.messages.shown.back().text, "CD/DVD Drive D: door now unlocked.");
    c.commands.EjectMedia1Click('D');
    EXPECT_EQ(c.messages.shown.size(), 3u);
    EXPECT_FALSE(readable(*c.m, 'D'));
}

TEST(RemovableMedia, LockSendsOneByteOnAnExclusiveOpen) {
    Commands c(exampleMachine());
    c.m->clearCalls();
    c.commands.LockCDDoor1Click('E');
    bool sawOpen = false, sawRequest = false;
    for (const auto& call : c.m->calls()) {
        if (call.operation == "CreateFileA") {
            sawOpen = true;
            EXPECT_EQ(call.arguments.at(2), "0x0") << "share mode 0";
        }
        if (call.operation == "DeviceIoControl") {
            sawRequest = true;
            EXPECT_EQ(call.input, std::vector<uint8_t>{1});
        }
    }
    EXPECT_TRUE(sawOpen && sawRequest);
}

TEST(RemovableMedia, LockMessagesForFailures) {
    Commands c(machine(opticalDrive("{}") + "," + opticalDrive(R"({"lockable": false})", "", 'E') +
                           R"(, {"letter": "C", "type": 3, "device": 32})"));
    c.commands.LockCDDoor1Click('C');
    ASSERT_EQ(c.messages.shown.size(), 1u);
    EXPECT_EQ(c.messages.shown[0].kind, "box");
    EXPECT_EQ(c.messages.shown[0].text, "Cannot lock/unlock non-CDROM!");
    EXPECT_EQ(c.messages.shown[0].title, "");
    EXPECT_EQ(c.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_FALSE(c.commands.lastRequestSucceeded());
    // A refused request is not confirmed.
    c.commands.LockCDDoor1Click('E');
    EXPECT_EQ(c.messages.shown.back().kind, "Error");
    EXPECT_EQ(c.messages.shown.back().text, "CD/DVD Drive E: door could not be locked (error 50: The request is not supported).");
    EXPECT_FALSE(c.commands.lastRequestSucceeded());
}

TEST(RemovableMedia, OpenFailures) {
    Commands c(machine(opticalDrive("{}", R"("device": 5)")));
    c.commands.EjectMedia1Click('D');
    EXPECT_EQ(c.texts(), (std::vector<std::string>{"message: Error", "message: Eject Failed: 5 (Access is denied)"}));
    c.messages.shown.clear();
    c.commands.LoadMedia1Click('D');
    EXPECT_EQ(c.texts(), (std::vector<std::string>{"message: Error"}));
    EXPECT_FALSE(c.commands.lastRequestSucceeded());
    c.messages.shown.clear();
    c.commands.InsertedMedia1Click('D');
    EXPECT_EQ(c.texts(), (std::vector<std::string>{"message: D: Contains disk type: unknown (the drive did not report a profile)"}));
    EXPECT_EQ(c.m->openHandleCount(), 0);
}

TEST(RemovableMedia, EjectRefusedByTheDrive) {
    Commands c(machine(opticalDrive(R"({"can_eject": false})")));
    c.commands.EjectMedia1Click('D');
    EXPECT_EQ(c.texts(), (std::vector<std::string>{"message: Eject Failed: 50 (The request is not supported)"}));
}

TEST(RemovableMedia, InsertedMediaMessages) {
    Commands c(machine(opticalDrive(R"({"profile": "0x0011"})") + "," +
                       opticalDrive(R"({"profile": "0x0010"})", R"("medium_present": false)", 'E') + "," +
                       opticalDrive(R"({"profile": "0xFFFF"})", "", 'F') + "," + opticalDrive(R"({"profile": "0x0199"})", "", 'G') +
                       "," + opticalDrive(R"({"profile": "0x0040"})", "", 'H')));
    for (char letter : {'D', 'E', 'F', 'G', 'H'}) c.commands.InsertedMedia1Click(letter);
    EXPECT_EQ(c.texts(), (std::vector<std::string>{
                             "message: D: Contains disk type: DVD-R SequentialRecording,",
                             "message: E: Contains disk type: No Current Profile",
                             "message: F: Contains disk type: UNKNOWN",
                             "message: G: Contains disk type: unknown profile 0x0199",
                             "message: H: Contains disk type: BD-ROM",
                         }));
    EXPECT_EQ(c.m->openHandleCount(), 0);
}

TEST(RemovableMedia, DefaultCdDoor) {
    Commands c(exampleMachine());
    c.m->clearCalls();
    c.commands.OpendefaultCD1Click();
    c.commands.CloseDefaultCD1Click();
    std::vector<std::string> sent;
    for (const auto& call : c.m->calls())
        if (call.operation == "mciSendStringA") sent.push_back(call.arguments.at(0));
    EXPECT_EQ(sent, (std::vector<std::string>{"Set cdaudio door open wait", "Set cdaudio door closed wait"}));
    EXPECT_TRUE(c.messages.shown.empty());
    EXPECT_TRUE(c.commands.lastRequestSucceeded());
    EXPECT_FALSE(readable(*c.m, 'D')) << "the first optical drive is the default CD";
    EXPECT_TRUE(readable(*c.m, 'E'));

    Commands none(machine(R"({"letter": "C", "type": 3})"));
    none.commands.OpendefaultCD1Click();
    EXPECT_TRUE(none.messages.shown.empty());
    EXPECT_FALSE(none.commands.lastRequestSucceeded());
}

}  // namespace
}  // namespace zv::actions
