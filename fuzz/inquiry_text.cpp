// INQUIRY standard data as a drive answers it: the identification text the optical window
// shows and its four fields.
#include "optical/inquiry_text.h"
#include "support/check.h"
#include "support/optical_bench.h"

using namespace zv;

namespace {

bool printable(const std::string& text) {
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if ((code >= 1 && code <= 31) || code >= 128) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::OpticalBench bench;
    bench.seam().answers.clear();
    bench.seam().answers[fuzz::kInquiry].data.assign(data, data + size);
    const fuzz::OpticalReport report = bench.run();

    // The text is the answer from byte 8 up to its first zero, at most 92 bytes: what the
    // drive sent, nothing more (bytes it did not send read as zero).
    std::string expected;
    for (size_t i = 8; i < size && i < 100 && data[i] != 0; ++i) expected += char(data[i]);
    FUZZ_CHECK(report.inquiryText == expected);

    const optical::IdentificationFields fields = optical::splitIdentification(report.inquiryText);
    FUZZ_CHECK(fields.vendor.size() <= 8 && fields.productId.size() <= 16);
    FUZZ_CHECK(fields.revision.size() <= 4 && fields.vendorSpec.size() <= 20);
    FUZZ_CHECK(report.inquiryText.compare(0, fields.vendor.size(), fields.vendor) == 0);
    FUZZ_CHECK(printable(fields.revision));
    const std::string sanitized = optical::SanitizeText(report.inquiryText);
    FUZZ_CHECK(sanitized.size() == report.inquiryText.size() && printable(sanitized));
    const std::string trimmed = optical::trimText(report.inquiryText);
    FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > ' ' &&
                              static_cast<unsigned char>(trimmed.back()) > ' '));
    FUZZ_CHECK(report.inquiryText.find(trimmed) != std::string::npos);
    return 0;
}
