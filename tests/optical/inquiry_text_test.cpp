// The identification fields of the optical window and their treatments.
#include "optical/inquiry_text.h"
#include "optical_machine.h"

#include <gtest/gtest.h>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

TEST(Identification, FieldsByPosition) {
    const auto fields = splitIdentification("TSSTcorpCDDVDW SH-S203N SB01  2007/05/22 extra  ");
    EXPECT_EQ(fields.vendor, "TSSTcorp");
    EXPECT_EQ(fields.productId, "CDDVDW SH-S203N ");
    EXPECT_EQ(fields.revision, "SB01");
    EXPECT_EQ(fields.vendorSpec, "2007/05/22 extra");
}

TEST(Identification, RevisionTreatment) {
    EXPECT_EQ(splitIdentification(std::string(24, 'x') + "1\x01" "2 ").revision, "1 2");
    EXPECT_EQ(splitIdentification(std::string(24, 'x') + "\x02" "1.0").revision, "1.0") << "trimmed first";
    EXPECT_EQ(splitIdentification(std::string(24, 'x') + "A\xE9" "B").revision, "A B");
    EXPECT_EQ(SanitizeText(std::string("a\x1f\x7f\x80\xff", 5)), std::string("a \x7f  ", 5));
}

TEST(Identification, ShortTextsLeaveLaterFieldsEmpty) {
    auto fields = splitIdentification("ABC");
    EXPECT_EQ(fields.vendor, "ABC");
    EXPECT_EQ(fields.productId, "");
    EXPECT_EQ(fields.revision, "");
    EXPECT_EQ(fields.vendorSpec, "");
    fields = splitIdentification("");
    EXPECT_EQ(fields.vendor, "");
    EXPECT_EQ(trimText(" \t x \r\n"), "x");
}

TEST(Identification, ReadInquiryTextFromTheDrive) {
    auto m = machine(R"({"letter": "D", "type": 5, "inquiry": {"vendor": "HL-DT-ST", "product": "DVDRAM GH22NS50", "revision": "TN02",
                        "vendor_specific": "2008/08/22"}, "optical": {}},
                       {"letter": "E", "type": 5, "optical": {}},
                       {"letter": "F", "type": 5, "device": 5, "inquiry": {"vendor": "X"}, "optical": {}},
                       {"letter": "G", "type": 5, "inquiry": {"bytes": "05 80 00 32 1F 00 00 00 41 42 43 00 44 45"}, "optical": {}})");
    m->clearCalls();
    EXPECT_EQ(ReadInquiryText(*m, 'D'), "HL-DT-STDVDRAM GH22NS50 TN022008/08/22");
    const auto blocks = passThroughBlocks(*m);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][6], 6);
    EXPECT_EQ(blocks[0][7], 24);
    EXPECT_EQ(blocks[0][12], 100);
    EXPECT_EQ(blocks[0][16], 2);
    EXPECT_EQ(std::vector<uint8_t>(blocks[0].begin() + 28, blocks[0].begin() + 34), (std::vector<uint8_t>{0x12, 0, 0, 0, 0x64, 0}));
    // The open uses attributes 0.
    for (const auto& call : m->calls())
        if (call.operation == "CreateFileA") {
            EXPECT_EQ(call.arguments.back(), "0x0");
        }
    EXPECT_EQ(ReadInquiryText(*m, 'E'), "") << "no pass-through";
    EXPECT_EQ(ReadInquiryText(*m, 'F'), "") << "cannot be opened";
    EXPECT_EQ(ReadInquiryText(*m, 'G'), "ABC") << "up to the first zero byte";
    EXPECT_EQ(m->openHandleCount(), 0);
}

}  // namespace
}  // namespace zv::optical
