#include "ui/job_list.h"

#include <vector>

#include "core/config.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/job_editor.h"
#include "engine/sync.h"
#include "log/fatal_report.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "ui/menu.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

namespace ui {

namespace {

std::vector<std::wstring> JobRowCells(const core::Job& job) {
    const std::wstring archive =
        job.ArcVersions != 0 ? std::to_wstring(job.ArcInterval) + L"-" + std::to_wstring(job.ArcVersions) : L"Nein";
    return {job.Src, job.Dest, archive, (job.Flags & core::kFlagOptional) ? L"Ja" : L"Nein",
            std::to_wstring(job.BupInterval)};
}

std::wstring JobLower(const std::wstring& text) { return plat::ToLower(text); }

// FileList and PathField both show `dir`, then the marks follow.
void JobShowDirectory(const std::wstring& dir) {
    plat::SetGadgetText(FileList, dir);
    plat::SetGadgetText(PathField, dir);
}

// The text lines of the editor; its lines are separated by CR LF.
std::vector<std::wstring> JobEditorLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++end;
        start = end + 1;
    }
    return lines;
}

}  // namespace

void RefreshJobList() {
    TRESORO_MARK(logs::kUnitMain);
    ViewState& v = V();
    plat::ClearList(JobListView);
    bool found = false;
    for (const core::Job& job : core::S().Jobs.items) {
        const int row = plat::AddListRow(JobListView, -1, JobRowCells(job));
        plat::SetListRowData(JobListView, row, job.Sid);
        plat::SetListRowChecked(JobListView, row, (job.Flags & core::kFlagSelected) != 0);
        if (job.Sid == v.CurrentSid && v.CurrentSid != 0) {
            plat::SetListCurrentRow(JobListView, row);
            found = true;
        }
    }
    if (!found) {
        if (plat::GetListRowCount(JobListView) > 0) {
            v.CurrentPath = plat::GetListCell(JobListView, 0, 0);
            v.CurrentSid = plat::GetListRowData(JobListView, 0);
            plat::SetListCurrentRow(JobListView, 0);
        } else {
            v.CurrentSid = 0;
            v.CurrentPath.clear();
        }
    }
    JobShowDirectory(v.CurrentPath);
    RefreshExclusionMarks(true);
}

void OnJobListEvent(plat::EventType type) {
    TRESORO_MARK(logs::kUnitMain);
    ViewState& v = V();
    const int rows = plat::GetListRowCount(JobListView);
    std::vector<int32_t> ticked;
    for (int r = 0; r < rows; ++r)
        if (plat::GetListRowChecked(JobListView, r)) ticked.push_back(plat::GetListRowData(JobListView, r));
    for (core::Job& job : core::S().Jobs.items) {
        bool on = false;
        for (int32_t sid : ticked) on = on || sid == job.Sid;
        job.Flags = static_cast<int8_t>(on ? (job.Flags | core::kFlagSelected) : (job.Flags & ~core::kFlagSelected));
    }
    const int selected = plat::GetListCurrentRow(JobListView);
    if (selected >= 0) {
        v.CurrentSid = plat::GetListRowData(JobListView, selected);
        if (core::Job* job = CurrentJob()) v.CurrentPath = job->Src;
    }
    if (type == plat::EventType::LeftDoubleClick && CurrentJob()) {
        dialogs::EditJob();
        return;  // the editor refreshes the list when it closes
    }
    core::SortExcludes();
    JobShowDirectory(v.CurrentPath);
    RefreshExclusionMarks(true);
}

int ExclusionState(const std::wstring& path, int32_t sid) {
    const std::wstring upper = plat::ToUpper(path);
    const std::wstring below = core::AddBackslash(upper);
    for (const core::Exclude& e : core::S().Excludes.items) {
        if (e.Sid != sid) continue;
        if (upper.find(e.Path) != std::wstring::npos) return 2;
        if (e.Path.find(below) != std::wstring::npos) return 1;
    }
    return 0;
}

void RefreshExclusionMarks(bool fillEditor) {
    TRESORO_MARK(logs::kUnitMain);
    const int32_t sid = V().CurrentSid;
    const std::wstring dir = plat::GetGadgetText(FileList);
    const int rows = plat::GetListRowCount(FileList);
    for (int r = 0; r < rows; ++r) {
        const std::wstring name = dir + plat::GetDirListName(FileList, r);
        const wchar_t* mark = L"";
        if (plat::GetDirListIsFolder(FileList, r) && ExclusionState(name + L"\\", sid) == 2) {
            mark = L"XXXX";
        } else {
            const int state = ExclusionState(name, sid);
            mark = state == 2 ? L"XXXX" : state == 1 ? L"oooo" : L"";
        }
        plat::SetListCell(FileList, r, 1, mark);
    }
    if (!fillEditor) return;
    std::wstring text;
    for (const core::Exclude& e : core::S().Excludes.items) {
        if (e.Sid != sid) continue;
        if (!text.empty()) text += L"\r\n";
        text += e.Path;
    }
    plat::SetGadgetText(ExclusionEditor, text);
}

// The list moved from `old` to `cur` (both lower case): it may not leave
// the job's source nor enter an excluded directory.
static void JobFollowDirectory(std::wstring cur, const std::wstring& old) {
    const ViewState& v = V();
    const std::wstring source = JobLower(v.CurrentPath);
    if (cur.find(source) == std::wstring::npos) cur = source;
    if (engine::IsExcluded(core::S().Excludes.items, cur, v.CurrentSid)) cur = old;
    JobShowDirectory(cur);
}

void OnFileListEvent(plat::EventType type) {
    TRESORO_MARK(logs::kUnitMain);
    ViewState& v = V();
    const std::wstring cur = JobLower(plat::GetGadgetText(FileList));
    const std::wstring old = JobLower(plat::GetGadgetText(PathField));
    auto& excludes = core::S().Excludes.items;
    if (type == plat::EventType::RightClick) {
        const int row = plat::GetListCurrentRow(FileList);
        // Without a selected entry the click would add an empty exclusion,
        // which matches nothing: it is ignored.
        if (row >= 0 && v.CurrentSid != 0) {
            const std::wstring name = plat::ToUpper(cur + plat::GetDirListName(FileList, row));
            bool removed = false;
            for (size_t i = 0; i < excludes.size(); ++i) {
                if (excludes[i].Sid == v.CurrentSid && excludes[i].Path == name) {
                    excludes.erase(excludes.begin() + static_cast<std::ptrdiff_t>(i));
                    removed = true;
                    break;
                }
            }
            if (!removed) {
                core::S().Excludes.Append(core::Exclude{v.CurrentSid, name});
                core::SortExcludes();
            }
        }
    } else if (cur != old) {
        JobFollowDirectory(cur, old);
    }
    RefreshExclusionMarks(true);
}

void OnPathFieldEvent() {
    TRESORO_MARK(logs::kUnitMain);
    ViewState& v = V();
    const std::wstring text = plat::GetGadgetText(PathField);
    if (text == v.LastPathText) return;
    v.LastPathText = text;
    if (!plat::DirExists(text)) return;
    // The typed text already stands in the field, so the list's own rule
    // (act when list and field differ) would let a typed path outside the
    // source through; the directory shown before is the way back instead.
    const std::wstring before = JobLower(plat::GetGadgetText(FileList));
    plat::SetGadgetText(FileList, core::AddBackslash(text));
    JobFollowDirectory(JobLower(plat::GetGadgetText(FileList)), before);
    RefreshExclusionMarks(true);
}

void OnExclusionEditorEvent() {
    TRESORO_MARK(logs::kUnitMain);
    const int32_t sid = V().CurrentSid;
    auto& list = core::S().Excludes;
    std::erase_if(list.items, [&](const core::Exclude& e) { return e.Sid == sid; });
    if (sid != 0) {
        for (const std::wstring& line : JobEditorLines(plat::GetGadgetText(ExclusionEditor)))
            if (!line.empty()) list.Append(core::Exclude{sid, plat::ToUpper(line)});
    }
    RefreshExclusionMarks(false);
}

void RunControlsLocked(bool locked) {
    for (int widget : {StartButton, ClearLogsButton, JobListView, ExclusionEditor, PathField, FileList})
        plat::SetGadgetEnabled(widget, !locked);
    SetMenuItemsEnabled(!locked);
}

}  // namespace ui
