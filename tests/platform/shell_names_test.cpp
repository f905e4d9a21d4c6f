// The names a file manager shows for the columns and types of a directory
// list: the system's own, in the user's language. Windows (here Wine) asks
// its shell; the portable layer has none and shows the names of a German
// Windows. The Windows suite runs a second time under a German locale
// (LC_ALL=de_DE.UTF-8), where Wine answers in German.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/common/dirlist_text.h"
#include "platform/shell.h"
#include "platform/testing.h"

namespace {

using plat::ShellColumn;

const ShellColumn kColumns[] = {ShellColumn::Name, ShellColumn::Size, ShellColumn::Type, ShellColumn::Modified};

bool GermanLocale() { return plat::GetEnv(L"LC_ALL").rfind(L"de_DE", 0) == 0; }

TEST(ShellNames, ColumnTitlesAreTheSystemsAndFourDifferentOnes) {
    std::set<std::wstring> titles;
    for (ShellColumn c : kColumns) {
        const std::wstring title = plat::DirListColumnTitle(c);
        EXPECT_FALSE(title.empty());
        titles.insert(title);
        // Where the system names the column, its name is the one shown.
        const std::wstring shell = plat::ShellColumnTitle(c);
        if (!shell.empty()) {
            EXPECT_EQ(title, shell);
        }
        EXPECT_EQ(shell.empty(), plat::PortableLayer());
    }
    EXPECT_EQ(titles.size(), 4u);
    if (plat::PortableLayer()) {
        EXPECT_EQ(plat::DirListColumnTitle(ShellColumn::Name), L"Name");
        EXPECT_EQ(plat::DirListColumnTitle(ShellColumn::Size), L"Größe");
        EXPECT_EQ(plat::DirListColumnTitle(ShellColumn::Type), L"Typ");
        EXPECT_EQ(plat::DirListColumnTitle(ShellColumn::Modified), L"Änderungsdatum");
    } else if (GermanLocale()) {
        EXPECT_EQ(plat::ShellColumnTitle(ShellColumn::Size), L"Größe");
        EXPECT_EQ(plat::ShellColumnTitle(ShellColumn::Type), L"Typ");
        // Windows says "Name" and "Änderungsdatum", Wine 8 "Datei" and "Geändert".
        const std::set<std::wstring> name = {L"Name", L"Datei"}, modified = {L"Änderungsdatum", L"Geändert"};
        EXPECT_TRUE(name.count(plat::ShellColumnTitle(ShellColumn::Name)));
        EXPECT_TRUE(modified.count(plat::ShellColumnTitle(ShellColumn::Modified)));
    }
}

TEST(ShellNames, TypeTextsComeFromTheShellWithTheGermanNamesAsFallback) {
    const std::wstring folder = plat::DirListTypeText(L"Briefe", false, true);
    const std::wstring text = plat::DirListTypeText(L"Brief.txt", false, false);
    EXPECT_FALSE(folder.empty());
    EXPECT_FALSE(text.empty());
    EXPECT_NE(folder, text);
    // The same type whatever the case of the extension; a file needs not exist.
    EXPECT_EQ(plat::DirListTypeText(L"NOTIZ.TXT", false, false), text);
    EXPECT_FALSE(plat::DirListTypeText(L"C:", true, true).empty());
    if (plat::PortableLayer()) {
        EXPECT_EQ(folder, L"Dateiordner");
        EXPECT_EQ(text, L"TXT-Datei");
        EXPECT_EQ(plat::DirListTypeText(L"LIESMICH", false, false), L"Datei");
        EXPECT_EQ(plat::DirListTypeText(L"C:", true, true), L"Lokaler Datenträger");
    } else {
        EXPECT_EQ(folder, plat::ShellTypeName(L"Briefe", true, false));
        EXPECT_EQ(text, plat::ShellTypeName(L"Brief.txt", false, false));
        if (GermanLocale()) {
            // Windows names them in German; Wine 8 keeps the English names of
            // its registry.
            const std::set<std::wstring> folders = {L"Dateiordner", L"Folder"},
                                         texts = {L"Textdokument", L"Text Document"};
            EXPECT_TRUE(folders.count(folder));
            EXPECT_TRUE(texts.count(text));
        }
    }
}

}  // namespace
