// File-system operations the program needs, with Windows semantics on every
// build: paths are Windows paths ("C:\dir\file", "\\server\share\dir\"),
// dates are local wall-clock seconds since 1970, failures return false and
// leave a Windows error code in LastError().
//
// The opens of a copy's source and target, renames, moves and deletions
// that fail because another program holds the file for a moment (errors 5,
// 32, 33) are tried again after short pauses, about a second in all, before
// they fail (platform/common/lock_retry.h); a read-only file that a
// deletion or a replacing rename refuses is refused at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace plat {

// Attribute bits as Windows defines them.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;
// The data of a file kept by a cloud client with files on demand lives
// online only: opening it would download it (or wait and fail offline).
constexpr uint32_t kAttrOffline = 0x1000;
constexpr uint32_t kAttrRecallOnOpen = 0x40000;
constexpr uint32_t kAttrRecallOnDataAccess = 0x400000;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;
constexpr uint32_t kAttrOnlineOnly = kAttrOffline | kAttrRecallOnOpen | kAttrRecallOnDataAccess;

// Reparse tags as Windows defines them.
constexpr uint32_t kReparseTagMountPoint = 0xA0000003;  // junctions and mounted volumes
constexpr uint32_t kReparseTagSymlink = 0xA000000C;
constexpr uint32_t kReparseTagCloud = 0x9000001A;  // a cloud client's placeholder folder (one of 16)

// IsReparseTagNameSurrogate: the entry stands for another named entry.
inline bool IsNameSurrogateTag(uint32_t tag) { return (tag & 0x20000000u) != 0; }
// Whether an entry leads elsewhere and is never entered: a reparse point
// whose tag is a name surrogate (junction, directory link, mount point),
// or one whose tag the system did not give. Other reparse points (a cloud
// client's folders) are the folders or files they appear to be.
inline bool IsLinkEntry(uint32_t attributes, uint32_t reparseTag) {
    return (attributes & kAttrReparsePoint) != 0 && (reparseTag == 0 || IsNameSurrogateTag(reparseTag));
}

struct DirEntry {
    std::wstring name;  // name only, never "." or ".."
    uint32_t attributes = 0;
    uint64_t size = 0;        // 0 for directories
    int64_t modified = 0;     // last write, local seconds since 1970
    uint32_t reparseTag = 0;  // with kAttrReparsePoint: its tag (0 when not known)
};

// Lists the entries of `dir` (with or without trailing "\") whose names match
// `pattern` ("*" for all; "*" and "?" wildcards, case-insensitive, "*.*"
// matches names without a dot too). A directory with no matching entry is
// success with an empty list; only a directory that cannot be read fails.
[[nodiscard]] bool ListDir(const std::wstring& dir, const std::wstring& pattern, std::vector<DirEntry>& out);

bool DirExists(const std::wstring& path);
bool FileExists(const std::wstring& path);  // a file, not a directory

// Attributes of a file or directory, kInvalidAttributes when it does not exist.
uint32_t GetAttributes(const std::wstring& path);
[[nodiscard]] bool SetAttributes(const std::wstring& path, uint32_t attributes);

// Last write time (local seconds), false when the entry does not exist.
[[nodiscard]] bool GetModified(const std::wstring& path, int64_t& modified);
[[nodiscard]] bool SetModified(const std::wstring& path, int64_t modified);

[[nodiscard]] bool CreateDir(const std::wstring& path);                          // one level; fails if it exists
[[nodiscard]] bool MoveEntry(const std::wstring& from, const std::wstring& to);  // never replaces
// Gives a file or folder another spelling of its own name ("Foto.JPG" to
// "foto.jpg"): `to` must differ from `from` only in the case of its name
// (else kErrInvalidParameter). Where the system takes the new spelling for
// an existing entry, the entry goes through a free name beside it; should
// the last step fail, it is back under its old name. Counts as Move.
[[nodiscard]] bool RenameCase(const std::wstring& from, const std::wstring& to);
// Renames a file over an existing one (the last step of a safe copy);
// a read-only target is refused, as Windows refuses it. Counts as Rename.
[[nodiscard]] bool MoveReplacing(const std::wstring& from, const std::wstring& to);
[[nodiscard]] bool DeleteFileAt(const std::wstring& path);
[[nodiscard]] bool RemoveDir(const std::wstring& path);  // empty directories only

// Removes a directory with everything below it, read-only files included.
// A junction or symbolic link met on the way is removed as a link; what it
// points to is never touched. A plain file is refused (error 267).
[[nodiscard]] bool RemoveTree(const std::wstring& path);

// Removes a file, a link or a directory with everything below it, read-only
// entries included (Windows refuses to delete those as they are). A
// directory counts as RemoveTree does; a file counts as Delete, and as
// SetAttributes first when it is read-only.
[[nodiscard]] bool RemoveForGood(const std::wstring& path);

// Copy progress: total and copied bytes of the file so far. Returning false
// cancels the copy; the copy then fails with kErrRequestAborted and leaves
// no target behind.
using CopyProgress = std::function<bool(uint64_t total, uint64_t copied)>;

// Copies contents, attributes and last write time, replacing an existing
// target unless `failIfExists`.
[[nodiscard]] bool CopyFileWithProgressCall(const std::wstring& from, const std::wstring& to,
                                            const CopyProgress& progress, bool failIfExists);

// The mirror's copy: copies `from` over `to` so that no partly written file
// ever carries a real name. The copy is written under `to` + kTempSuffix
// (where the file system can make a file without a name, under no name at
// all) and takes `to`'s place only when complete; on failure or cancel `to`
// is as it was and no temporary file remains. A read-only or directory `to`
// is refused. With `archiveOnly` the copy gets FILE_ATTRIBUTE_ARCHIVE alone
// instead of the source's attributes before it takes its place; a failure of
// that reset is ignored (the copy keeps the source's attributes). The copy's
// data are on the disk before it gets its name (a failed flush fails the
// copy); the name follows as FlushPlacedNames says. An encrypted file where
// the destination cannot encrypt (FAT, exFAT, most network storage:
// kErrEncryptionFailed) is copied again and stored decrypted, which
// `storedDecrypted` then tells. Counts as Copy (each attempt), SetAttributes
// (the reset), Flush and Rename (taking its place).
[[nodiscard]] bool CopyFileIntoPlace(const std::wstring& from, const std::wstring& to, const CopyProgress& progress,
                                     bool archiveOnly, bool* storedDecrypted = nullptr);

// The names CopyFileIntoPlace and PlacePreparedCopy give reach the disk a
// folder at a time: a folder's, once a copy is named in another folder,
// and the last folder's with this call, which whoever placed copies makes
// when done (a walk, a restore). On Windows each rename is written through
// at once (MOVEFILE_WRITE_THROUGH) and this does nothing.
void FlushPlacedNames();

// A copy made ahead of its turn, on another thread: the first half of
// CopyFileIntoPlace (bytes, last write time, attributes) written into a
// file without any name in the target's directory, or where the file
// system has no such files (Windows) under the target's temporary name
// (`to` + kTempSuffix), which the next run sweeps when this one dies. Its
// data are on the disk before PlacePreparedCopy names it: flushed by the
// writer (Windows), or by one flush of the file system for every copy
// written before it began (portable layer).
// Nothing under a real name changes before PlacePreparedCopy; a copy
// dropped unplaced leaves nothing behind.
// It owns what it holds: moved, never copied, and dropped when it goes.
struct PreparedCopy {
    intptr_t file = -1;  // the open copy (portable layer); -1 when none
    std::wstring temp;   // its temporary name, when it has one
    uint64_t total = 0;  // the source's size when it was opened
    uint64_t copied = 0;
    bool archiveOnly = false;
    std::wstring from;
    uint64_t written = 0;  // portable layer: when its data were written (a tick of its flush clock)

    PreparedCopy() = default;
    PreparedCopy(PreparedCopy&& other) noexcept { *this = std::move(other); }
    PreparedCopy& operator=(PreparedCopy&& other) noexcept;
    PreparedCopy(const PreparedCopy&) = delete;
    PreparedCopy& operator=(const PreparedCopy&) = delete;
    ~PreparedCopy();
};

// Prepares the copy of `from` for the new target `to`. Touches nothing the
// run's thread uses (no fault counts, no attribute table, no retries), so
// it may run on any thread. False with LastError set when no copy was
// prepared (then copy at the turn): kErrFileTooLarge for a source now above
// `maxBytes`, kErrFileExists where the temporary name is taken (a leftover
// the sweep could not remove is the turn's to deal with).
[[nodiscard]] bool PrepareCopy(const std::wstring& from, const std::wstring& to, bool archiveOnly, uint64_t maxBytes,
                               PreparedCopy& copy);

// How many copies are best prepared at once here, each on a writer that
// mostly waits for its flush.
int PreparedCopyWriters();

// Gives a prepared copy the name `to` as CopyFileIntoPlace would have, with
// its attributes; the copy is consumed either way (a failed one leaves no
// temporary name). Counts as Rename.
[[nodiscard]] bool PlacePreparedCopy(PreparedCopy& copy, const std::wstring& to);

// Drops a prepared copy unplaced (nothing to do for an empty one); what a
// PreparedCopy does when it goes.
void DropPreparedCopy(PreparedCopy& copy);

inline PreparedCopy& PreparedCopy::operator=(PreparedCopy&& other) noexcept {
    if (this == &other) return *this;
    DropPreparedCopy(*this);
    file = other.file;
    total = other.total;
    temp = std::move(other.temp);
    copied = other.copied;
    archiveOnly = other.archiveOnly;
    from = std::move(other.from);
    written = other.written;
    other.file = -1;
    other.temp.clear();
    return *this;
}
inline PreparedCopy::~PreparedCopy() { DropPreparedCopy(*this); }

// Files over 1 GiB are refused (kErrNotEnoughMemory): whole-file reads are
// for the program's own small files.
[[nodiscard]] bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`, so that a crash or a full disk never leaves a half-written file.
// On failure the old file stays as it was and the temporary file is gone.
[[nodiscard]] bool WriteFileReplacing(const std::wstring& path, const std::string& bytes);

// Suffix of the temporary files WriteFileReplacing leaves after a crash.
extern const wchar_t* const kTempSuffix;

}  // namespace plat

namespace plat {

// One entry's attributes, size and last write time as a listing gives them
// (`name` left empty), without following a link; false when it is missing.
[[nodiscard]] bool GetEntryInfo(const std::wstring& path, DirEntry& out);
// The same of what a link leads to, through every link on the way: a
// listing shows a file link with its own date and no size, while a copy
// copies the file it points to. False when it leads nowhere.
[[nodiscard]] bool FollowLink(const std::wstring& path, DirEntry& out);

// Appends `bytes` at the end of `path` in one write, making the file when
// it is missing. Whatever stops it (a full disk, the process killed, the
// medium pulled) leaves the old content followed by at most a part of
// `bytes`. Counts as Write.
[[nodiscard]] bool AppendToFile(const std::wstring& path, const std::string& bytes);

// Whether two files hold the same bytes, read piece by piece whatever their
// size; false (LastError set) when either cannot be read. Counts as Read.
[[nodiscard]] bool SameContent(const std::wstring& a, const std::wstring& b, bool& same);

}  // namespace plat
