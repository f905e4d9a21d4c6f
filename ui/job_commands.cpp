// The job-list commands of the menu "Bearbeiten" and their shortcuts.
#include <utility>

#include "core/sid.h"
#include "core/state.h"
#include "dialogs/job_editor.h"
#include "dialogs/path_chooser.h"
#include "log/fatal_report.h"
#include "platform/gui.h"
#include "ui/job_list.h"
#include "ui/menu.h"
#include "ui/message.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

namespace ui {

void AddJob() {
    TRESORO_MARK(logs::kUnitMain);
    core::Job job;
    job.ArcInterval = 7;
    job.ArcVersions = 3;
    // The new job goes right after the current one, or first without one.
    size_t at = 0;
    const size_t current = core::JobIndex(core::S().Jobs, V().CurrentSid);
    if (current != core::kNoJob) {
        const core::Job& from = core::S().Jobs.items[current];
        job.Src = dialogs::ParentDir(from.Src);
        job.Dest = dialogs::ParentDir(from.Dest);
        job.ArcInterval = from.ArcInterval;
        job.ArcVersions = from.ArcVersions;
        at = current + 1;
    }
    job.Sid = core::NewSid();
    if (job.Sid <= 0) return;
    job.Flags = core::kFlagSelected;
    V().CurrentSid = job.Sid;
    core::S().Jobs.Insert(at, job);
    RefreshJobList();
    dialogs::EditJob();
}

void DeleteJob() {
    TRESORO_MARK(logs::kUnitMain);
    // Del in the editor or the path field must not delete a job.
    if (plat::GetActiveGadget() != JobListView) return;
    const core::Job* job = CurrentJob();
    if (!job) return;
    const std::wstring question =
        L"Dieser Job wird gelöscht!\r\n\r\n" + job->Src + L"\r\n-> " + job->Dest + L"\r\n\r\nSind Sie sicher?";
    if (ShowMessage(question, 1, L"Meldung") != 1) return;
    auto& jobs = core::S().Jobs;
    const size_t at = core::JobIndex(jobs, V().CurrentSid);
    if (at == core::kNoJob) return;
    jobs.items.erase(jobs.items.begin() + static_cast<std::ptrdiff_t>(at));
    // The job before becomes current; after the first one the list picks
    // the new first row itself.
    if (at > 0) V().CurrentSid = jobs.items[at - 1].Sid;
    core::RemoveOrphans();
    RefreshJobList();
}

static void JobSwap(bool up) {
    auto& jobs = core::S().Jobs;
    const size_t at = core::JobIndex(jobs, V().CurrentSid);
    if (at == core::kNoJob) return;
    if (up ? at == 0 : at + 1 >= jobs.items.size()) return;
    // The current job moves; CurrentSid keeps it current.
    std::swap(jobs.items[at], jobs.items[up ? at - 1 : at + 1]);
    RefreshJobList();
}

void MoveJobUp() { JobSwap(true); }
void MoveJobDown() { JobSwap(false); }

}  // namespace ui
