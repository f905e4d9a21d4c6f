// Copying a state back: folders made as needed, each file through the
// mirror's safe copy, nothing at the target overwritten.
#include <deque>
#include <unordered_map>

#include "core/report.h"
#include "core/text_helpers.h"
#include "engine/archive.h"
#include "engine/copy_ahead.h"
#include "engine/restore.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path_text.h"

namespace engine {

// Names tried beside a file in the way before the file counts as failed.
static constexpr int kRestoreBesideTries = 99;

// " (Stand 01.12.2026 14.30)", from the second try on with " (2)" and so on.
static std::wstring StandSuffix(int64_t date, int attempt) {
    std::wstring stand = L" (Stand " + FormatStandName(date) + L")";
    if (attempt > 1) stand += L" (" + std::to_wstring(attempt) + L")";
    return stand;
}

std::wstring BesideName(const std::wstring& name, int64_t date, int attempt) {
    std::wstring base, ext;
    SplitSlotName(name, base, ext);
    // ".profil" is all name.
    if (base.empty()) std::swap(base, ext);
    return base + StandSuffix(date, attempt) + ext;
}

std::wstring RestoreResultText(const RestoreOutcome& o) {
    std::wstring text =
        core::FormatThousands(o.restored) + (o.restored == 1 ? L" Datei" : L" Dateien") + L" wiederhergestellt";
    if (o.beside > 0) text += L", davon " + core::FormatThousands(o.beside) + L" neben vorhandener Datei";
    if (o.failed > 0) text += L", " + core::FormatThousands(o.failed) + L" Fehler";
    if (o.cancelled) text += L" - abgebrochen";
    return text;
}

namespace {
struct FolderTarget {
    std::wstring path;
    bool made = false;  // by this restore: nothing was in it
};

// The next small files of the state, copied ahead by writers: only those
// before the state's next folder (their folders' targets are known), and
// only where nothing stands at their target.
struct RestoreAhead {
    CopyAhead ahead;
    std::deque<std::shared_ptr<AheadCopy>> handed;
    std::deque<size_t> handedAt;  // the items' positions in the state
    size_t next = 0;              // items before it were planned or passed
    ~RestoreAhead() { ahead.DropAll(handed); }
};

struct RestoreWork {
    RestoreWork(const RestoreHooks& hooks, int64_t asOf) : hooks(hooks), asOf(asOf) {}
    const RestoreHooks& hooks;
    int64_t asOf;
    RestoreOutcome out;
    // Where each folder went (IndexKey of its path): beside a file in its
    // way, what it holds goes there too.
    std::unordered_map<std::wstring, FolderTarget> folderTargets;
    bool rootMade = false;  // a whole job's target folder, made by this restore
    RestoreAhead copies;

    bool Cancelled() {
        if (!out.cancelled && hooks.cancelled && hooks.cancelled()) out.cancelled = true;
        return out.cancelled;
    }
};
}  // namespace

static void RestoreFailed(RestoreWork& w, const std::wstring& line, uint32_t code) {
    logs::AddLog(code ? line + L"\t\t(" + logs::WindowsErrorText(code) + L")" : line, core::kLogError);
    ++w.out.failed;
}

static std::wstring RestoreTargetOf(const RestoreWork& w, const std::wstring& fromPath, const std::wstring& targetPath,
                                    const std::wstring& itemPath) {
    const size_t slash = itemPath.rfind(L'\\');
    if (slash != std::wstring::npos && itemPath.size() > fromPath.size()) {
        auto parent = w.folderTargets.find(IndexKey(itemPath.substr(0, slash)));
        if (parent != w.folderTargets.end()) return parent->second.path + L"\\" + itemPath.substr(slash + 1);
    }
    if (fromPath.empty()) return targetPath + L"\\" + itemPath;
    return targetPath + itemPath.substr(fromPath.size());
}

// `dir` with the levels above it that are missing; false (LastError set)
// when one cannot be made.
static bool RestoreMakeDirs(const std::wstring& dir, int32_t& made) {
    std::vector<std::wstring> missing;
    std::wstring level = dir;
    while (!plat::DirExists(core::AddBackslash(level))) {
        // A file in the way, or a drive that is not there.
        const size_t slash = level.find_last_of(L'\\');
        const bool file = plat::GetAttributes(level) != plat::kInvalidAttributes;
        if (file || slash == std::wstring::npos || slash == 0) {
            plat::SetLastError(file ? plat::kErrAlreadyExists : plat::kErrPathNotFound);
            return false;
        }
        missing.push_back(level);
        level.resize(slash);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!plat::CreateDir(*it)) return false;
        ++made;
    }
    return true;
}

static void RestoreFolder(RestoreWork& w, const std::wstring& path, std::wstring target) {
    const uint32_t attributes = plat::GetAttributes(target);
    if (attributes != plat::kInvalidAttributes && !(attributes & plat::kAttrDirectory)) {
        // A file of the folder's name stays; the folder goes beside it.
        const int64_t stand = w.asOf == kNewestState ? plat::Now() : w.asOf;
        const std::wstring name = plat::PathName(target);
        for (int attempt = 1; attempt <= kRestoreBesideTries; ++attempt) {
            // A folder's name has no extension to keep at its end.
            const std::wstring beside = plat::PathFolder(target) + name + StandSuffix(stand, attempt);
            const uint32_t there = plat::GetAttributes(beside);
            if (there == plat::kInvalidAttributes || (there & plat::kAttrDirectory)) {
                target = beside;
                ++w.out.beside;
                w.out.besideExample = beside;
                logs::AddLog(L"Wiederhergestellt neben vorhandener Datei: " + beside, core::kLogNormal);
                break;
            }
        }
    }
    const int32_t before = w.out.folders;
    if (!RestoreMakeDirs(target, w.out.folders)) {
        RestoreFailed(w, L"Konnte Verzeichnis nicht erstellen: <" + target + L">", plat::LastError());
        return;
    }
    w.folderTargets[IndexKey(path)] = FolderTarget{target, w.out.folders > before};
}

// Whether nothing stands at the target of `itemPath`: in a folder this
// restore made, or where the target is not there.
static bool RestoreTargetFree(const RestoreWork& w, const std::wstring& itemPath, const std::wstring& target) {
    const size_t slash = itemPath.rfind(L'\\');
    if (slash == std::wstring::npos && w.rootMade) return true;
    if (slash != std::wstring::npos) {
        auto parent = w.folderTargets.find(IndexKey(itemPath.substr(0, slash)));
        if (parent != w.folderTargets.end() && parent->second.made) return true;
    }
    plat::DirEntry there;
    return !plat::GetEntryInfo(target, there);
}

// At the turn of item `at`: hands the writers the small files that follow
// it, up to the state's next folder and the bound, once half of those
// handed out are taken.
static void RestoreAheadFrom(RestoreWork& w, const std::vector<StateItem>& items, size_t at,
                             const std::wstring& fromPath, const std::wstring& targetPath) {
    RestoreAhead& r = w.copies;
    if (!r.ahead.Planning()) return;
    if (r.next <= at) r.next = at + 1;
    if (r.handed.size() > kRefillCopiesAhead) return;
    std::vector<std::shared_ptr<AheadCopy>> added;
    for (; r.next < items.size() && r.handed.size() < kMaxCopiesAhead; ++r.next) {
        const StateItem& item = items[r.next];
        if (!item.version) break;
        if (item.version->size > kCopyAheadMaxBytes) continue;
        const std::wstring target = RestoreTargetOf(w, fromPath, targetPath, item.path);
        if (!RestoreTargetFree(w, item.path, target)) continue;
        auto copy = std::make_shared<AheadCopy>();
        copy->source = item.version->location;
        copy->target = target;
        r.handed.push_back(copy);
        r.handedAt.push_back(r.next);
        added.push_back(std::move(copy));
    }
    if (!added.empty()) r.ahead.Hand(added);
}

// The copy made ahead of item `at` for `place`, or nothing: copy at the
// turn. Items passed over on the way (found the same at the target) are
// dropped.
static std::optional<plat::PreparedCopy> RestoreTakeCopy(RestoreWork& w, size_t at, const std::wstring& place) {
    RestoreAhead& r = w.copies;
    while (!r.handedAt.empty() && r.handedAt.front() <= at) {
        const bool mine = r.handedAt.front() == at;
        const std::shared_ptr<AheadCopy> item = std::move(r.handed.front());
        r.handed.pop_front();
        r.handedAt.pop_front();
        std::optional<plat::PreparedCopy> made = r.ahead.Claim(*item, mine, place);
        if (made) return made;
    }
    return std::nullopt;
}

// The same file: size, date (an hour off where Windows reads it so) and
// every byte.
static bool RestoreSame(const Version& v, const std::wstring& place, const plat::DirEntry& there) {
    if (there.size != v.size || (there.modified != v.modified && !IsHourShift(there.modified - v.modified)))
        return false;
    bool same = false;
    return plat::SameContent(v.location, place, same) && same;
}

static void RestoreFile(RestoreWork& w, const Version& v, const std::wstring& target, size_t at) {
    std::wstring place = target;
    for (int attempt = 1;; ++attempt) {
        plat::DirEntry there;
        if (!plat::GetEntryInfo(place, there)) break;
        if (!(there.attributes & plat::kAttrDirectory) && RestoreSame(v, place, there)) {
            ++w.out.restored;
            if (attempt > 1) {
                ++w.out.beside;
                w.out.besideExample = place;
                logs::AddLog(L"Wiederhergestellt neben vorhandener Datei: " + place, core::kLogNormal);
            } else if (w.hooks.logEachFile) {
                logs::AddLog(L"Wiederhergestellt (unverändert vorhanden): " + place, core::kLogNormal);
            }
            return;
        }
        if (attempt > kRestoreBesideTries) {
            RestoreFailed(w, L"Wiederherstellen fehlgeschlagen - kein freier Name neben: " + target, 0);
            return;
        }
        place = plat::PathFolder(target) + BesideName(plat::PathName(target), v.modified, attempt);
    }
    std::optional<plat::PreparedCopy> made = RestoreTakeCopy(w, at, place);
    bool ok = false;
    if (made) {
        // After "Abbrechen" nothing made ahead is placed.
        ok = !w.Cancelled() && plat::PlacePreparedCopy(*made, place);
        if (!ok && w.out.cancelled) plat::SetLastError(plat::kErrRequestAborted);
    } else {
        ok = plat::CopyFileIntoPlace(
            v.location, place, [&w](uint64_t, uint64_t) { return !w.Cancelled(); }, false);
    }
    if (!ok) {
        const uint32_t code = plat::LastError();
        // A copy stopped by "Abbrechen" is no error; it left nothing.
        if (!w.Cancelled()) RestoreFailed(w, L"Wiederherstellen fehlgeschlagen: " + v.location + L" -> " + place, code);
        return;
    }
    ++w.out.restored;
    w.out.bytes += static_cast<int64_t>(v.size);
    if (place != target) {
        ++w.out.beside;
        w.out.besideExample = place;
        logs::AddLog(L"Wiederhergestellt neben vorhandener Datei: " + place, core::kLogNormal);
    } else if (w.hooks.logEachFile) {
        logs::AddLog(L"Wiederhergestellt: " + place, core::kLogNormal);
    }
}

RestoreOutcome RestoreState(const std::vector<StateItem>& items, const std::wstring& fromPath,
                            const std::wstring& targetPath, int64_t asOf, const RestoreHooks& hooks) {
    RestoreWork w(hooks, asOf);
    if (hooks.copyAhead) w.copies.ahead.StartRestore();
    // Restoring a whole job into a folder starts with that folder.
    if (fromPath.empty()) {
        if (!RestoreMakeDirs(targetPath, w.out.folders)) {
            RestoreFailed(w, L"Konnte Verzeichnis nicht erstellen: <" + targetPath + L">", plat::LastError());
            return w.out;
        }
        w.rootMade = w.out.folders > 0;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (w.Cancelled()) break;
        const StateItem& item = items[i];
        const std::wstring target = RestoreTargetOf(w, fromPath, targetPath, item.path);
        if (hooks.progress) hooks.progress(i, items.size(), target);
        if (!item.version) {
            RestoreFolder(w, item.path, target);
            continue;
        }
        // The file's folder: the levels above a single file restored
        // below another folder.
        if (i == 0 && !RestoreMakeDirs(plat::WithoutTrailingSeparator(plat::PathFolder(target)), w.out.folders)) {
            RestoreFailed(w, L"Konnte Verzeichnis nicht erstellen: <" + plat::PathFolder(target) + L">",
                          plat::LastError());
            continue;
        }
        RestoreAheadFrom(w, items, i, fromPath, targetPath);
        RestoreFile(w, *item.version, target, i);
    }
    plat::FlushPlacedNames();
    logs::AddLog(L"Wiederhergestellt: " + targetPath + L" - " + RestoreResultText(w.out), core::kLogNormal);
    return w.out;
}

}  // namespace engine
