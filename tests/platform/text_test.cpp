// Case rules and conversions: names must pair and sort the same way on the
// disk and in the program, and no byte of a file may vanish in decoding.
#include <gtest/gtest.h>

#include "platform/text.h"

TEST(PlatformText, UpperCaseKnowsUmlautsAndKeepsSharpS) {
    EXPECT_EQ(plat::ToUpper(L"äöü straße éa1\\"), L"ÄÖÜ STRAßE ÉA1\\");
    EXPECT_EQ(plat::ToUpper(L"ÄÖÜ"), L"ÄÖÜ");
    EXPECT_EQ(plat::ToUpper(L""), L"");
}

TEST(PlatformText, LowerCaseIsTheInverseForPathsAUserTypes) {
    EXPECT_EQ(plat::ToLower(L"C:\\ÄÖÜ STRAßE\\ÉA1 Łódź ΑΒΓ ЖЁ"), L"c:\\äöü straße\\éa1 łódź αβγ жё");
    const std::wstring mixed = L"Grüße\\Ärger\\Ÿ-Ő.TXT";
    EXPECT_EQ(plat::ToUpper(plat::ToLower(mixed)), plat::ToUpper(mixed));
    EXPECT_EQ(plat::ToLower(L""), L"");
}

TEST(PlatformText, CompareIgnoresCaseOfUmlautsOrdinally) {
    EXPECT_EQ(plat::CompareNoCase(L"Grüße\\Ärger", L"GRÜßE\\ärger"), 0);
    EXPECT_TRUE(plat::EqualNoCase(L"datei.TXT", L"DATEI.txt"));
    EXPECT_LT(plat::CompareNoCase(L"apfel", L"Birne"), 0);
    EXPECT_GT(plat::CompareNoCase(L"Birne", L"apfel"), 0);
    EXPECT_LT(plat::CompareNoCase(L"abc", L"ABCD"), 0);
    // No linguistic folding: ß is not "SS", and "_" sorts after letters as
    // in the file system's upper-case order.
    EXPECT_NE(plat::CompareNoCase(L"straße", L"STRASSE"), 0);
    EXPECT_GT(plat::CompareNoCase(L"_x", L"ax"), 0);
    EXPECT_EQ(plat::CompareNoCase(L"", L""), 0);
}

TEST(PlatformText, Utf8RoundTripIncludingNonBmp) {
    const std::wstring text = L"Grüße \U0001F600 € ß";
    const std::string utf8 =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xF0\x9F\x98\x80 \xE2\x82\xAC \xC3\x9F";
    EXPECT_EQ(plat::WideToUtf8(text), utf8);
    EXPECT_EQ(plat::Utf8ToWide(utf8), text);
    EXPECT_EQ(plat::Utf8ToWide(""), L"");
    EXPECT_EQ(plat::WideToUtf8(L""), "");
}

TEST(PlatformText, InvalidUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(plat::Utf8ToWide("a\xFF"
                               "b"),
              L"a\uFFFDb");
    EXPECT_EQ(plat::Utf8ToWide("Gr\xFC\xDF"
                               "e"),
              L"Gr\uFFFD\uFFFDe");  // Latin-1 mistaken for UTF-8
    std::wstring cut = plat::Utf8ToWide("x\xE2\x82");
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(cut[0], L'x');
    EXPECT_NE(cut.find(L'\uFFFD'), std::wstring::npos);
}

TEST(PlatformText, Latin1IsTheFirst256CodePoints) {
    EXPECT_EQ(plat::Latin1ToWide("\xC4"), L"Ä");
    EXPECT_EQ(plat::Latin1ToWide("Gr\xFC\xDF"
                                 "e"),
              L"Grüße");
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::wstring wide = plat::Latin1ToWide(all);
    ASSERT_EQ(wide.size(), all.size());
    for (size_t i = 0; i < wide.size(); ++i) EXPECT_EQ(static_cast<unsigned>(wide[i]), i + 1) << i;
}
