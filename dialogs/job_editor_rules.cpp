// What the job editor reads from a job and writes back into it, and how it
// reads the numbers the user typed into the exception list.
#include <algorithm>

#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/job_editor.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace dialogs {

EditorValues EditorValuesOf(const core::Job& job) {
    EditorValues values;
    values.source = job.Src;
    values.dest = job.Dest;
    values.arcInterval = job.ArcInterval;
    values.arcVersions = job.ArcVersions;
    values.bupInterval = job.BupInterval;
    values.optional = (job.Flags & core::kFlagOptional) != 0;
    for (const core::ArcIndivEntry& e : core::S().ArcIndiv.items) {
        if (e.Sid != job.Sid) continue;
        values.exceptions.push_back(ExceptionRow{e.Path, std::to_wstring(e.Interval), std::to_wstring(e.Versions),
                                                 std::to_wstring(int(e.Recursive))});
    }
    return values;
}

// The run lets the last matching entry win (in list order), so the list
// is kept sorted by path: a deeper directory follows its parent and
// overrides it. Equal paths keep their order.
static void RulesSortArcIndiv() {
    auto& items = core::S().ArcIndiv.items;
    std::stable_sort(items.begin(), items.end(), [](const core::ArcIndivEntry& a, const core::ArcIndivEntry& b) {
        return plat::CompareNoCase(a.Path, b.Path) < 0;
    });
}

bool CommitEditorValues(core::Job& job, const EditorValues& values) {
    job.Src = core::AddBackslash(values.source);
    const std::wstring dest = core::AddBackslash(values.dest);
    job.Dest = dest;
    job.ArcInterval = values.arcInterval;
    job.ArcVersions = values.arcVersions;
    job.BupInterval = values.bupInterval;
    // Selected is the tick in the job list and no business of the editor.
    if (values.optional)
        job.Flags = static_cast<int8_t>(job.Flags | core::kFlagOptional);
    else
        job.Flags = static_cast<int8_t>(job.Flags & ~core::kFlagOptional);

    auto& list = core::S().ArcIndiv;
    std::erase_if(list.items, [&](const core::ArcIndivEntry& e) { return e.Sid == job.Sid; });
    bool outside = false;
    for (const ExceptionRow& row : values.exceptions) {
        core::ArcIndivEntry entry;
        entry.Sid = job.Sid;
        entry.Path = core::AddBackslash(row[0]);
        entry.Interval = ParseNumber(row[1]);
        entry.Versions = ParseNumber(row[2]);
        entry.Recursive = static_cast<int8_t>(ParseNumber(row[3]));
        if (entry.Path.find(dest) == std::wstring::npos) outside = true;
        list.Append(entry);
    }
    if (!list.Empty()) RulesSortArcIndiv();
    return outside;
}

int32_t ParseNumber(const std::wstring& text) {
    return core::ParseLeadingInt(text, core::kNumberBlanks | core::kNumberSign | core::kNumberRadix);
}

std::vector<std::wstring> ExceptionMessages(const std::wstring& path, const std::wstring& dest) {
    std::vector<std::wstring> messages;
    if (!plat::DirExists(path)) messages.push_back(L"Pfad existiert nicht! " + path);
    if (path.find(dest) == std::wstring::npos) messages.push_back(L"Die Ausnahme muss sich im Ziel befinden...");
    return messages;
}

}  // namespace dialogs
