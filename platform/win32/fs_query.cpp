// Listing and questions about single entries: existence, attributes, the
// last write time.
#include <windows.h>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/listing.h"
#include "platform/win32/find_loop.h"
#include "platform/win32/wide_path.h"

namespace plat {

using win32::JoinPath;
using win32::Literal;
using win32::LiteralEntry;

// Calls take(fd) for each entry of `dir` matching `pattern`; false (with the
// error kept for LastError) when the directory cannot be read, also in the
// middle of the listing, which must not pass for its end.
template <typename Take>
static bool ListFind(const std::wstring& dir, const std::wstring& pattern, Take take) {
    if (FaultHit(FaultOp::List)) return false;
    win32::FindEnd end = win32::FindEach(Literal(JoinPath(dir, pattern)), take);
    if (end == win32::FindEnd::Broken) return false;
    if (end == win32::FindEnd::NotOpened) {
        DWORD err = ::GetLastError();
        // "Nothing matches" comes as FILE_NOT_FOUND (NO_MORE_FILES on some
        // redirectors); it means an empty listing only if the directory is there.
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) {
            if (DirExists(dir)) return true;
            err = ERROR_PATH_NOT_FOUND;
        }
        ::SetLastError(err);
        return false;
    }
    ::SetLastError(ERROR_SUCCESS);
    return true;
}

static uint64_t ListSizeOf(const WIN32_FIND_DATAW& fd) {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// FindFirstFileExW hands the reparse tag of a reparse point over in
// dwReserved0; for any other entry that field means nothing.
static uint32_t ListReparseTag(const WIN32_FIND_DATAW& fd) {
    return (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? fd.dwReserved0 : 0;
}

bool ListDir(const std::wstring& dir, const std::wstring& pattern, std::vector<DirEntry>& out) {
    out.clear();
    const bool listed = ListFind(dir, pattern, [&out](const WIN32_FIND_DATAW& fd) {
        DirEntry entry;
        entry.name = fd.cFileName;
        entry.attributes = fd.dwFileAttributes;
        entry.reparseTag = ListReparseTag(fd);
        entry.size = ListSizeOf(fd);
        entry.modified = win32::UtcFileTimeToLocalSeconds(fd.ftLastWriteTime);
        out.push_back(std::move(entry));
    });
    if (!listed) out.clear();
    return listed;
}

bool ListDirCompact(const std::wstring& dir, Listing& out) {
    out = Listing();
    bool tooLarge = false;  // beyond the records' 32-bit name offsets
    const bool listed = ListFind(dir, L"*", [&out, &tooLarge](const WIN32_FIND_DATAW& fd) {
        if (out.names.size() > UINT32_MAX - MAX_PATH) {
            tooLarge = true;
            return;
        }
        ListingRecord record;
        record.nameStart = static_cast<uint32_t>(out.names.size());
        record.attributes = fd.dwFileAttributes;
        record.size = ListSizeOf(fd);
        record.modified = win32::UtcFileTimeToLocalSeconds(fd.ftLastWriteTime);
        out.names += fd.cFileName;
        if (const uint32_t tag = ListReparseTag(fd)) out.tags.push_back({uint32_t(out.records.size()), tag});
        out.records.push_back(record);
    });
    if (listed && tooLarge) ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (!listed || tooLarge) out = Listing();
    return listed && !tooLarge;
}

uint32_t GetAttributes(const std::wstring& path) { return GetFileAttributesW(LiteralEntry(path).c_str()); }

bool DirExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(LiteralEntry(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(LiteralEntry(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool GetModified(const std::wstring& path, int64_t& modified) {
    // GetFileAttributesExW reads the directory entry without opening the
    // file, so a file another program holds open exclusively still answers.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LiteralEntry(path).c_str(), GetFileExInfoStandard, &data)) return false;
    modified = win32::UtcFileTimeToLocalSeconds(data.ftLastWriteTime);
    return true;
}

}  // namespace plat
