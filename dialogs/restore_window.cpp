// "Daten Wiederherstellen": the window's state and what its gadgets and
// keys do. The backup is read into a catalogue when a job is chosen; the
// moment and the folder shown are worked out from it.
#include <algorithm>

#include "core/config.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/modal_loop.h"
#include "dialogs/path_chooser.h"
#include "dialogs/restore.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/text.h"
#include "ui/message.h"
#include "ui/view_state.h"

namespace dialogs {

namespace {
struct RestoreDialog {
    engine::RestoreJob job;
    bool loaded = false;
    engine::Catalog catalog;
    int64_t asOf = engine::kNewestState;
    std::vector<engine::StateItem> state;
    std::wstring folder;  // shown, below the job's root
    std::vector<RestoreRow> rows;
    std::vector<const engine::Version*> versions;  // of the file selected
    bool restoring = false;
    bool cancel = false;
};

RestoreDialog& D() {
    static RestoreDialog dialog;
    return dialog;
}
}  // namespace

static const wchar_t* const kRestoreTitle = L"Daten Wiederherstellen";

static std::wstring RestoreStandText(int64_t asOf) {
    return asOf == engine::kNewestState ? L"neuester Stand" : L"Stand " + engine::FormatMoment(asOf);
}

static void RestoreShowVersions() {
    RestoreDialog& d = D();
    plat::ClearList(RestoreVersionList);
    d.versions.clear();
    const int row = plat::GetListCurrentRow(RestoreTreeList);
    if (row < 0 || row >= static_cast<int>(d.rows.size()) || !d.rows[row].version) return;
    const engine::CatalogEntry* entry = d.catalog.Find(d.rows[row].path);
    if (!entry) return;
    d.versions = VersionsNewestFirst(*entry);
    for (const engine::Version* v : d.versions) {
        std::wstring where =
            v->inArchive ? v->location.substr(std::min(v->location.size(), d.job.dest.size())) : L"Spiegel";
        std::wstring hint = v == d.rows[row].version ? L"im Stand" : L"";
        if (v->byName) hint += hint.empty() ? L"nach Name*" : L", nach Name*";
        plat::AddListRow(
            RestoreVersionList, -1,
            {engine::FormatMoment(v->modified), core::FormatThousands(static_cast<int64_t>(v->size)), where, hint});
    }
}

static std::vector<std::wstring> RestoreSourceNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::vector<plat::DirEntry> list;
    const std::wstring dir = D().job.src + (folder.empty() ? L"" : folder + L"\\");
    if (plat::ListDir(dir, L"*", list))
        for (const plat::DirEntry& e : list) names.push_back(plat::ToUpper(e.name));
    return names;
}

static void RestoreShowFolder() {
    RestoreDialog& d = D();
    d.rows = RestoreRowsOf(d.state, d.folder, RestoreSourceNames(d.folder));
    plat::ClearList(RestoreTreeList);
    for (const RestoreRow& r : d.rows) {
        if (r.up) {
            plat::AddListRow(RestoreTreeList, -1, {L".."});
            continue;
        }
        const std::wstring gone = r.inSource ? L"" : L"nicht mehr da";
        if (!r.version) {
            plat::AddListRow(RestoreTreeList, -1, {r.name + L"\\", L"", L"", gone});
            continue;
        }
        plat::AddListRow(RestoreTreeList, -1,
                         {r.name, core::FormatThousands(static_cast<int64_t>(r.version->size)),
                          engine::FormatMoment(r.version->modified), gone});
    }
    plat::SetGadgetText(RestoreFolderLabel, L"Ordner: \\" + d.folder + L"   (" + RestoreStandText(d.asOf) + L")");
    plat::ClearList(RestoreVersionList);
    d.versions.clear();
}

// The state at the moment asked for; the folder shown stays when it was
// there then.
static void RestoreRecompute() {
    RestoreDialog& d = D();
    d.state = engine::StateAt(d.catalog, d.asOf, L"");
    for (;;) {
        if (d.folder.empty()) break;
        const std::wstring key = engine::IndexKey(d.folder);
        if (std::any_of(d.state.begin(), d.state.end(),
                        [&key](const engine::StateItem& i) { return !i.version && engine::IndexKey(i.path) == key; }))
            break;
        const size_t slash = d.folder.rfind(L'\\');
        d.folder = slash == std::wstring::npos ? L"" : d.folder.substr(0, slash);
    }
    RestoreShowFolder();
}

static void RestoreLoad(const engine::RestoreJob& job, const std::wstring& folder) {
    RestoreDialog& d = D();
    d.job = job;
    d.loaded = false;
    d.catalog = engine::Catalog();
    d.state.clear();
    d.rows.clear();
    d.versions.clear();
    d.folder = folder;
    plat::ClearList(RestoreTreeList);
    plat::ClearList(RestoreVersionList);
    plat::SetGadgetText(RestoreNameHint, L"");
    if (!engine::LocateBackup(d.job, core::FindJob(d.job.sid))) {
        plat::SetGadgetText(RestoreBackupLabel, L"Backup nicht gefunden: " + d.job.dest);
        plat::SetGadgetText(RestoreFolderLabel, L"");
        return;
    }
    plat::SetGadgetText(RestoreResultLine, L"Lese Backup " + d.job.dest + L" ...");
    d.catalog = engine::BuildCatalog(d.job.dest);
    d.loaded = true;
    plat::SetGadgetText(RestoreBackupLabel, L"Backup: " + d.job.dest + L"   Quelle: " + d.job.src);
    std::wstring note;
    if (d.catalog.byNameVersions > 0)
        note = L"* nur nach dem Namen zugeordnet: " + core::FormatThousands(d.catalog.byNameVersions);
    if (!d.catalog.unreadable.empty())
        note += (note.empty() ? L"" : L" - ") + std::wstring(L"nicht lesbar: ") + d.catalog.unreadable.front();
    plat::SetGadgetText(RestoreNameHint, note);
    plat::SetGadgetText(RestoreResultLine, L"");
    RestoreRecompute();
}

void RestoreShowJob(int32_t sid) {
    const core::Job* job = core::FindJob(sid);
    if (!job) return;
    RestoreLoad({job->Sid, core::AddBackslash(job->Src), core::AddBackslash(job->Dest)}, L"");
}

static void RestoreFillJobs() {
    const core::List<core::Job>& jobs = core::S().Jobs;
    int current = -1;
    for (size_t i = 0; i < jobs.items.size(); ++i) {
        const core::Job& job = jobs.items[i];
        const int row = plat::AddListRow(RestoreJobList, -1, {job.Src, job.Dest});
        plat::SetListRowData(RestoreJobList, row, job.Sid);
        if (job.Sid == ui::V().CurrentSid) current = row;
    }
    if (current < 0 && !jobs.items.empty()) current = 0;
    if (current >= 0) plat::SetListCurrentRow(RestoreJobList, current);
}

static void RestoreOther() {
    const std::wstring dir = ChoosePath(L"", L"Backup-Ordner wählen");
    if (dir.empty()) return;
    const engine::RestoreTarget found = engine::FindRestoreTarget(core::S().Jobs.items, dir);
    if (!found.found) {
        ui::ShowMessage(L"Kein Backup gefunden in " + dir, 0, kRestoreTitle);
        return;
    }
    plat::SetListCurrentRow(RestoreJobList, -1);
    RestoreLoad(found.job, found.path);
}

static void RestoreApplyAsOf() {
    int64_t asOf = 0;
    if (!ParseAsOfField(plat::GetGadgetText(RestoreAsOfField), asOf)) {
        ui::ShowMessage(L"Bitte den Stand als TT.MM.JJJJ hh:mm angeben (leer: neuester Stand)", 0, kRestoreTitle);
        return;
    }
    D().asOf = asOf;
    if (D().loaded) RestoreRecompute();
}

static void RestoreEnterRow() {
    RestoreDialog& d = D();
    const int row = plat::GetListCurrentRow(RestoreTreeList);
    if (row < 0 || row >= static_cast<int>(d.rows.size()) || d.rows[row].version) return;
    if (d.rows[row].up) {
        const size_t slash = d.folder.rfind(L'\\');
        d.folder = slash == std::wstring::npos ? L"" : d.folder.substr(0, slash);
    } else {
        d.folder = d.rows[row].path;
    }
    RestoreShowFolder();
    if (plat::GetListRowCount(RestoreTreeList) > 0) plat::SetListCurrentRow(RestoreTreeList, 0);
}

// While a restore runs only "Abbrechen" (or Escape, or the close box) is
// taken; other input waits no purpose and is dropped.
static bool RestoreCancelAsked() {
    RestoreDialog& d = D();
    plat::GuiEvent e;
    while (plat::PollEvent(e)) {
        if (e.window != RestoreWindow) continue;
        if ((e.kind == plat::EventKind::Gadget && e.id == RestoreCancelButton) ||
            (e.kind == plat::EventKind::Menu && e.id == RestoreKeyEscape) || e.kind == plat::EventKind::CloseWindow)
            d.cancel = true;
    }
    return d.cancel;
}

static void RestoreControls(bool running) {
    for (int id : {RestoreJobList, RestoreOtherButton, RestoreAsOfField, RestoreAsOfButton, RestoreTreeList,
                   RestoreVersionList, RestoreOpenButton, RestoreHereButton, RestoreToButton, RestoreCloseButton})
        plat::SetGadgetEnabled(id, !running);
    plat::SetGadgetEnabled(RestoreCancelButton, running);
}

// What is selected: a version chosen in the list, else the file or folder
// chosen in the folder, else the folder shown, as it stood.
static bool RestoreSelection(std::wstring& path, std::vector<engine::StateItem>& items) {
    RestoreDialog& d = D();
    const int row = plat::GetListCurrentRow(RestoreTreeList);
    const bool onEntry = row >= 0 && row < static_cast<int>(d.rows.size()) && !d.rows[row].up;
    path = onEntry ? d.rows[row].path : d.folder;
    const int version = plat::GetListCurrentRow(RestoreVersionList);
    if (onEntry && d.rows[row].version && version >= 0 && version < static_cast<int>(d.versions.size())) {
        items = {{path, d.versions[version]}};
        return true;
    }
    for (const engine::StateItem& item : d.state)
        if (engine::PathWithin(path, item.path)) items.push_back(item);
    return !items.empty();
}

static void RestoreRun(bool elsewhere) {
    RestoreDialog& d = D();
    if (!d.loaded) return;
    std::wstring path;
    std::vector<engine::StateItem> items;
    if (!RestoreSelection(path, items)) {
        plat::SetGadgetText(RestoreResultLine, L"Nichts wiederherzustellen");
        return;
    }
    const std::wstring src = plat::WithoutTrailingSeparator(d.job.src);
    std::wstring target = path.empty() ? src : src + L"\\" + path;
    if (elsewhere) {
        const std::wstring dir = ChoosePath(L"", L"Wiederherstellen nach");
        if (dir.empty()) return;
        std::wstring name = plat::PathName(path.empty() ? src : path);
        if (name.size() == 2 && name[1] == L':') name.resize(1);
        target = plat::WithoutTrailingSeparator(dir) + L"\\" + name;
    }
    if (engine::InsideBackup(d.job, target)) {
        ui::ShowMessage(L"Das Ziel liegt im Backup: " + target, 0, kRestoreTitle);
        return;
    }
    d.restoring = true;
    d.cancel = false;
    RestoreControls(true);
    engine::RestoreHooks hooks;
    hooks.logEachFile = core::LogDetailOf(core::S().settings.GLogExt) == core::LogDetail::EveryCopy;
    hooks.progress = [](size_t done, size_t total, const std::wstring& to) {
        plat::SetGadgetState(RestoreProgress, static_cast<int>(total ? done * 100 / total : 0));
        plat::SetGadgetText(RestoreResultLine, L"Stelle wieder her: " + to);
    };
    hooks.cancelled = RestoreCancelAsked;
    logs::AddLog(L"Wiederherstellen: " + d.job.dest + path + L" (" + RestoreStandText(d.asOf) + L")   >>>   " + target,
                 core::kLogNormal);
    const engine::RestoreOutcome out = engine::RestoreState(items, path, target, d.asOf, hooks);
    logs::SaveLogs();
    d.restoring = false;
    RestoreControls(false);
    plat::SetGadgetState(RestoreProgress, 0);
    std::wstring result = RestoreResultText(out) + L" - " + target;
    if (out.beside > 0) result = RestoreResultText(out) + L" - z.B. " + out.besideExample;
    plat::SetGadgetText(RestoreResultLine, result);
    // What the source has now has changed.
    const int row = plat::GetListCurrentRow(RestoreTreeList);
    RestoreShowFolder();
    if (row >= 0 && row < plat::GetListRowCount(RestoreTreeList)) plat::SetListCurrentRow(RestoreTreeList, row);
}

static void RestoreOpen() {
    RestoreDialog& d = D();
    const int row = plat::GetListCurrentRow(RestoreTreeList);
    if (row < 0 || row >= static_cast<int>(d.rows.size()) || !d.rows[row].version) {
        plat::SetGadgetText(RestoreResultLine, L"Bitte eine Datei wählen");
        return;
    }
    const int version = plat::GetListCurrentRow(RestoreVersionList);
    const engine::Version& v =
        version >= 0 && version < static_cast<int>(d.versions.size()) ? *d.versions[version] : *d.rows[row].version;
    const std::wstring copy = OpenVersionCopy(v, d.rows[row].name);
    if (!copy.empty()) plat::SetGadgetText(RestoreResultLine, L"Geöffnet: " + copy);
}

// The buttons' commands, by click or by Enter; true when the window is done.
static bool RestoreButton(int id) {
    switch (id) {
        case RestoreOtherButton:
            RestoreOther();
            break;
        case RestoreAsOfButton:
            RestoreApplyAsOf();
            break;
        case RestoreOpenButton:
            RestoreOpen();
            break;
        case RestoreHereButton:
            RestoreRun(false);
            break;
        case RestoreToButton:
            RestoreRun(true);
            break;
        case RestoreCloseButton:
            return true;
        default:
            break;
    }
    return false;
}

// Enter acts on what has the focus.
static bool RestoreEnter() {
    const int active = plat::GetActiveGadget();
    if (active == RestoreAsOfField) {
        RestoreApplyAsOf();
        return false;
    }
    if (active == RestoreTreeList) {
        RestoreEnterRow();
        return false;
    }
    return RestoreButton(active);
}

static void RestoreJobPicked() {
    const int row = plat::GetListCurrentRow(RestoreJobList);
    if (row >= 0) RestoreShowJob(plat::GetListRowData(RestoreJobList, row));
}

bool RestoreWindowEvent(const plat::GuiEvent& event) {
    if (event.window != RestoreWindow) return false;
    if (event.kind == plat::EventKind::CloseWindow) return true;
    if (event.kind == plat::EventKind::Menu) {
        if (event.id == RestoreKeyEscape) return true;
        return event.id == RestoreKeyEnter && RestoreEnter();
    }
    if (event.kind != plat::EventKind::Gadget) return false;
    if (event.id == RestoreJobList) {
        if (event.type == plat::EventType::Change) RestoreJobPicked();
        return false;
    }
    if (event.id == RestoreTreeList) {
        if (event.type == plat::EventType::LeftDoubleClick)
            RestoreEnterRow();
        else if (event.type == plat::EventType::Change)
            RestoreShowVersions();
        return false;
    }
    return RestoreButton(event.id);
}

bool StartRestoreWindow() {
    D() = RestoreDialog();
    if (!OpenRestoreWindow()) {
        ui::ShowMessage(L"Fehler! Konnte Fenster zum Wiederherstellen nicht öffnen", 0, kRestoreTitle);
        return false;
    }
    RestoreFillJobs();
    plat::SetWindowShown(RestoreWindow, true);
    plat::SetActiveGadget(RestoreTreeList);
    return true;
}

void RestoreData() {
    if (!StartRestoreWindow()) return;
    const ModalHold hold = BeginModal(RestoreWindow, MainOwner());
    RunModal(hold, RestoreWindowEvent);
    EndModal(hold);
    D() = RestoreDialog();
}

}  // namespace dialogs
