// The byte-level reader: how hand-edited files are understood.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ini_parse.h"

namespace {

std::wstring Value(const core::IniDoc& doc, const wchar_t* section, const wchar_t* key) {
    std::wstring value;
    EXPECT_TRUE(core::IniValue(doc, section, key, value)) << "missing key";
    return value;
}

bool Has(const core::IniDoc& doc, const wchar_t* section, const wchar_t* key) {
    std::wstring value;
    return core::IniValue(doc, section, key, value);
}

TEST(CoreIniParse, LinesKeysAndBlanks) {
    core::IniDoc doc = core::ParseIni(
        "\r\n\r\n  \t[GENERAL]\r\r\n"
        "  ; GLogExt=9\n"
        "\tGLogExt \t=\t 1 \t\n"
        "GStdBupPath = E:\\Mit Leerzeichen\\ \r\n"
        "Empty =\n"
        "NoEquals\n"
        "A=B=C\r");
    EXPECT_EQ(Value(doc, L"GENERAL", L"GLogExt"), L"1");
    EXPECT_EQ(Value(doc, L"GENERAL", L"GStdBupPath"), L"E:\\Mit Leerzeichen\\");
    EXPECT_EQ(Value(doc, L"GENERAL", L"Empty"), L"");
    EXPECT_EQ(Value(doc, L"GENERAL", L"NoEquals"), L"");
    EXPECT_EQ(Value(doc, L"GENERAL", L"A"), L"B=C");
    EXPECT_FALSE(Has(doc, L"GENERAL", L"; GLogExt"));
}

TEST(CoreIniParse, NamesIgnoreAsciiCaseOnly) {
    core::IniDoc doc = core::ParseIni("[general]\ngstdauto=0\n");
    EXPECT_EQ(Value(doc, L"GENERAL", L"GStdAuto"), L"0");
    // Beyond ASCII a name must match exactly: "Ä" and "ä" are two names.
    core::IniDoc latin = core::ParseIni("[\xC4]\n\xE4=1\n");
    EXPECT_TRUE(Has(latin, L"\u00C4", L"\u00E4"));
    EXPECT_FALSE(Has(latin, L"\u00E4", L"\u00E4"));
    EXPECT_FALSE(Has(latin, L"\u00C4", L"\u00C4"));
}

TEST(CoreIniParse, SectionLineEndsAtBracketOrLineEnd) {
    core::IniDoc doc = core::ParseIni("[GENERAL] tail ] more\nA=1\n[Window\nB=2\n");
    EXPECT_EQ(Value(doc, L"GENERAL", L"A"), L"1");
    EXPECT_EQ(Value(doc, L"Window", L"B"), L"2");
}

TEST(CoreIniParse, FirstSectionAndFirstKeyWin) {
    core::IniDoc doc = core::ParseIni("[GENERAL]\nA=1\nA=2\n[Window]\nB=3\n[general]\nA=4\nC=5\n");
    EXPECT_EQ(Value(doc, L"GENERAL", L"A"), L"1");
    // C stands only in the second "GENERAL", which is never read.
    EXPECT_FALSE(Has(doc, L"GENERAL", L"C"));
}

TEST(CoreIniParse, KeyIsLookedForOnlyUpToTheNextSection) {
    core::IniDoc doc = core::ParseIni("[GENERAL]\n[Other]\nGLogExt=1\n");
    EXPECT_FALSE(Has(doc, L"GENERAL", L"GLogExt"));
    EXPECT_TRUE(Has(doc, L"Other", L"GLogExt"));
    // Key lines before any section belong to none.
    core::IniDoc before = core::ParseIni("GLogExt=1\n[GENERAL]\n");
    EXPECT_FALSE(Has(before, L"GENERAL", L"GLogExt"));
}

TEST(CoreIniParse, EnumerationKeepsFileOrderDuplicatesAndSkipsEmpty) {
    core::IniDoc doc =
        core::ParseIni("[PATHS]\n1 = a\n; 1 = comment\n1 = b\nx =\nzz = c\n[EXCLUDES]\n1=d\n[paths]\n9=e\n");
    EXPECT_EQ(core::IniSectionValues(doc, L"PATHS"), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_TRUE(core::IniSectionValues(doc, L"ARCINDIV").empty());
}

TEST(CoreIniParse, ByteOrderMarkMeansUtf8) {
    core::IniDoc utf8 = core::ParseIni("\xEF\xBB\xBF[A]\nK=\xC3\x84\n");
    EXPECT_EQ(Value(utf8, L"A", L"K"), L"\u00C4");
    // Without the mark the same bytes are two Latin-1 characters.
    core::IniDoc latin = core::ParseIni("[A]\nK=\xC3\x84\n");
    EXPECT_EQ(Value(latin, L"A", L"K"), L"\u00C3\u0084");
}

TEST(CoreIniParse, FieldsSplitAtBar) {
    EXPECT_EQ(core::IniFields(L"1|C:\\|E:\\", 4), (std::vector<std::wstring>{L"1", L"C:\\", L"E:\\", L""}));
    EXPECT_EQ(core::IniFields(L"a||b|", 5), (std::vector<std::wstring>{L"a", L"", L"b", L"", L""}));
    EXPECT_EQ(core::IniFields(L"a|b|c", 2), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(core::IniFields(L"", 2), (std::vector<std::wstring>{L"", L""}));
}

}  // namespace
