// The parent of a directory path, used by the path chooser's "<" and ".."
// and by the new-job command, which proposes the parents of the current
// job's directories.
#include "dialogs/path_chooser.h"

namespace dialogs {

// Counting backslashes instead of looking for the last one keeps network
// roots intact: "\\server\share\" steps up to "\\server\", and the two
// leading backslashes alone are no directory, so above them is the drive
// list (the empty text). A path without its trailing "\" loses its last two
// components, as the count says.
std::wstring ParentDir(const std::wstring& path) {
    long fieldsWanted = -1;
    for (wchar_t c : path)
        if (c == L'\\') ++fieldsWanted;
    std::wstring result;
    size_t start = 0;
    for (long field = 0; field < fieldsWanted; ++field) {
        const size_t cut = path.find(L'\\', start);
        result.append(path, start, cut - start);
        result += L'\\';
        start = cut + 1;
    }
    if (result == L"\\\\") result.clear();
    return result;
}

}  // namespace dialogs
