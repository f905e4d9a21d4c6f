#include "ui/menu.h"

#include "core/state.h"
#include "dialogs/exclude_search.h"
#include "dialogs/help_file.h"
#include "dialogs/info_window.h"
#include "dialogs/restore.h"
#include "dialogs/standard_setup.h"
#include "engine/countdown.h"
#include "engine/verify.h"
#include "log/fatal_report.h"
#include "platform/gui.h"
#include "platform/shell.h"
#include "ui/message.h"
#include "ui/run_start.h"
#include "ui/widgets.h"

namespace ui {

namespace {

struct MenuLine {
    int menu;
    int item;  // 0: a rule
    const wchar_t* text;
};

constexpr MenuLine kMenuLines[] = {
    {MenuFile, ItemConfigFile, L"Konfig Datei"},
    {MenuFile, ItemLogDirectory, L"Log Verzeichnis"},
    {MenuFile, ItemQuit, L"Beenden"},
    {MenuEdit, ItemStandardJobs, L"Standard Jobs dazu"},
    {MenuEdit, ItemStandardAuto, L"Std.Jobs autom. dazu"},
    {MenuEdit, 0, nullptr},
    {MenuEdit, ItemAddJob, L"Job hinzufügen\tIns"},
    {MenuEdit, ItemDeleteJob, L"Job löschen\tDel"},
    {MenuEdit, ItemJobUp, L"Job hoch\tCtrl hoch"},
    {MenuEdit, ItemJobDown, L"Job runter\tCtrl runter"},
    {MenuEdit, 0, nullptr},
    {MenuEdit, ItemSearchExcludes, L"Ausnahmen suchen"},
    {MenuBackup, ItemStartIgnoreInterval, L"Start - Intervall ignorieren"},
    {MenuBackup, ItemVerify, L"Prüfen (Inhalt vergleichen)"},
    {MenuBackup, 0, nullptr},
    {MenuBackup, ItemRestore, L"Wiederherstellen"},
    {MenuBackup, 0, nullptr},
    {MenuBackup, ItemItJobManual, L"IT-Job (Job manuell)"},
    {MenuBackup, ItemItJobForced, L"IT-Job (Job man. FORCE)"},
    {MenuHelp, ItemHelp, L"Hilfe"},
    {MenuHelp, ItemAbout, L"Über"},
};

bool MenuAddAll() {
    const std::pair<int, const wchar_t*> menus[] = {
        {MenuFile, L"Datei"}, {MenuEdit, L"Bearbeiten"}, {MenuBackup, L"Backup"}, {MenuHelp, L"?"}};
    for (const auto& [menu, title] : menus) {
        if (!plat::AddMenu(MainWindow, 0, menu, title)) return false;
        for (const MenuLine& line : kMenuLines) {
            if (line.menu != menu) continue;
            const bool ok = line.item ? plat::AddMenuItem(MainWindow, menu, line.item, line.text)
                                      : plat::AddMenuRule(MainWindow, menu);
            if (!ok) return false;
        }
    }
    return true;
}

void MenuStart(const std::wstring& question, const engine::RunOptions& options) {
    if (ShowMessage(question, 1, L"Meldung") != 1) return;
    StartRun(options);
}

}  // namespace

bool BuildMainMenu() {
    TRESORO_MARK(logs::kUnitMain);
    if (!plat::CreateMenuBar(MainWindow)) {
        ShowMessage(L"GFehler - kann Menü nicht erstellen!", 0, L"Meldung");
        return false;
    }
    if (!MenuAddAll()) return false;
    plat::SetMenuItemChecked(MainWindow, ItemStandardAuto, core::S().settings.GStdAuto == 1);
    return plat::AddShortcut(MainWindow, plat::kKeyInsert, 0, ItemAddJob) &&
           plat::AddShortcut(MainWindow, plat::kKeyDelete, 0, ItemDeleteJob) &&
           plat::AddShortcut(MainWindow, plat::kKeyUp, plat::kModCtrl, ItemJobUp) &&
           plat::AddShortcut(MainWindow, plat::kKeyDown, plat::kModCtrl, ItemJobDown);
}

void SetMenuItemsEnabled(bool enabled) {
    for (const MenuLine& line : kMenuLines)
        if (line.item) plat::SetMenuItemEnabled(MainWindow, line.item, enabled);
}

void OnMenuCommand(int item) {
    TRESORO_MARK(logs::kUnitMain);
    core::State& s = core::S();
    switch (item) {
        // Opened by the shell only: starting the path as a program first
        // would let Windows try "C:\Program.exe" for "C:\Program Files\...".
        case ItemConfigFile:
            plat::OpenWithShell(s.paths.IniFile);
            break;
        case ItemLogDirectory:
            plat::OpenWithShell(s.paths.ConfigDir);
            break;
        case ItemQuit:
            engine::Countdown().QuitRequested = 1;
            break;
        case ItemStandardJobs:
            dialogs::StandardSetup(true);
            break;
        case ItemStandardAuto:
            s.settings.GStdAuto = s.settings.GStdAuto == 1 ? 0 : 1;
            plat::SetMenuItemChecked(MainWindow, ItemStandardAuto, s.settings.GStdAuto == 1);
            break;
        case ItemAddJob:
            AddJob();
            break;
        case ItemDeleteJob:
            DeleteJob();
            break;
        case ItemJobUp:
            MoveJobUp();
            break;
        case ItemJobDown:
            MoveJobDown();
            break;
        case ItemSearchExcludes:
            dialogs::SearchExcludes();
            break;
        case ItemStartIgnoreInterval:
            MenuStart(
                L"Die Jobs werden normal ausgeführt - das Backupintervall wird jedoch ignoriert, d.h. alle "
                L"markierten Jobs werden jetzt ausgeführt!\r\n\r\nFortfahren?",
                {engine::ItJobMode::Normal, true});
            break;
        case ItemVerify:
            MenuStart(
                L"Die Jobs werden normal ausgeführt - das Backupintervall wird jedoch ignoriert, d.h. alle "
                L"markierten Jobs werden jetzt ausgeführt!\r\nDabei wird jede Datei, die nach Größe und Datum "
                L"unverändert ist, Byte für Byte mit ihrer Quelle verglichen: abweichende Dateien kommen ins "
                L"@-Verzeichnis und werden neu kopiert.\r\nDas dauert, denn Quelle und Ziel werden ganz "
                L"gelesen.\r\n\r\nFortfahren?",
                engine::VerifyOptions());
            break;
        case ItemRestore:
            dialogs::RestoreData();
            break;
        case ItemItJobManual:
            MenuStart(
                L"Die Daten werden gem. Job kopiert, aber es wird kein Archiv und kein @-Verzeichnis "
                L"erstellt!\r\nDas Backupintervall wird ignoriert.\r\n\r\nFortfahren?",
                {engine::ItJobMode::Manual, true});
            break;
        case ItemItJobForced:
            MenuStart(
                L"Die Daten werden gem. Job kopiert, aber es wird kein Archiv und kein @-Verzeichnis "
                L"erstellt!\r\n\r\nAuch Dateien im Ziel, welche neuer sind, werden überschrieben!!!\r\n"
                L"Das Backupintervall wird ignoriert.\r\n\r\nSind Sie sicher? Fortfahren?",
                {engine::ItJobMode::Forced, true});
            break;
        case ItemHelp:
            dialogs::OpenHelp();
            break;
        case ItemAbout:
            dialogs::ShowInfoWindow();
            break;
        default:
            break;
    }
}

}  // namespace ui
