#include "platform/sim/sim_optical_answers.h"

#include "platform/api/codec.h"
#include "platform/api/pass_through.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zv::sim {

namespace {

using platform::PassThroughLayout;

std::string hex16(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(value));
    return text;
}

SimScsiAnswer notCarried(DWORD error, const std::string& note) {
    SimScsiAnswer answer;
    answer.carried = false;
    answer.error = error;
    answer.note = note;
    return answer;
}

SimScsiAnswer good(std::vector<uint8_t> data, const std::string& note) {
    SimScsiAnswer answer;
    answer.data = std::move(data);
    answer.note = note;
    return answer;
}

bool discInTray(SimContext& context, char letter, const SimOpticalDrive& drive) {
    return !drive.trayOpen && context.mediumPresent(letter);
}

// NOT READY, MEDIUM NOT PRESENT: tray closed (01) or tray open (02).
SimScsiAnswer noMedium(const SimOpticalDrive& drive, const std::string& what) {
    return checkCondition(0x02, 0x3A, drive.trayOpen ? 0x02 : 0x01, what + ": no medium");
}

SimScsiAnswer testUnitReady(SimContext& context, char letter, SimOpticalDrive& drive, uint32_t transferLength) {
    if (transferLength != 0) return notCarried(ERROR_INVALID_PARAMETER, "TEST UNIT READY moves no data");
    ++drive.readinessRequests;
    switch (drive.readiness) {
    case SimOpticalDrive::Readiness::Unresponsive:
        context.advanceClock(120ull * 1000000000ull);
        return notCarried(ERROR_SEM_TIMEOUT, "TEST UNIT READY: drive does not answer");
    case SimOpticalDrive::Readiness::ReadyAfter:
        if (drive.readinessRequests <= drive.readyAfter)
            return notCarried(ERROR_NOT_READY, "TEST UNIT READY: drive still starting (" +
                                                   std::to_string(drive.readinessRequests) + " of " +
                                                   std::to_string(drive.readyAfter) + ")");
        break;
    case SimOpticalDrive::Readiness::NotReady:
        return checkCondition(0x02, 0x04, 0x01, "TEST UNIT READY: becoming ready");
    case SimOpticalDrive::Readiness::Ready:
        break;
    }
    if (!discInTray(context, letter, drive)) return noMedium(drive, "TEST UNIT READY");
    return good({}, "TEST UNIT READY: ready");
}

// Feature header and, for the profile list feature (0000h), one descriptor listing the
// drive's profiles with the current one flagged.
SimScsiAnswer getConfiguration(SimContext& context, char letter, const SimOpticalDrive& drive, const uint8_t* cdb) {
    const uint8_t requestType = cdb[1] & 0x03;
    const uint16_t startingFeature = codec::getBe16(cdb + 2);
    if (requestType == 0x03) return checkCondition(0x05, 0x24, 0x00, "GET CONFIGURATION: reserved request type");
    const uint16_t current = discInTray(context, letter, drive) ? drive.profile : 0x0000;
    std::vector<uint8_t> data(8, 0);
    codec::putBe16(&data[6], current);
    if (startingFeature == 0x0000) {
        const size_t listBytes = 4 * drive.profiles.size();
        data.push_back(0x00);
        data.push_back(0x00);
        data.push_back(0x03);  // version 0, persistent, current
        data.push_back(uint8_t(listBytes));
        for (uint16_t profile : drive.profiles) {
            data.push_back(uint8_t(profile >> 8));
            data.push_back(uint8_t(profile));
            data.push_back(profile == current ? 0x01 : 0x00);
            data.push_back(0x00);
        }
    }
    codec::putBe32(&data[0], uint32_t(data.size() - 4));
    return good(std::move(data), "GET CONFIGURATION: current profile " + hex16(current));
}

SimScsiAnswer modeSense10(const SimOpticalDrive& drive, const uint8_t* cdb) {
    const uint8_t pageControl = cdb[2] >> 6;
    const uint8_t pageCode = cdb[2] & 0x3F;
    if (pageCode != 0x2A) return checkCondition(0x05, 0x24, 0x00, "MODE SENSE (10): page " + hex16(pageCode) + " not supported");
    if (pageControl == 3) return checkCondition(0x05, 0x39, 0x00, "MODE SENSE (10): saved values not supported");
    if (pageControl == 2 && !drive.answersDefaultValues)
        return checkCondition(0x05, 0x24, 0x00, "MODE SENSE (10): default values not supported");
    const bool noBlockDescriptors = cdb[1] & 0x08;
    const uint16_t descriptors = noBlockDescriptors ? 0 : drive.blockDescriptorLength;
    const std::vector<uint8_t> page = capabilityPageFor(drive);
    std::vector<uint8_t> data(8 + descriptors, 0);
    data.insert(data.end(), page.begin(), page.end());
    codec::putBe16(&data[0], uint16_t(data.size() - 2));
    codec::putBe16(&data[6], descriptors);
    static const char* const kControls[] = {"current", "changeable", "default", "saved"};
    return good(std::move(data), std::string("MODE SENSE (10): page 0x2A, ") + kControls[pageControl] + " values");
}

bool dvdProfile(uint16_t profile) {
    return (profile >= 0x0010 && profile <= 0x0017) || profile == 0x001A || profile == 0x001B || profile == 0x002A ||
           profile == 0x002B;
}

SimScsiAnswer readDiscStructure(SimContext& context, char letter, const SimOpticalDrive& drive, const uint8_t* cdb) {
    const uint8_t mediaType = cdb[1] & 0x0F;
    const uint8_t layer = cdb[6];
    const uint8_t format = cdb[7];
    if (mediaType != 0 || format != 0x00 || layer != 0)
        return checkCondition(0x05, 0x24, 0x00, "READ DISC STRUCTURE: only format 0 of layer 0 is served");
    if (!discInTray(context, letter, drive)) return noMedium(drive, "READ DISC STRUCTURE");
    if (!dvdProfile(drive.profile))
        return checkCondition(0x05, 0x30, 0x02, "READ DISC STRUCTURE: not a DVD (profile " + hex16(drive.profile) + ")");
    std::vector<uint8_t> format0 = drive.physicalFormat.empty() ? defaultPhysicalFormat(drive.profile) : drive.physicalFormat;
    std::vector<uint8_t> data(4, 0);
    codec::putBe16(&data[0], uint16_t(format0.size() + 2));
    data.insert(data.end(), format0.begin(), format0.end());
    return good(std::move(data), "READ DISC STRUCTURE: physical format information");
}

}  // namespace

SimScsiAnswer checkCondition(uint8_t key, uint8_t asc, uint8_t ascq, const std::string& note) {
    SimScsiAnswer answer;
    answer.status = 0x02;
    answer.sense.assign(18, 0);
    answer.sense[0] = 0x70;  // current error, fixed format
    answer.sense[2] = key;
    answer.sense[7] = 10;    // additional sense length
    answer.sense[12] = asc;
    answer.sense[13] = ascq;
    char text[32];
    std::snprintf(text, sizeof text, " (sense %02X/%02X/%02X)", key, asc, ascq);
    answer.note = note + text;
    return answer;
}

std::optional<SimScsiAnswer> answerOpticalCommand(SimContext& context, char letter, SimOpticalDrive& drive,
                                                  const uint8_t* cdb, uint8_t cdbLength, uint32_t transferLength) {
    switch (cdb[0]) {
    case 0x00:
        if (cdbLength != 6) return notCarried(ERROR_INVALID_PARAMETER, "TEST UNIT READY needs CdbLength 6");
        return testUnitReady(context, letter, drive, transferLength);
    case 0x46:
        if (cdbLength != 10) return notCarried(ERROR_INVALID_PARAMETER, "GET CONFIGURATION needs CdbLength 10");
        return getConfiguration(context, letter, drive, cdb);
    case 0x5A:
        if (cdbLength != 10) return notCarried(ERROR_INVALID_PARAMETER, "MODE SENSE (10) needs CdbLength 10");
        return modeSense10(drive, cdb);
    case 0xAD:
        // A 12-byte command; the program sends it with CdbLength 10 and bytes 10-11 zero.
        if (cdbLength != 10 && cdbLength != 12)
            return notCarried(ERROR_INVALID_PARAMETER, "READ DISC STRUCTURE needs CdbLength 10 or 12");
        return readDiscStructure(context, letter, drive, cdb);
    default:
        return std::nullopt;
    }
}

uint32_t allocationLength(const uint8_t* cdb) {
    switch (cdb[0]) {
    case 0x46:
    case 0x5A: return codec::getBe16(cdb + 7);
    case 0xAD: return codec::getBe16(cdb + 8);
    default: return 0;
    }
}

void deliverAnswer(const SimScsiAnswer& answer, uint8_t* block, void* data, uint32_t allocation) {
    using L = PassThroughLayout;
    block[L::ScsiStatus] = answer.status;
    const uint32_t senseOffset = codec::getLe32(block + L::SenseInfoOffset);
    size_t senseBytes = 0;
    if (!answer.sense.empty() && senseOffset < L::Size) {
        senseBytes = std::min<size_t>({answer.sense.size(), block[L::SenseInfoLength], L::Size - senseOffset});
        std::memcpy(block + senseOffset, answer.sense.data(), senseBytes);
    }
    block[L::SenseInfoLength] = uint8_t(senseBytes);
    const uint32_t transfer = codec::getLe32(block + L::DataTransferLength);
    const size_t moved = data ? std::min<size_t>({answer.data.size(), allocation, transfer}) : 0;
    if (moved) std::memcpy(data, answer.data.data(), moved);
    codec::putLe32(block + L::DataTransferLength, uint32_t(moved));
}

}  // namespace zv::sim
