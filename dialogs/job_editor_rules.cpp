// What the job editor reads from a job and writes back into it, and how it
// reads the numbers the user typed into the exception list.
#include <algorithm>
#include <limits>

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

static int RulesDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

int32_t ParseNumber(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    int base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == L'%') {
        base = 2;
        ++i;
    }
    const int64_t limit =
        negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = RulesDigit(text[i]);
        if (digit < 0 || digit >= base) break;
        // Saturates instead of wrapping; the digits left cannot matter.
        value = std::min<int64_t>(value * base + digit, limit);
    }
    return static_cast<int32_t>(negative ? -value : value);
}

std::vector<std::wstring> ExceptionMessages(const std::wstring& path, const std::wstring& dest) {
    std::vector<std::wstring> messages;
    if (!plat::DirExists(path)) messages.push_back(L"Pfad existiert nicht! " + path);
    if (path.find(dest) == std::wstring::npos) messages.push_back(L"Die Ausnahme muss sich im Ziel befinden...");
    return messages;
}

}  // namespace dialogs
