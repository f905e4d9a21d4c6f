// What the restore window shows of a state: the rows of one folder, a
// file's versions, the moment typed, and a version opened from a copy.
#include <algorithm>

#include "core/text_helpers.h"
#include "dialogs/restore.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "ui/message.h"

namespace dialogs {

std::vector<RestoreRow> RestoreRowsOf(const std::vector<engine::StateItem>& items, const std::wstring& folder,
                                      const std::vector<std::wstring>& sourceNames) {
    std::vector<RestoreRow> rows;
    const std::wstring top = engine::IndexKey(folder);
    for (const engine::StateItem& item : items) {
        const size_t slash = item.path.rfind(L'\\');
        const std::wstring parent = slash == std::wstring::npos ? L"" : item.path.substr(0, slash);
        if (engine::IndexKey(parent) != top) continue;
        RestoreRow row;
        row.path = item.path;
        row.name = item.path.substr(slash == std::wstring::npos ? 0 : slash + 1);
        row.version = item.version;
        const std::wstring upper = plat::ToUpper(row.name);
        row.inSource = std::find(sourceNames.begin(), sourceNames.end(), upper) != sourceNames.end();
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const RestoreRow& a, const RestoreRow& b) {
        if ((a.version == nullptr) != (b.version == nullptr)) return a.version == nullptr;
        return plat::CompareNoCase(a.name, b.name) < 0;
    });
    if (!folder.empty()) rows.insert(rows.begin(), RestoreRow{true, L"", L"..", nullptr, true});
    return rows;
}

std::vector<const engine::Version*> VersionsNewestFirst(const engine::CatalogEntry& entry) {
    std::vector<const engine::Version*> out;
    for (const engine::Version& v : entry.files) out.push_back(&v);
    std::stable_sort(out.begin(), out.end(), [](const engine::Version* a, const engine::Version* b) {
        if (a->modified != b->modified) return a->modified > b->modified;
        return !a->inArchive && b->inArchive;
    });
    return out;
}

bool ParseAsOfField(const std::wstring& textIn, int64_t& out) {
    std::wstring text = textIn;
    while (!text.empty() && text.back() == L' ') text.pop_back();
    while (!text.empty() && text.front() == L' ') text.erase(0, 1);
    if (text.empty()) {
        out = engine::kNewestState;
        return true;
    }
    // "01.12.2026 14:30" in the order the program writes dates.
    if (text.size() >= 16 && text[2] == L'.' && text[5] == L'.' && text[10] == L' ')
        text = text.substr(6, 4) + L"-" + text.substr(3, 2) + L"-" + text.substr(0, 2) + text.substr(10);
    return engine::ParseRestoreMoment(text, out);
}

std::wstring OpenVersionCopy(const engine::Version& version, const std::wstring& name) {
    const std::wstring dir = plat::TempDir() + L"Tresoro\\";
    if (!plat::DirExists(dir)) (void)plat::CreateDir(plat::WithoutTrailingSeparator(dir));
    for (int attempt = 1; attempt <= 99; ++attempt) {
        const std::wstring copy = dir + engine::BesideName(name, version.modified, attempt);
        plat::DirEntry there;
        if (plat::GetEntryInfo(copy, there)) {
            // Opened before: the same copy is opened again; another file of
            // the name (an older copy changed meanwhile) stays.
            bool same = false;
            if (there.size != version.size || !plat::SameContent(version.location, copy, same) || !same) continue;
        } else if (!plat::CopyFileIntoPlace(version.location, copy, nullptr, false)) {
            break;
        }
        if (!plat::OpenWithShell(copy)) {
            // The system's reason (no program for the type, the program
            // did not start) is what the user needs to act on.
            ui::ShowMessage(L"Konnte " + copy + L" nicht öffnen (" + plat::SystemErrorText(plat::LastError()) + L")", 0,
                            L"Daten Wiederherstellen");
            return L"";
        }
        return copy;
    }
    ui::ShowMessage(L"Konnte keine Kopie von " + version.location + L" im temporären Ordner anlegen", 0,
                    L"Daten Wiederherstellen");
    return L"";
}

}  // namespace dialogs
