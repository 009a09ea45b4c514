// The IDENTIFY DEVICE page as a disk answers it, read through the disk driver's requests
// (model, serial, firmware, size), and as the kernel's sysfs copy shows it (256 words in
// hexadecimal).
#include "diskinfo/ide_serial.h"
#include "platform/linux/ata_pass_through.h"
#include "smart/identify_data.h"
#include "smart/smart_access.h"
#include "support/check.h"
#include "support/disk_bench.h"

#include <cstdio>

using namespace zv;

namespace {

bool trimmedAtBothEnds(const std::string& text) {
    return text.empty() ||
           (static_cast<unsigned char>(text.front()) > 0x20 && static_cast<unsigned char>(text.back()) > 0x20);
}

// The page as the kernel prints it: words in hexadecimal, eight to a line.
std::string wordsText(const std::vector<uint8_t>& page) {
    std::string text;
    char word[6];
    for (size_t i = 0; i + 1 < page.size(); i += 2) {
        std::snprintf(word, sizeof word, "%02x%02x", page[i + 1], page[i]);
        text += word;
        text += (i / 2) % 8 == 7 ? '\n' : ' ';
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::DiskBench bench;
    std::vector<uint8_t> page(data, data + std::min<size_t>(size, 512));
    page.resize(512, 0);
    const auto attributes = fuzz::DiskBench::attributePage();
    const auto thresholds = fuzz::DiskBench::thresholdPage();
    bench.answer(page, std::vector<uint8_t>(attributes.begin(), attributes.end()),
                 std::vector<uint8_t>(thresholds.begin(), thresholds.end()));

    std::string errorText, model, serial;
    int64_t sizeBytes = -1;
    FUZZ_CHECK(smart::IdentifyDrive(bench.platform(), bench.driveNumber(), errorText, model, serial, sizeBytes));
    const smart::IdentifyFields fields = smart::DecodeIdentify(page.data());
    FUZZ_CHECK(model == fields.model && serial == fields.serial && sizeBytes == fields.sizeBytes);
    FUZZ_CHECK(model.size() <= 40 && serial.size() <= 20 && fields.firmware.size() <= 8);
    FUZZ_CHECK(trimmedAtBothEnds(model) && trimmedAtBothEnds(serial) && trimmedAtBothEnds(fields.firmware));
    FUZZ_CHECK(sizeBytes >= 0 && sizeBytes % 512 == 0);

    // The serial as the disk information window reads it: untrimmed, up to its first zero.
    const std::string rawSerial = diskinfo::IdeSerialNumber(bench.platform(), bench.driveNumber());
    FUZZ_CHECK(rawSerial.size() <= 20 && rawSerial.find('\0') == std::string::npos);

    // The sysfs copy: the page printed as the kernel prints it reads back as the page; the
    // input as such a text never gives a page of another size.
    FUZZ_CHECK(lnx::parseIdentifyWords(wordsText(page)) == page);
    const std::vector<uint8_t> parsed = lnx::parseIdentifyWords(std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(parsed.empty() || parsed.size() == 512);
    return 0;
}
