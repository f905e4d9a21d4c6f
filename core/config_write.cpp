#include <charconv>

#include "core/config.h"
#include "core/report.h"
#include "core/state.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace core {

// The file being composed; every line ends in CR LF.
struct CfgOut {
    std::wstring text;
    void Line(const std::wstring& line) { text += line + L"\r\n"; }
    void Comment(const std::wstring& comment) { Line(L"; " + comment); }
    void Section(const std::wstring& name) { Line(L"[" + name + L"]"); }
    void Key(const std::wstring& key, const std::wstring& value) { Line(key + L" = " + value); }
    void Key(const std::wstring& key, int32_t value) { Key(key, std::to_wstring(value)); }
};

// to_chars knows no locale, so a German system still writes "1.250000".
std::wstring FormatScale(float value) {
    char buffer[400];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 6);
    if (result.ec != std::errc()) return L"-1.000000";
    return std::wstring(buffer, result.ptr);
}

static std::wstring CfgJoin(std::initializer_list<std::wstring> fields) {
    std::wstring out;
    bool first = true;
    for (const std::wstring& field : fields) {
        if (!first) out += L'|';
        out += field;
        first = false;
    }
    return out;
}

static std::wstring CfgNum(int64_t value) { return std::to_wstring(value); }

static void CfgWriteGeneral(CfgOut& out) {
    const Settings& g = S().settings;
    out.Comment(
        L"Änderungen an der INI erst durchführen, wenn Tresoro beendet wurde! "
        L"(INI wird beim Schliessen geschrieben)");
    out.Section(L"GENERAL");
    out.Key(L"INIVersion", kIniVersion);
    out.Key(L"INIinPrgPath", g.INIinPrgPath);
    out.Comment(
        L"Wenn INIinPrgPath=1 wird die Konfiguration vom Programmpfad gelesen & "
        L"geschrieben");
    out.Key(L"GStdAuto", g.GStdAuto);
    out.Key(L"GStdBupPath", g.GStdBupPath);
    out.Key(L"GLogExt", g.GLogExt);
    out.Comment(L"Ausführlichere Meldungen im Protokoll");
    out.Key(L"GCreateDest", g.GCreateDest);
    out.Comment(
        L"1 -> wenn Backup-Ziel nicht existiert, wird versucht das Verzeichnis zu "
        L"erstellen");
    out.Key(L"GSearchDest", g.GSearchDest);
    out.Comment(L"1 -> versucht Backuppfad ggfs. auf anderen Laufwerken zu finden (von A: bis Z:)");
    out.Key(L"GFirstNext", g.GFirstNext);
    out.Comment(
        L"ab welcher vollen Stunde soll nächstes mal ein Backup gemacht werden (im "
        L"Zusammenhang mit Backuintervall)");
    out.Key(L"GBupBeiStartVerz", g.GBupBeiStartVerz);
    out.Comment(
        L"Verzögerung bei Autostart (/S) in Sekunden. Sinnvoll wenn USB-Laufwerke sich "
        L"bei Windowsstart nicht schnell genug anmelden.");
}

static void CfgWriteWindow(CfgOut& out) {
    const Settings& g = S().settings;
    out.Section(L"Window");
    out.Key(L"GDMScale", FormatScale(g.GDMScale));
    out.Comment(L"Dialogskalierung Faktor, -1 = abhängig von Windows DPI");
    out.Key(L"GMainWinX", g.GMainWinX);
    out.Key(L"GMainWinY", g.GMainWinY);
    out.Key(L"GMainWinXD", g.GMainWinXD);
    out.Key(L"GMainWinYD", g.GMainWinYD);
    out.Key(L"GMainPan1Splitt", g.GMainPan1Splitt);
}

// EntryCount stands between ArcInterval and ArcVersions, as files have
// always had it.
static void CfgWriteLists(CfgOut& out) {
    const State& s = S();
    if (!s.Jobs.Empty()) out.Section(L"PATHS");
    int32_t n = 0;
    for (const Job& j : s.Jobs.items) {
        out.Key(CfgNum(++n),
                CfgJoin({CfgNum(j.Sid), j.Src, j.Dest, CfgNum(j.Flags), CfgNum(j.ArcInterval), CfgNum(j.EntryCount),
                         CfgNum(j.ArcVersions), CfgNum(j.BupInterval), CfgNum(j.LastBup)}));
    }
    if (!s.Excludes.Empty()) out.Section(L"EXCLUDES");
    n = 0;
    for (const Exclude& e : s.Excludes.items) {
        out.Key(CfgNum(++n), CfgJoin({CfgNum(e.Sid), e.Path}));
    }
    out.Section(L"EXCLUDESTRINGS");
    out.Comment(
        L"Suchstrings für die Funktion 'Ausnahmen suchen' - mehrere getrennt durch | "
        L"(UND verknüpft)");
    out.Comment(
        L"- wichtig dabei: der letzte der Strings muss auch am Ende des gesuchten "
        L"Pfades sein...!");
    out.Comment(
        L"% variable Windows-Verzeichnisse, siehe WinFolderList.txt im Konfig. "
        L"Verzeichnis");
    out.Comment(
        L"Gelesen wird diese Einstellung nur von der Tresoro.ini im "
        L"Programmverzeichnis...");
    n = 0;
    for (const std::wstring& pattern : s.ExcludeStrings.items) out.Key(CfgNum(++n), pattern);
    if (!s.ArcIndiv.Empty()) out.Section(L"ARCINDIV");
    n = 0;
    for (const ArcIndivEntry& a : s.ArcIndiv.items) {
        out.Key(CfgNum(++n),
                CfgJoin({CfgNum(a.Sid), a.Path, CfgNum(a.Interval), CfgNum(a.Versions), CfgNum(a.Recursive)}));
    }
}

// The byte order mark is followed directly by a line end: the first line is
// empty.
std::string ConfigFileBytes() {
    CfgOut out;
    out.Line(L"");
    CfgWriteGeneral(out);
    CfgWriteWindow(out);
    CfgWriteLists(out);
    return "\xEF\xBB\xBF" + plat::WideToUtf8(out.text);
}

// Through a temporary file, so that a full disk or a crash in the middle
// leaves the previous configuration whole instead of a truncated one.
bool WriteConfig() {
    const std::wstring& file = S().paths.IniFile;
    if (plat::WriteFileReplacing(file, ConfigFileBytes())) return true;
    Log(L"Kann Konfiguration nicht erzeugen: " + file, kLogHint);
    return false;
}

}  // namespace core
