// "/RESTORE" on the command line: the arguments checked before anything is
// looked up, the job found, the target checked before anything is written,
// then the state copied back and the lines saved on top of the month's logs.
#include "ui/restore_command.h"

#include "core/config.h"
#include "core/report.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "engine/restore.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace ui {

bool IsRestoreCommand(const std::vector<std::wstring>& args) {
    for (const std::wstring& arg : args)
        if (plat::ToUpper(arg) == L"/RESTORE") return true;
    return false;
}

RestoreArgs ParseRestoreArgs(const std::vector<std::wstring>& args) {
    RestoreArgs out;
    bool path = false, asOf = false, to = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring upper = plat::ToUpper(args[i]);
        bool* seen = upper == L"/RESTORE" ? &path : upper == L"/ASOF" ? &asOf : upper == L"/TO" ? &to : nullptr;
        if (!seen || *seen || i + 1 >= args.size() || args[i + 1].empty()) return RestoreArgs{};
        *seen = true;
        std::wstring& value = upper == L"/RESTORE" ? out.path : upper == L"/ASOF" ? out.asOf : out.to;
        value = args[++i];
    }
    out.ok = path;
    return out;
}

namespace {

// What the restore logs lands on top of the month's files, whatever they
// hold; they are not read.
void RestoreLogOnTop() {
    const std::wstring dir = core::AddBackslash(core::S().paths.ConfigDir);
    for (int kind : {core::kLogNormal, core::kLogError, core::kLogHint})
        logs::MarkLoadBroken(kind, dir + logs::LogFileName(kind, logs::CurrentMonth()), logs::kKeepWholeFile);
}

int RestoreRefused(const std::wstring& line) {
    logs::AddLog(L"Wiederherstellen nicht möglich: " + line, core::kLogError);
    logs::SaveLogs();
    return kRestoreRefused;
}

// The nearest folder of `path` that exists, or "" when none does (a drive
// that is not there).
std::wstring RestoreExistingAbove(const std::wstring& path) {
    std::wstring dir = core::AddBackslash(path);
    while (!dir.empty() && !plat::DirExists(dir)) dir = plat::ParentDir(dir);
    return dir;
}

// Whether a file can be made in `dir`, tried with a file of the temporary
// copies' kind that is gone again at once.
bool RestoreWritable(const std::wstring& dir) {
    const std::wstring probe = dir + L"Tresoro-Probe" + plat::kTempSuffix;
    if (!plat::AppendToFile(probe, "")) return false;
    (void)plat::DeleteFileAt(probe);
    return true;
}

}  // namespace

int RunRestoreCommand(const std::vector<std::wstring>& args) {
    RestoreLogOnTop();
    const RestoreArgs parsed = ParseRestoreArgs(args);
    if (!parsed.ok)
        return RestoreRefused(
            L"Aufruf: Tresoro.exe /RESTORE \"<Pfad>\" [/ASOF \"JJJJ-MM-TT hh:mm[:ss]\"] [/TO \"<Ordner>\"]");
    int64_t asOf = engine::kNewestState;
    if (!parsed.asOf.empty() && !engine::ParseRestoreMoment(parsed.asOf, asOf))
        return RestoreRefused(L"Datum nicht in der Form JJJJ-MM-TT hh:mm[:ss]: " + parsed.asOf);
    engine::RestoreTarget what = engine::FindRestoreTarget(core::S().Jobs.items, parsed.path);
    if (!what.found) return RestoreRefused(L"Pfad gehört zu keinem Job und keinem Backup: " + parsed.path);
    if (!engine::LocateBackup(what.job, core::FindJob(what.job.sid)))
        return RestoreRefused(L"Backup nicht gefunden: " + what.job.dest);

    const std::wstring src = plat::WithoutTrailingSeparator(what.job.src);
    std::wstring target = what.path.empty() ? src : src + L"\\" + what.path;
    if (!parsed.to.empty()) {
        const std::wstring to = plat::WithoutTrailingSeparator(parsed.to);
        const uint32_t there = plat::GetAttributes(to);
        if (there != plat::kInvalidAttributes && !(there & plat::kAttrDirectory))
            return RestoreRefused(L"Zielordner ist eine Datei: " + parsed.to);
        std::wstring name = plat::PathName(what.path.empty() ? src : what.path);
        // A source that is a whole drive ("D:\") has no name of its own.
        if (name.size() == 2 && name[1] == L':') name.resize(1);
        target = to + L"\\" + name;
    }
    // Nothing is written into the backup, not even beside it.
    if (engine::InsideBackup(what.job, target)) return RestoreRefused(L"Ziel liegt im Backup: " + target);
    const std::wstring existing = RestoreExistingAbove(target);
    if (existing.empty() || !RestoreWritable(existing))
        return RestoreRefused(L"Ziel kann nicht geschrieben werden: " + target);

    const engine::Catalog catalog = engine::BuildCatalog(what.job.dest, what.path);
    for (const std::wstring& dir : catalog.unreadable)
        logs::AddLog(L"Wiederherstellen - Verzeichnis im Backup nicht lesbar: " + dir, core::kLogError);
    const std::vector<engine::StateItem> items = engine::StateAt(catalog, asOf, what.path);
    const std::wstring stand = asOf == engine::kNewestState ? L"neuester Stand" : engine::FormatMoment(asOf);
    if (items.empty()) {
        logs::AddLog(L"Wiederherstellen: nichts im Backup zum Stand " + stand + L": " + parsed.path, core::kLogError);
        logs::SaveLogs();
        return kRestorePartly;
    }
    logs::AddLog(L"Wiederherstellen: " + what.job.dest + (what.path.empty() ? L"" : what.path) + L" (Stand " + stand +
                     L")   >>>   " + target,
                 core::kLogNormal);
    engine::RestoreHooks hooks;
    hooks.logEachFile = core::LogDetailOf(core::S().settings.GLogExt) == core::LogDetail::EveryCopy;
    const engine::RestoreOutcome out = engine::RestoreState(items, what.path, target, asOf, hooks);
    logs::SaveLogs();
    const bool complete = out.failed == 0 && out.beside == 0 && !out.cancelled && catalog.unreadable.empty();
    return complete ? kRestoreDone : kRestorePartly;
}

}  // namespace ui
