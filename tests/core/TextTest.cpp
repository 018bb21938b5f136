// The text unit: the parsers every file and registry value goes through, and the comparisons
// that must not depend on the C library's locale.
#include <gtest/gtest.h>

#include <limits>

#include "platform/Text.h"
#include "support/FakeDesktop.h"

namespace nv::test {

TEST(Text, IntegersParseAsTheFileWritesThem) {
    EXPECT_EQ(ParseInteger(L"0"), 0);
    EXPECT_EQ(ParseInteger(L"-20"), -20);
    EXPECT_EQ(ParseInteger(L"+7"), 7);
    EXPECT_EQ(ParseInteger(L"2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger(L"-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseInteger(L"0xff"), 255);
    EXPECT_EQ(ParseInteger(L"0XFFFFFFFF"), -1);
    for (const wchar_t* bad : {L"", L"-", L"+", L"yes", L"1.5", L"12a", L"0x", L"0xG1",
                               L"2147483648", L"-2147483649", L"0x100000000", L" 5"})
        EXPECT_FALSE(ParseInteger(bad).has_value()) << ToUtf8(bad);
}

TEST(Text, UnsignedNumbersAndHexRefuseWhatIsNotWhollyTheirs) {
    EXPECT_EQ(ParseUnsigned(L"22000"), 22000u);
    EXPECT_EQ(ParseUnsigned(L"4294967295"), 4294967295u);
    for (const wchar_t* bad : {L"", L"4294967296", L"99999999999", L"-1", L"+1", L"1 ", L"x"})
        EXPECT_FALSE(ParseUnsigned(bad).has_value()) << ToUtf8(bad);
    std::vector<std::uint8_t> bytes{0x00, 0x7f, 0xAB, 0xff};
    EXPECT_EQ(ToHex(bytes), L"007fabff");
    EXPECT_EQ(FromHex(L"007FABff"), bytes);
    for (const wchar_t* bad : {L"", L"0", L"abc", L"zz", L"0g"})
        EXPECT_FALSE(FromHex(bad).has_value()) << ToUtf8(bad);
}

// Letters beyond ASCII are compared through the platform, as Windows compares file names; the
// C library under its default locale would see "É" and "é" as different letters.
TEST(Text, ComparisonsIgnoreCaseBeyondAscii) {
    FakeDesktop d;
    EXPECT_TRUE(SameText(d, L"CAFÉ.EXE", L"café.exe"));
    EXPECT_FALSE(SameText(d, L"cafe.exe", L"café.exe"));
    EXPECT_FALSE(SameText(d, L"a", L"ab"));
    EXPECT_TRUE(ContainsText(d, L"C:\\Programme\\Éditeur\\ÉDIT.exe", L"édit.EXE"));
    EXPECT_FALSE(ContainsText(d, L"short", L"longer text"));
    std::wstring text = L"ctrl+Alt+A";
    EXPECT_TRUE(TakePrefix(d, text, L"CTRL+"));
    EXPECT_EQ(text, L"Alt+A");
    EXPECT_FALSE(TakePrefix(d, text, L"Shift+"));
    EXPECT_EQ(ExtractFileName(L"D:\\tools\\x.exe"), L"x.exe");
    EXPECT_EQ(ExtractFileName(L"D:x.exe"), L"x.exe");
    EXPECT_EQ(ExtractFileDir(L"D:\\x.exe"), L"D:");
    EXPECT_EQ(ExtractFileDir(L"x.exe"), L"");
}

}  // namespace nv::test
