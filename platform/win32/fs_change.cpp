// Creating, moving, deleting and marking entries, and the recursive removal
// used inside the archive folder.
#include <windows.h>

#include "platform/common/lock_retry.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/text.h"
#include "platform/win32/find_loop.h"
#include "platform/win32/wide_path.h"

namespace plat {

using win32::JoinPath;
using win32::Literal;
using win32::LiteralEntry;

bool SetAttributes(const std::wstring& path, uint32_t attributes) {
    if (FaultHit(FaultOp::SetAttributes)) return false;
    return SetFileAttributesW(LiteralEntry(path).c_str(), attributes) != 0;
}

bool SetModified(const std::wstring& path, int64_t modified) {
    FILETIME utc;
    if (!win32::LocalSecondsToUtcFileTime(modified, utc)) return false;
    // FILE_WRITE_ATTRIBUTES is allowed on read-only files; the backup
    // semantics flag is what lets CreateFileW open a directory at all.
    win32::OwnedHandle file(CreateFileW(LiteralEntry(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.Valid() && SetFileTime(file.handle, nullptr, nullptr, &utc) != 0;
}

bool CreateDir(const std::wstring& path) {
    if (FaultHit(FaultOp::CreateDir)) return false;
    // One level only: a missing parent fails with PATH_NOT_FOUND, an existing
    // entry with ALREADY_EXISTS.
    return CreateDirectoryW(LiteralEntry(path).c_str(), nullptr) != 0;
}

bool MoveEntry(const std::wstring& from, const std::wstring& to) {
    const std::wstring source = LiteralEntry(from), target = LiteralEntry(to);
    // MoveFileW never replaces an existing target (ALREADY_EXISTS).
    return RetryWhileLocked(FaultOp::Move, [&] { return MoveFileW(source.c_str(), target.c_str()) != 0; });
}

// The name an entry carries on the disk, as a listing shows it.
static bool CaseSpelledAs(const std::wstring& literal, const std::wstring& name) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW(literal.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return name == fd.cFileName;
}

// NTFS renames an entry to another spelling of its own name in one step.
// Other layers look the new spelling up case-insensitively, find the entry
// itself and either refuse it as an existing target or answer success and
// change nothing (Wine, some network file systems); there the entry takes
// a name that no other spelling can meet first. Should the last step fail,
// the entry goes back: it is never left under the passing name unless that
// too fails, and then it is still whole, beside its source's namesake.
bool RenameCase(const std::wstring& from, const std::wstring& to) {
    const std::wstring name = PathName(to);
    if (PathFolder(from) != PathFolder(to) || !EqualNoCase(PathName(from), name)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::wstring source = LiteralEntry(from), target = LiteralEntry(to);
    const std::wstring passing = LiteralEntry(WithoutTrailingSeparator(from) + L".tresoro-case");
    return RetryWhileLocked(FaultOp::Move, [&] {
        if (MoveFileExW(source.c_str(), target.c_str(), 0) && CaseSpelledAs(target, name)) return true;
        if (!MoveFileExW(source.c_str(), passing.c_str(), 0)) return false;
        if (MoveFileExW(passing.c_str(), target.c_str(), 0)) return true;
        win32::KeepError keep;
        MoveFileExW(passing.c_str(), source.c_str(), 0);
        return false;
    });
}

// DeleteFileW and a replacing MoveFileExW refuse a read-only file or a
// directory with ERROR_ACCESS_DENIED, and no wait changes that.
static bool ChangeRefusesForGood(uint32_t code, const std::wstring& path) {
    return RefusedForGood(code, path, kAttrReadOnly | kAttrDirectory);
}

// WRITE_THROUGH: the rename itself is on the disk before the call returns.
// For a rename on the same volume it writes nothing of the file's data:
// CopyFileIntoPlace flushes those before (fs_io.cpp).
bool MoveReplacing(const std::wstring& from, const std::wstring& to) {
    const std::wstring source = Literal(from), target = Literal(to);
    return RetryWhileLocked(
        FaultOp::Rename,
        [&] {
            return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        },
        [&](uint32_t code) { return ChangeRefusesForGood(code, to); });
}

bool DeleteFileAt(const std::wstring& path) {
    const std::wstring literal = Literal(path);
    return RetryWhileLocked(
        FaultOp::Delete, [&] { return DeleteFileW(literal.c_str()) != 0; },
        [&](uint32_t code) { return ChangeRefusesForGood(code, path); });
}

bool RemoveDir(const std::wstring& path) {
    const std::wstring literal = LiteralEntry(path);
    return RetryWhileLocked(
        FaultOp::RemoveDir, [&] { return RemoveDirectoryW(literal.c_str()) != 0; },
        [&](uint32_t code) { return RefusedForGood(code, path, kAttrReadOnly); });
}

// Read-only files and directories refuse DeleteFileW / RemoveDirectoryW with
// ACCESS_DENIED; inside a tree we remove anyway, so the bit goes first.
static void TreeClearReadOnly(const std::wstring& path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return;
    const DWORD settable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
    DWORD rest = attributes & settable;
    SetFileAttributesW(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL);
}

static bool TreeRemoveEntry(const std::wstring& path, DWORD attributes);

static bool TreeRemoveChildren(const std::wstring& dir) {
    struct Child {
        std::wstring name;
        DWORD attributes;
    };
    std::vector<Child> children;
    win32::FindEnd end = win32::FindEach(JoinPath(dir, L"*"), [&children](const WIN32_FIND_DATAW& fd) {
        children.push_back({fd.cFileName, fd.dwFileAttributes});
    });
    if (end == win32::FindEnd::NotOpened) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    if (end == win32::FindEnd::Broken) return false;
    // Removal starts after the listing is closed: deleting under an open
    // search can make some file systems skip or repeat names.
    for (const Child& child : children)
        if (!TreeRemoveEntry(JoinPath(dir, child.name), child.attributes)) return false;
    return true;
}

static bool TreeRemoveEntry(const std::wstring& path, DWORD attributes) {
    TreeClearReadOnly(path, attributes);
    bool isDir = attributes & FILE_ATTRIBUTE_DIRECTORY;
    // A junction or symbolic link is removed as the link itself and never
    // entered: what it points to may lie outside the tree, even on another disk.
    if (isDir && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !TreeRemoveChildren(path)) return false;
    return RetryWhileLocked(FaultOp::RemoveDir,
                            [&] { return (isDir ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) != 0; });
}

// The tree is walked in the literal form: names below it are appended as
// listed, so a name ending in a dot or a blank is removed as itself.
bool RemoveTree(const std::wstring& path) {
    std::wstring top = LiteralEntry(path);
    DWORD attributes = GetFileAttributesW(top.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return TreeRemoveEntry(top, attributes);
}

bool RemoveForGood(const std::wstring& path) {
    std::wstring literal = LiteralEntry(path);
    DWORD attributes = GetFileAttributesW(literal.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return TreeRemoveEntry(literal, attributes);
    if ((attributes & FILE_ATTRIBUTE_READONLY) && FaultHit(FaultOp::SetAttributes)) return false;
    TreeClearReadOnly(literal, attributes);
    return RetryWhileLocked(FaultOp::Delete, [&] { return DeleteFileW(literal.c_str()) != 0; });
}

}  // namespace plat
