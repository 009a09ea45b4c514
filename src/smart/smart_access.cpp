#include "smart/smart_access.h"

#include "diskinfo/ide_serial.h"
#include "diskinfo/system_message.h"
#include "platform/api/disk_requests.h"
#include "smart/attribute_evaluation.h"
#include "smart/identify_data.h"
#include "smart/smart_texts.h"

#include <cstdio>
#include <exception>
#include <vector>

namespace zv::smart {

using namespace zv::win;
using diskinfo::PlatformFamily;
using platform::SendCmdInParams;
using platform::SendCmdOutLayout;

namespace {

constexpr DWORD kReplyBufferSize = 529;  // header, one sector and a spare byte

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

// One open S.M.A.R.T. device and the requests sent to it. Closes the device when it goes.
class SmartDevice {
public:
    SmartDevice(platform::Platform& platform, std::string& errorText, DWORD& errorCode)
        : m_platform(platform), m_errorText(errorText), m_errorCode(errorCode) {}
    ~SmartDevice() {
        if (m_handle != INVALID_HANDLE_VALUE && m_handle != 0) m_platform.io().CloseHandle(m_handle);
    }
    SmartDevice(const SmartDevice&) = delete;
    SmartDevice& operator=(const SmartDevice&) = delete;

    // Opens the device of the platform family; false (with the error text) when it fails.
    bool open(int32_t driveNumber, bool* familyKnown) {
        auto& io = m_platform.io();
        const PlatformFamily family = diskinfo::platformFamilyOf(m_platform);
        *familyKnown = family != PlatformFamily::Other;
        if (family == PlatformFamily::Other) return false;
        if (family == PlatformFamily::Nt) {
            const std::string path = "\\\\.\\PhysicalDrive" + std::to_string(driveNumber);
            m_handle = io.CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      OPEN_EXISTING, 0);
        } else {
            m_handle = io.CreateFileA("\\\\.\\SMARTVSD", 0, 0, CREATE_NEW, 0);
        }
        if (m_handle != INVALID_HANDLE_VALUE && m_handle != 0) return true;
        fail(family == PlatformFamily::Nt ? "Unable to open physical drive: " : "Unable to open SMARTVSD: ");
        return false;
    }

    bool version(uint8_t* deviceMap) {
        uint8_t reply[platform::GetVersionOutParams::Size] = {};
        DWORD returned = 0;
        if (!m_platform.io().DeviceIoControl(m_handle, SMART_GET_VERSION, nullptr, 0, reply, sizeof reply, &returned)) {
            fail("DFP_GET_VERSION failed: ");
            return false;
        }
        *deviceMap = platform::GetVersionOutParams::decode(reply).ideDeviceMap;
        return true;
    }

    bool enable(int i) {
        SendCmdInParams request = smartRequest(i, platform::ATA_SMART_ENABLE_OPERATIONS);
        request.bufferSize = 0;
        if (send(SMART_SEND_DRIVE_COMMAND, request, SendCmdOutLayout::SectorReplySize, false)) return true;
        fail("SMART Enable Command Failed, Drive: " + std::to_string(i) + " : ");
        return false;
    }

    bool identify(int i, bool atapi) {
        SendCmdInParams request;
        request.bufferSize = 512;
        request.regs.sectorCount = 1;
        request.regs.sectorNumber = 1;
        request.regs.driveHead = driveHead(i);
        request.regs.command = atapi ? platform::ATA_IDENTIFY_PACKET_DEVICE : platform::ATA_IDENTIFY_DEVICE;
        request.driveNumber = BYTE(i);
        if (send(SMART_RCV_DRIVE_DATA, request, kReplyBufferSize, true)) return true;
        const std::string status = DriverStatusText(m_reply[SendCmdOutLayout::DriverError]);
        failWith("Identify Command Failed on Drive: " + status + " bIDEStatus=" +
                 hex4(m_reply[SendCmdOutLayout::IdeError]) + " : ");
        return false;
    }

    bool readPage(int i, BYTE feature, const char* what) {
        if (send(SMART_RCV_DRIVE_DATA, smartRequest(i, feature), SendCmdOutLayout::SectorReplySize, false))
            return true;
        const DWORD code = m_platform.GetLastError();
        m_errorCode = code;
        m_errorText = std::string(what) + std::to_string(i) + " : " + diskinfo::systemMessage(m_platform, code) +
                      "; DriverStatus: " + DriverStatusText(m_reply[SendCmdOutLayout::DriverError]) +
                      "; bIDEStatus=" + hex4(m_reply[SendCmdOutLayout::IdeError]);
        return false;
    }

    const uint8_t* data() const { return m_reply.data() + SendCmdOutLayout::Data; }
    bool lastSucceeded() const { return m_lastSucceeded; }

private:
    static BYTE driveHead(int i) { return (i & 1) ? 0xB0 : 0xA0; }

    static SendCmdInParams smartRequest(int i, BYTE feature) {
        SendCmdInParams request;
        request.bufferSize = 512;
        request.regs.features = feature;
        request.regs.sectorCount = 1;
        request.regs.sectorNumber = 1;
        request.regs.cylLow = platform::ATA_SMART_CYL_LOW;
        request.regs.cylHigh = platform::ATA_SMART_CYL_HIGH;
        request.regs.driveHead = driveHead(i);
        request.regs.command = platform::ATA_SMART;
        request.driveNumber = BYTE(i);
        return request;
    }

    bool send(DWORD code, const SendCmdInParams& request, DWORD replyLength, bool presetSize) {
        uint8_t in[SendCmdInParams::Size];
        request.encode(in);
        m_reply.assign(kReplyBufferSize, 0);
        if (presetSize) codec::putLe32(m_reply.data(), 512);
        DWORD returned = 0;
        m_lastSucceeded =
            m_platform.io().DeviceIoControl(m_handle, code, in, sizeof in, m_reply.data(), replyLength, &returned) !=
            FALSE;
        return m_lastSucceeded;
    }

    void fail(const std::string& prefix) { failWith(prefix); }
    void failWith(const std::string& prefix) {
        m_lastSucceeded = false;
        m_errorCode = m_platform.GetLastError();
        m_errorText = prefix + diskinfo::systemMessage(m_platform, m_errorCode);
    }

    platform::Platform& m_platform;
    std::string& m_errorText;
    DWORD& m_errorCode;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::vector<uint8_t> m_reply;
    bool m_lastSucceeded = true;
};

enum class Goal { Identity, SmartData };

struct LoopOutcome {
    bool answered = false;   // a device went all the way
    IdentifyFields identity;
    int driveNo = -1;
};

// The device loop: devices 0-3 of the map, in order, until one answers what `goal` needs.
bool runDeviceLoop(SmartDevice& device, uint8_t deviceMap, Goal goal, TSmartResult* result, LoopOutcome& out) {
    for (int i = 0; i < 4; ++i) {
        if (!(deviceMap & (1u << i))) continue;
        const bool atapi = deviceMap & (0x10u << i);
        if (!atapi) device.enable(i);  // a failure is noted and the device still tried
        if (!device.identify(i, atapi)) continue;
        out.identity = DecodeIdentify(device.data());
        out.driveNo = i;
        if (goal == Goal::Identity) {
            out.answered = true;
            return true;
        }
        result->DriveNo = i;
        result->Model = out.identity.model;
        result->Serial = out.identity.serial;
        result->Firmware = out.identity.firmware;
        result->SizeBytes = out.identity.sizeBytes;
        result->IdentWord47 = out.identity.word47;
        if (!device.readPage(i, platform::ATA_SMART_READ_DATA, "SMART Read Attr Command Failed, Drive: ")) continue;
        std::vector<uint8_t> attributes(device.data(), device.data() + 512);
        if (!device.readPage(i, platform::ATA_SMART_READ_THRESHOLDS, "SMART Read Threshold Command Failed, Drive: "))
            continue;
        EvaluateAttributes(attributes.data(), device.data(), *result);
        out.answered = true;
        return true;
    }
    return device.lastSucceeded();
}

}  // namespace

bool ReadSmartData(platform::Platform& platform, int32_t driveNumber, TSmartResult& result, std::string& errorText,
                   DWORD* errorCode) {
    result = TSmartResult{};
    errorText.clear();
    DWORD code = 0;
    bool ok = false;
    try {
        SmartDevice device(platform, errorText, code);
        bool familyKnown = false;
        uint8_t deviceMap = 0;
        if (device.open(driveNumber, &familyKnown) && device.version(&deviceMap)) {
            LoopOutcome outcome;
            ok = runDeviceLoop(device, deviceMap, Goal::SmartData, &result, outcome);
        }
    } catch (const std::exception& e) {
        errorText = "SMART Failed - " + diskinfo::trimBlanks(e.what());
    }
    if (errorCode) *errorCode = code;
    return ok;
}

bool IdentifyDrive(platform::Platform& platform, int32_t driveNumber, std::string& errorText, std::string& model,
                   std::string& serial, int64_t& sizeBytes) {
    model.clear();
    serial.clear();
    errorText.clear();
    sizeBytes = 0;
    DWORD code = 0;
    SmartDevice device(platform, errorText, code);
    bool familyKnown = false;
    uint8_t deviceMap = 0;
    if (!device.open(driveNumber, &familyKnown) || !device.version(&deviceMap)) return false;
    LoopOutcome outcome;
    const bool ok = runDeviceLoop(device, deviceMap, Goal::Identity, nullptr, outcome);
    if (outcome.answered) {
        model = outcome.identity.model;
        serial = outcome.identity.serial;
        sizeBytes = outcome.identity.sizeBytes;
    }
    return ok;
}

}  // namespace zv::smart
