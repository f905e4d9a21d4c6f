#include "core/folder_vars.h"

#include <string>
#include <vector>

#include "core/records.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace core {

namespace {
struct FolderVarRow {
    const wchar_t* name;
    int csidl;
};
}  // namespace

// The order is part of the user-visible list file and of the lookup: the
// first matching name wins.
static const FolderVarRow kFolderVarRows[] = {
    {L"MyDocs", 5},        {L"MyDesk", 16},      {L"MyFavorites", 6},   {L"MyMusic", 13},        {L"MyPics", 39},
    {L"MyVideo", 14},      {L"MyTemplates", 21}, {L"MyAppData", 26},    {L"MyLocalAppData", 28}, {L"MyProfile", 40},
    {L"MyCDBurn", 59},     {L"PubDocs", 46},     {L"PubFavorites", 31}, {L"PubMusic", 53},       {L"PubPics", 54},
    {L"PubTemplates", 45}, {L"PubVideo", 55},    {L"PubDesk", 25},      {L"PubAppData", 35},     {L"MyTempInet", 32},
};

static const wchar_t* const kFolderListFile = L"WinFolderList.txt";
static const wchar_t* const kFolderListHeader =
    L"Namen für variable Windowsverzeichnisse. Ggfs. Datei löschen (falls veraltet) - "
    L"Tresoro erstellt beim Start eine neue...";

std::wstring FolderPath(int csidl) { return plat::SpecialFolder(csidl); }

// An existing non-empty list is kept even when out of date; its header tells
// the user to delete it for a fresh one.
static bool FolderListNeedsWriting(const std::wstring& dir) {
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(dir, kFolderListFile, entries)) return true;
    for (const plat::DirEntry& entry : entries) {
        if (!plat::EqualNoCase(entry.name, kFolderListFile)) continue;
        if (entry.attributes & plat::kAttrDirectory) return false;  // nothing to write into
        return entry.size < 1;
    }
    return true;
}

static void FolderAdd(const std::wstring& name, const std::wstring& path, std::wstring& text) {
    WinFolder folder;
    folder.Name = name;
    folder.Path = AddBackslash(path);
    S().WinFolders.Append(folder);
    text += folder.Name + L": " + folder.Path + L"\r\n";
}

void BuildFolderVars() {
    S().WinFolders.Clear();
    std::wstring text;
    for (const FolderVarRow& row : kFolderVarRows) FolderAdd(row.name, FolderPath(row.csidl), text);
    FolderAdd(L"MyTemp", plat::TempDir(), text);

    // Without a configuration directory the list would land in whatever the
    // current directory happens to be.
    const std::wstring& dir = S().paths.ConfigDir;
    if (dir.empty() || !FolderListNeedsWriting(dir)) return;
    std::wstring content = std::wstring(kFolderListHeader) + L"\r\n\r\n" + text;
    // The list is for the user to read; the variables work without it, and
    // the next start writes it again.
    (void)plat::WriteFileReplacing(AddBackslash(dir) + kFolderListFile, plat::WideToUtf8(content));
}

std::wstring ResolveFolderVar(const std::wstring& name) {
    for (const WinFolder& folder : S().WinFolders.items) {
        if (plat::EqualNoCase(folder.Name, name)) return folder.Path;
    }
    return L"";
}

}  // namespace core
