// The configuration file as written: byte for byte, since users edit it by
// hand and the backup run compares copies of it.
#include <gtest/gtest.h>

#include <string>

#include "core/config.h"
#include "core/state.h"

namespace {

// The expected file is written here with "\n"; the program writes CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

const char* const kGeneralAndWindow = R"(
; Änderungen an der INI erst durchführen, wenn Tresoro beendet wurde! (INI wird beim Schliessen geschrieben)
[GENERAL]
INIVersion = 110708
INIinPrgPath = 0
; Wenn INIinPrgPath=1 wird die Konfiguration vom Programmpfad gelesen & geschrieben
GStdAuto = 0
GStdBupPath = F:\
GLogExt = 1
; Ausführlichere Meldungen im Protokoll
GCreateDest = 0
; 1 -> wenn Backup-Ziel nicht existiert, wird versucht das Verzeichnis zu erstellen
GSearchDest = 1
; 1 -> versucht Backuppfad ggfs. auf anderen Laufwerken zu finden (von A: bis Z:)
GFirstNext = 5
; ab welcher vollen Stunde soll nächstes mal ein Backup gemacht werden (im Zusammenhang mit Backuintervall)
GBupBeiStartVerz = 30
; Verzögerung bei Autostart (/S) in Sekunden. Sinnvoll wenn USB-Laufwerke sich bei Windowsstart nicht schnell genug anmelden.
[Window]
GDMScale = 1.250000
; Dialogskalierung Faktor, -1 = abhängig von Windows DPI
GMainWinX = 10
GMainWinY = -20
GMainWinXD = 1024
GMainWinYD = 700
GMainPan1Splitt = 150
)";

const char* const kLists = R"([PATHS]
1 = 1382441047|C:\Users\Benutzer\|E:\Sicherung\|1|7|15230|3|0|1373291122
2 = 42|D:\Daten\Äpfel\|\\server\share\|3|0|0|-1|2|0
[EXCLUDES]
1 = 1382441047|C:\USERS\BENUTZER\APPDATA\
2 = 42|D:\DATEN\ÄPFEL\TMP\
[EXCLUDESTRINGS]
; Suchstrings für die Funktion 'Ausnahmen suchen' - mehrere getrennt durch | (UND verknüpft)
; - wichtig dabei: der letzte der Strings muss auch am Ende des gesuchten Pfades sein...!
; % variable Windows-Verzeichnisse, siehe WinFolderList.txt im Konfig. Verzeichnis
; Gelesen wird diese Einstellung nur von der Tresoro.ini im Programmverzeichnis...
1 = %MYTEMP
2 = OPERA|CACHE
[ARCINDIV]
1 = 1382441047|E:\Sicherung\Fotos\|30|-1|1
)";

void SetReferenceConfiguration() {
    core::State& s = core::S();
    core::Settings& g = s.settings;
    g.GStdAuto = 0;
    g.GStdBupPath = L"F:\\";
    g.GLogExt = 1;
    g.GCreateDest = 0;
    g.GFirstNext = 5;
    g.GBupBeiStartVerz = 30;
    g.GDMScale = 1.25f;
    g.GMainWinX = 10;
    g.GMainWinY = -20;
    g.GMainWinXD = 1024;
    g.GMainWinYD = 700;
    g.GMainPan1Splitt = 150;
    s.Jobs.Append({1382441047, L"C:\\Users\\Benutzer\\", L"E:\\Sicherung\\", 1, 7, 3, 15230, 0, 1373291122});
    s.Jobs.Append({42, L"D:\\Daten\\Äpfel\\", L"\\\\server\\share\\", 3, 0, -1, 0, 2, 0});
    s.Excludes.Append({1382441047, L"C:\\USERS\\BENUTZER\\APPDATA\\"});
    s.Excludes.Append({42, L"D:\\DATEN\\ÄPFEL\\TMP\\"});
    s.ExcludeStrings.Append(L"%MYTEMP");
    s.ExcludeStrings.Append(L"OPERA|CACHE");
    s.ArcIndiv.Append({1382441047, L"E:\\Sicherung\\Fotos\\", 30, -1, 1});
}

TEST(CoreConfigWrite, ReferenceConfigurationByteForByte) {
    SetReferenceConfiguration();
    std::string expected = "\xEF\xBB\xBF" + WithCrLf(std::string(kGeneralAndWindow) + kLists);
    EXPECT_EQ(core::ConfigFileBytes(), expected);
}

TEST(CoreConfigWrite, EmptyListsLeaveOutTheirSectionsButNotExcludeStrings) {
    std::string bytes = core::ConfigFileBytes();
    EXPECT_EQ(bytes.find("[PATHS]"), std::string::npos);
    EXPECT_EQ(bytes.find("[EXCLUDES]"), std::string::npos);
    EXPECT_EQ(bytes.find("[ARCINDIV]"), std::string::npos);
    std::string tail = WithCrLf(
        "[EXCLUDESTRINGS]\n"
        "; Suchstrings für die Funktion 'Ausnahmen suchen' - mehrere getrennt durch | (UND "
        "verknüpft)\n"
        "; - wichtig dabei: der letzte der Strings muss auch am Ende des gesuchten Pfades "
        "sein...!\n"
        "; % variable Windows-Verzeichnisse, siehe WinFolderList.txt im Konfig. Verzeichnis\n"
        "; Gelesen wird diese Einstellung nur von der Tresoro.ini im Programmverzeichnis...\n");
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST(CoreConfigWrite, DefaultsAndEmptyValue) {
    std::string bytes = core::ConfigFileBytes();
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF\r\n; ", 0), 0u);
    EXPECT_NE(bytes.find("\r\nGStdBupPath = \r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nGDMScale = -1.000000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nGMainWinX = -65535\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nGStdAuto = 1\r\n"), std::string::npos);
}

TEST(CoreConfigWrite, ScaleHasSixDecimalsAndAPoint) {
    EXPECT_EQ(core::FormatScale(1.25f), L"1.250000");
    EXPECT_EQ(core::FormatScale(-1.0f), L"-1.000000");
    EXPECT_EQ(core::FormatScale(2.0f), L"2.000000");
    // The float nearest 1.1 lies a little above it; six decimals hide that.
    EXPECT_EQ(core::FormatScale(1.1f), L"1.100000");
    EXPECT_EQ(core::FormatScale(0.3333333f), L"0.333333");
}

// The run writes the file while jobs carry negative archive counts and
// byte-sized fields; every number goes out in decimal with its sign.
TEST(CoreConfigWrite, NegativeAndByteFieldsInDecimal) {
    core::S().settings.GLogExt = -3;
    core::S().Jobs.Append({7, L"C:\\", L"E:\\", -128, -1, -1, -2147483647 - 1, 0, 0});
    std::string bytes = core::ConfigFileBytes();
    EXPECT_NE(bytes.find("\r\nGLogExt = -3\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n1 = 7|C:\\|E:\\|-128|-1|-2147483648|-1|0|0\r\n"), std::string::npos);
}

}  // namespace
