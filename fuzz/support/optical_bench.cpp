#include "support/optical_bench.h"

#include "common/ui_services.h"
#include "optical/inquiry_text.h"
#include "optical/iso_disc_lib.h"
#include "optical/media_profiles.h"
#include "optical/mmc_commands.h"
#include "platform/api/platform.h"
#include "support/recorded_machine.h"

#include <stdexcept>

namespace zv::fuzz {

using namespace zv::win;

namespace {

std::vector<uint8_t> inquiryData() {
    std::vector<uint8_t> data(36, 0);
    data[0] = 0x05;
    data[1] = 0x80;
    data[2] = 0x05;
    data[3] = 0x02;
    data[4] = 31;
    const std::string text = "HL-DT-STDVDRAM GH24NSD1 LG00";
    std::copy(text.begin(), text.end(), data.begin() + 8);
    return data;
}

}  // namespace

OpticalBench::OpticalBench() {
    m_platform = recordedLinuxPlatform("desktop", m_seam);
    for (char letter = 'C'; letter <= 'Z' && !m_letter; ++letter) {
        const char root[4] = {letter, ':', '\\', 0};
        if (m_platform->drives().GetDriveTypeA(root) == DRIVE_CDROM) m_letter = letter;
    }
    if (!m_letter) throw std::runtime_error("the recorded desktop machine has no optical drive");
}

OpticalBench::~OpticalBench() = default;

ScsiAnswer OpticalBench::defaultAnswer(uint8_t opcode) {
    ScsiAnswer answer;
    switch (opcode) {
    case kInquiry: answer.data = inquiryData(); break;
    case kGetConfiguration: answer.data = {0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x10}; break;
    case kModeSense10:
        answer.data = {0x00, 0x24, 0x70, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x1C, 0x3F, 0x37, 0x71, 0x03, 0x29, 0x23,
                       0x21, 0x13, 0x01, 0x00, 0x08, 0x00, 0x21, 0x13, 0x00, 0x00, 0x1B, 0x90, 0x1B, 0x90};
        break;
    case kReadDiscStructure:
        answer.data = {0x08, 0x02, 0x00, 0x00, 0x01, 0x02, 0x21, 0x00, 0x00, 0x03, 0x00, 0x00,
                       0x00, 0xFD, 0x1F, 0xB7, 0x00, 0x00, 0x00, 0x00, 0x00};
        break;
    default: break;
    }
    return answer;
}

OpticalReport OpticalBench::run() {
    for (uint8_t opcode : {kInquiry, kGetConfiguration, kModeSense10, kReadDiscStructure})
        if (!m_seam.answers.count(opcode)) m_seam.answers[opcode] = defaultAnswer(opcode);
    OpticalReport report;
    report.inquiryText = optical::ReadInquiryText(*m_platform, m_letter);
    const HANDLE device = m_platform->io().CreateFileA(optical::devicePath(m_letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (device != INVALID_HANDLE_VALUE) {
        report.profile = optical::ReadCurrentProfile(*m_platform, device);
        m_platform->io().CloseHandle(device);
    }
    NullEventPump pump;
    report.summary = optical::QueryDriveCapabilitySummary(*m_platform, pump, m_letter, &report.disc);
    return report;
}

}  // namespace zv::fuzz
