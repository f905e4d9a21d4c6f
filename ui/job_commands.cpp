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
    if (const core::Job* current = CurrentJob()) {
        job.Src = dialogs::ParentDir(current->Src);
        job.Dest = dialogs::ParentDir(current->Dest);
        job.ArcInterval = current->ArcInterval;
        job.ArcVersions = current->ArcVersions;
    }
    job.Sid = core::NewSid();
    if (job.Sid <= 0) return;
    job.Flags = core::kFlagSelected;
    V().CurrentSid = job.Sid;
    // CurrentJob() left the list's current element on the old current job
    // (or reset it), so Add places the new job right after it.
    core::S().Jobs.Add(job);
    RefreshJobList();
    dialogs::EditJob();
}

void DeleteJob() {
    TRESORO_MARK(logs::kUnitMain);
    // Del in the editor or the path field must not delete a job.
    if (plat::GetActiveGadget() != JobListView) return;
    const core::Job* job = CurrentJob();
    if (!job) return;
    const std::wstring question = L"Dieser Job wird gelöscht!\r\n\r\n" + job->Src + L"\r\n-> " + job->Dest +
                                  L"\r\n\r\nSind Sie sicher?";
    if (ShowMessage(question, 1, L"Meldung") != 1) return;
    auto& jobs = core::S().Jobs;
    const size_t at = jobs.current;
    jobs.items.erase(jobs.items.begin() + static_cast<std::ptrdiff_t>(at));
    // The job before becomes current; after the first one the list picks
    // the new first row itself.
    if (at > 0) V().CurrentSid = jobs.items[at - 1].Sid;
    jobs.Reset();
    core::RemoveOrphans();
    RefreshJobList();
}

static void JobSwap(bool up) {
    if (!CurrentJob()) return;
    auto& jobs = core::S().Jobs;
    const size_t at = jobs.current;
    if (up ? at == 0 : at + 1 >= jobs.items.size()) return;
    const size_t other = up ? at - 1 : at + 1;
    std::swap(jobs.items[at], jobs.items[other]);
    jobs.current = other;
    RefreshJobList();
}

void MoveJobUp() { JobSwap(true); }
void MoveJobDown() { JobSwap(false); }

}  // namespace ui
