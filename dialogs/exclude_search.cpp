// The walk of the exclusion search and the menu command around it.
#include <vector>

#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/exclude_search.h"
#include "engine/display.h"
#include "engine/run_state.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "ui/job_list.h"
#include "ui/view_state.h"
#include "ui/window_events.h"

namespace dialogs {

// Writing the status line for every directory of a large profile would cost
// more than the walk itself; one update per half second is enough to show
// that the search moves on.
constexpr uint32_t kExclStatusEveryMs = 500;
static uint32_t g_exclStatusShownAt = 0;

void ResetExcludeSearch() { g_exclStatusShownAt = 0; }

static void ExclShowStatus(const std::wstring& directory) {
    const uint32_t now = plat::Tick();
    if (now - g_exclStatusShownAt > kExclStatusEveryMs) {
        engine::ShowStatusLine(directory);
        g_exclStatusShownAt = now;
    }
}

void ScanExcludeTree(const std::wstring& directory, int32_t sid) {
    const std::wstring dir = core::AddBackslash(directory);
    std::vector<plat::DirEntry> entries;
    const bool listed = plat::ListDir(dir, L"*.*", entries);
    ExclShowStatus(dir);
    // A folder without access is left out silently; the search only offers
    // exclusions and has nothing to report about it.
    if (!listed) return;
    for (const plat::DirEntry& entry : entries) {
        if (entry.attributes & plat::kAttrDirectory) {
            // A junction or directory link leads into a tree that is searched
            // on its own (or, looping, into this one), and the backup does
            // not follow it either. A cloud client's folder is a folder.
            if (!plat::IsLinkEntry(entry.attributes, entry.reparseTag)) {
                const std::wstring sub = core::AddBackslash(dir + entry.name);
                if (!MatchExcludePatterns(sub, sid)) ScanExcludeTree(sub, sid);
            }
        } else {
            MatchExcludePatterns(dir + entry.name, sid);
        }
        ui::DrainWindowEvents();
        if (engine::R().CancelRequested) break;
    }
}

void SearchExcludesFor(int32_t sid) {
    const core::Job* job = core::FindJob(sid);
    if (!job) return;
    // The walk only appends to Excludes, but a copy keeps the path safe
    // whatever the window's handler does meanwhile.
    const std::wstring src = job->Src;
    engine::ShowProgressCount(L"Ausnahmen suchen...");
    engine::LockRunControls(true);
    // An empty source would name the root of the current drive.
    if (!src.empty()) ScanExcludeTree(src, sid);
    RemoveNestedExcludes(sid);
    engine::R().CancelRequested = 0;
    engine::ReleaseCancelButton();
    engine::LockRunControls(false);
    ui::RefreshExclusionMarks(true);
    engine::ShowStatusLine(L"");
    engine::ShowProgressCount(L"");
}

void SearchExcludes() {
    if (!ui::CurrentJob()) return;
    SearchExcludesFor(ui::V().CurrentSid);
}

}  // namespace dialogs
