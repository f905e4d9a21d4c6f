// The literal spelling the Win32 layer gives every path it hands to Windows:
// roots of drives and shares, relative paths, separators, "." and "..",
// long paths and names that end in a dot or a blank.
#include <gtest/gtest.h>

#include "platform/common/literal_path.h"

namespace {

// A process whose current directory is "C:\Arbeit\Projekt" and whose
// drive D stands in "D:\Ablage".
std::wstring FakeBase(const std::wstring& base) {
    if (base.empty()) return L"C:\\Arbeit\\Projekt";
    if (base == L"\\") return L"C:\\";
    if (base == L"D:" || base == L"d:") return L"D:\\Ablage";
    return L"";
}

std::wstring Literal(const std::wstring& path, bool dropTrailingSlash = false) {
    return plat::LiteralPath(path, FakeBase, dropTrailingSlash);
}

TEST(LiteralPath, DrivesAndSharesGetTheirLiteralRoots) {
    EXPECT_EQ(Literal(L"C:\\Daten\\a.txt"), L"\\\\?\\C:\\Daten\\a.txt");
    EXPECT_EQ(Literal(L"e:\\x"), L"\\\\?\\e:\\x");
    EXPECT_EQ(Literal(L"C:\\"), L"\\\\?\\C:\\");
    EXPECT_EQ(Literal(L"\\\\server\\share\\dir\\f.txt"), L"\\\\?\\UNC\\server\\share\\dir\\f.txt");
    EXPECT_EQ(Literal(L"\\\\server\\share\\"), L"\\\\?\\UNC\\server\\share\\");
    EXPECT_EQ(Literal(L"\\\\server\\share"), L"\\\\?\\UNC\\server\\share\\");
}

TEST(LiteralPath, AlreadyLiteralAndDevicePathsAreKept) {
    for (const wchar_t* path : {L"\\\\?\\C:\\Daten\\..\\a.", L"\\\\?\\UNC\\server\\share\\x\\", L"\\\\.\\pipe\\name",
                                L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\"})
        EXPECT_EQ(Literal(path), path);
}

TEST(LiteralPath, RelativePathsStandOnTheirBase) {
    EXPECT_EQ(Literal(L"sub\\a.txt"), L"\\\\?\\C:\\Arbeit\\Projekt\\sub\\a.txt");
    EXPECT_EQ(Literal(L"..\\Nachbar\\b"), L"\\\\?\\C:\\Arbeit\\Nachbar\\b");
    EXPECT_EQ(Literal(L"\\Wurzel\\c"), L"\\\\?\\C:\\Wurzel\\c");
    EXPECT_EQ(Literal(L"D:sub\\d"), L"\\\\?\\D:\\Ablage\\sub\\d");
    // Nothing to stand on: the call gets the path as given and fails as before.
    EXPECT_EQ(Literal(L"Q:sub"), L"Q:sub");
    EXPECT_EQ(plat::LiteralPath(L"sub\\a", nullptr), L"sub\\a");
    EXPECT_EQ(Literal(L""), L"");
    // A base that is itself literal, or on a share.
    auto literalBase = [](const std::wstring&) { return std::wstring(L"\\\\?\\UNC\\srv\\sh\\dir"); };
    EXPECT_EQ(plat::LiteralPath(L"..\\..\\..\\x", literalBase), L"\\\\?\\UNC\\srv\\sh\\x");
}

TEST(LiteralPath, SeparatorsDotsAndDoubledBackslashesAreResolved) {
    EXPECT_EQ(Literal(L"C:/Daten/sub/a.txt"), L"\\\\?\\C:\\Daten\\sub\\a.txt");
    EXPECT_EQ(Literal(L"//server/share/x"), L"\\\\?\\UNC\\server\\share\\x");
    EXPECT_EQ(Literal(L"C:\\a\\.\\b\\..\\c"), L"\\\\?\\C:\\a\\c");
    EXPECT_EQ(Literal(L"C:\\a\\\\b"), L"\\\\?\\C:\\a\\b");
    EXPECT_EQ(Literal(L"C:\\a\\b\\.."), L"\\\\?\\C:\\a");
    EXPECT_EQ(Literal(L"C:\\..\\..\\x"), L"\\\\?\\C:\\x") << "never above the drive";
    EXPECT_EQ(Literal(L"\\\\server\\share\\..\\x"), L"\\\\?\\UNC\\server\\share\\x") << "never above the share";
}

TEST(LiteralPath, NamesEndingInADotOrABlankKeepThem) {
    EXPECT_EQ(Literal(L"C:\\Q\\Bericht."), L"\\\\?\\C:\\Q\\Bericht.");
    EXPECT_EQ(Literal(L"C:\\Q\\Notiz "), L"\\\\?\\C:\\Q\\Notiz ");
    EXPECT_EQ(Literal(L"C:\\Q\\Alt.\\innen.txt"), L"\\\\?\\C:\\Q\\Alt.\\innen.txt");
    EXPECT_EQ(Literal(L"C:\\Q\\...\\x"), L"\\\\?\\C:\\Q\\...\\x") << "only \".\" and \"..\" are special";
}

TEST(LiteralPath, TrailingBackslashIsKeptOrDroppedButNeverFromARoot) {
    EXPECT_EQ(Literal(L"C:\\Daten\\"), L"\\\\?\\C:\\Daten\\");
    EXPECT_EQ(Literal(L"C:\\Daten\\", true), L"\\\\?\\C:\\Daten");
    EXPECT_EQ(Literal(L"C:\\Daten", true), L"\\\\?\\C:\\Daten");
    EXPECT_EQ(Literal(L"C:\\", true), L"\\\\?\\C:\\");
    EXPECT_EQ(Literal(L"C:\\a\\..\\", true), L"\\\\?\\C:\\");
    EXPECT_EQ(Literal(L"\\\\server\\share\\", true), L"\\\\?\\UNC\\server\\share\\");
    EXPECT_EQ(Literal(L"Alt.\\", true), L"\\\\?\\C:\\Arbeit\\Projekt\\Alt.");
}

// Win32 refuses plain paths from 260 characters on; the literal form is the
// same whatever the length, nothing is cut.
TEST(LiteralPath, LengthsAroundTheOldLimitAreSpelledAlike) {
    for (size_t length : {259u, 260u, 261u, 1000u, 32000u}) {
        std::wstring path = L"C:\\";
        while (path.size() < length) path += (path.size() % 50 == 49) ? L'\\' : L'x';
        path.back() = L'y';
        EXPECT_EQ(Literal(path), L"\\\\?\\" + path) << length;
        const std::wstring share = L"\\\\s\\h\\" + path.substr(3);
        EXPECT_EQ(Literal(share), L"\\\\?\\UNC\\s\\h\\" + path.substr(3)) << length;
    }
}

}  // namespace
