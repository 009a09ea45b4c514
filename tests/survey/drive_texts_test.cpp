// Column texts: the size rule, Bytes Free grouping, % Free, the label cut and the identity cut.
#include "survey/drive_texts.h"

#include <gtest/gtest.h>

namespace zv::survey {
namespace {

const platform::LocaleSeparators kEnglish{".", ","};
const platform::LocaleSeparators kGerman{",", "."};

TEST(SizeText, UnitBoundaryIsStrictlyAboveTwoToTheThirty) {
    EXPECT_EQ(sizeText(1073741824.0, kEnglish), "1024.00 MB");
    EXPECT_EQ(sizeText(1073741825.0, kEnglish), "1.00 GB");
    EXPECT_EQ(sizeText(500107862016.0, kEnglish), "465.76 GB");
    EXPECT_EQ(sizeText(3.5 * 1073741824.0, kEnglish), "3.50 GB");
    EXPECT_EQ(sizeText(980.0 * 1048576.0, kEnglish), "980.00 MB");
}

TEST(SizeText, ZeroAndFailedQueryShowZeroMegabytesWithoutSign) {
    EXPECT_EQ(sizeText(0, kEnglish), "0.00 MB");
    EXPECT_EQ(sizeText(-1, kEnglish), "0.00 MB");
}

TEST(SizeText, FollowsTheDecimalSeparator) {
    EXPECT_EQ(sizeText(500107862016.0, kGerman), "465,76 GB");
    EXPECT_EQ(sizeText(1073741824.0, kGerman), "1024,00 MB");
    EXPECT_EQ(sizeText(1.5 * 1048576.0, kGerman), "1,50 MB");
}

TEST(SizeText, UnshowableValueGivesEmptyText) {
    EXPECT_EQ(sizeText(std::numeric_limits<double>::quiet_NaN(), kEnglish), "");
}

TEST(BytesFreeText, GroupsWholeBytesInTheLocale) {
    EXPECT_EQ(bytesFreeText(12884901888.0, kEnglish), "12,884,901,888");
    EXPECT_EQ(bytesFreeText(12884901888.0, kGerman), "12.884.901.888");
    EXPECT_EQ(bytesFreeText(999, kEnglish), "999");
    EXPECT_EQ(bytesFreeText(1000, kEnglish), "1,000");
}

TEST(BytesFreeText, FailedQueryAndZeroShowZero) {
    EXPECT_EQ(bytesFreeText(-1, kEnglish), "0");
    EXPECT_EQ(bytesFreeText(0, kEnglish), "0");
}

TEST(BytesFreeText, KeepsWholeBytesBeyondTwoToTheForty) {
    EXPECT_EQ(bytesFreeText(1099511627777.0, kEnglish), "1,099,511,627,777");
}

TEST(PercentFreeText, EightWideOneDecimalThenPercent) {
    EXPECT_EQ(percentFreeText(45.27, kEnglish), "    45.3%");
    EXPECT_EQ(percentFreeText(0, kEnglish), "     0.0%");
    EXPECT_EQ(percentFreeText(100, kEnglish), "   100.0%");
    EXPECT_EQ(percentFreeText(45.27, kGerman), "    45,3%");
}

TEST(PercentFreeText, UnshowableValueGivesFixedText) {
    EXPECT_EQ(percentFreeText(std::numeric_limits<double>::quiet_NaN(), kEnglish), "0.0%");
}

TEST(LabelCut, KeepsWholeCharactersWithinTheLimit) {
    const std::string eighty(80, 'x');
    EXPECT_EQ(cutAtCharacterBoundary(eighty + "yz", 80), eighty);
    EXPECT_EQ(cutAtCharacterBoundary("Daten", 80), "Daten");
    // "é" is two bytes: at 79 + 2 the second byte would fall beyond the limit.
    const std::string seventyNine(79, 'x');
    EXPECT_EQ(cutAtCharacterBoundary(seventyNine + "\xC3\xA9", 80), seventyNine);
    EXPECT_EQ(cutAtCharacterBoundary(seventyNine + "\xC3\xA9", 81), seventyNine + "\xC3\xA9");
    // A three-byte character cut after one or two of its bytes.
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_EQ(cutAtCharacterBoundary(std::string(78, 'x') + euro, 80), std::string(78, 'x'));
    EXPECT_EQ(cutAtCharacterBoundary(std::string(77, 'x') + euro, 80), std::string(77, 'x') + euro);
    // A four-byte character.
    EXPECT_EQ(cutAtCharacterBoundary("ab\xF0\x9F\x92\xBE", 5), "ab");
    EXPECT_EQ(cutAtCharacterBoundary("ab\xF0\x9F\x92\xBE", 6), "ab\xF0\x9F\x92\xBE");
}

TEST(LabelCut, DropsAHalfCharacterTheSystemAlreadyCut) {
    EXPECT_EQ(cutAtCharacterBoundary("Fotos \xC3", 80), "Fotos ");
    EXPECT_EQ(cutAtCharacterBoundary("Fotos \xE2\x82", 80), "Fotos ");
}

TEST(LabelCut, LeavesTextThatIsNoUtf8AsItIs) {
    EXPECT_EQ(cutAtCharacterBoundary("\x80\x80", 80), "\x80\x80");
    EXPECT_EQ(cutAtCharacterBoundary("", 80), "");
}

TEST(IdentityCut, VendorIsCharactersOneToEightProductNineToTwentyFour) {
    const std::string identity = "ATAPI   DVD A  DH16AYS  YL6Nvendor";
    EXPECT_EQ(vendorOf(identity), "ATAPI   ");
    EXPECT_EQ(productIdOf(identity), "DVD A  DH16AYS  ");
    EXPECT_EQ(productIdOf(identity).size(), 16u);
    EXPECT_EQ(vendorOf("SONY"), "SONY");
    EXPECT_EQ(productIdOf("SONY"), "");
    EXPECT_EQ(productIdOf("Generic-SD"), "SD");
    EXPECT_EQ(vendorOf(""), "");
}

}  // namespace
}  // namespace zv::survey
