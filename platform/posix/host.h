// Internals of the portable layer: how Windows paths land on host paths,
// the tables tests set up, and errno turned into Windows error codes.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

namespace plat::posix {

struct MappedDrive {
    std::string hostDir;  // without trailing "/" unless it is "/"
    unsigned type = 3;
    std::wstring label;
    std::wstring fileSystem;  // what FileSystemName answers; empty: the host's
};

// What a test marks an entry with that no host file system holds: bits
// such as the online-only ones, and a reparse tag (with kAttrReparsePoint).
struct EntryMark {
    uint32_t attributes = 0;
    uint32_t reparseTag = 0;
};

struct Tables {
    std::map<std::wstring, MappedDrive> drives;  // key: "E:" or "\\SERVER\SHARE"
    std::map<int, std::wstring> specialFolders;
    std::map<std::wstring, std::wstring> env;
    int dpi = 96;
    // Attribute bits a host file system cannot hold (hidden, system, archive),
    // by host path; read-only lives in the permission bits.
    std::map<std::string, uint32_t> extraAttributes;
    // By host path; kept apart from the bits above, which SetAttributes
    // rewrites, as Windows never lets it clear these.
    std::map<std::string, EntryMark> marks;
    bool namedTempCopies = false;  // never a copy without a name
    bool errorBoxesOff = false;    // SuppressErrorBoxes was called
    // HoldSystemAwake's state; Windows starts a thread with ES_CONTINUOUS
    // clear, which this twin answers as "continuous, nothing required".
    uint32_t awakeState = 0x80000000u;
};

Tables& T();
void ResetTables();

// The mapping a Windows path lies on, or nullptr.
const MappedDrive* DriveOf(const std::wstring& winPath);
// Host path of a Windows path; false (error 3) when no mapping covers it.
bool ToHost(const std::wstring& winPath, std::string& host);
// The same for the entry a path names: a trailing "\" names the directory
// itself, as on Windows, so the host path loses its trailing "/".
bool ToHostEntry(const std::wstring& winPath, std::string& host);
// Windows path of a host path, through the longest mapped prefix.
std::wstring FromHost(const std::string& host);

uint32_t ErrnoToWin(int err);
// Sets LastError from errno and returns false, for one-line failure returns.
bool FailErrno();
bool Fail(uint32_t code);

// Local wall-clock seconds of a UTC time and back.
int64_t UtcToLocal(time_t utc);
time_t LocalToUtc(int64_t local);

// The table of extra attributes is read by listings on the walk's reader
// threads while the run's thread changes it: every access goes through
// these, under one lock.
uint32_t AttributesOf(const std::string& host, const struct stat& linkStat);
// The tag of an entry AttributesOf calls a reparse point: a symbolic link
// is one of IO_REPARSE_TAG_SYMLINK, unless a mark says otherwise.
uint32_t ReparseTagOf(const std::string& host, const struct stat& linkStat);
void SetEntryMark(const std::string& host, const EntryMark& mark);
void MoveExtraAttributes(const std::string& from, const std::string& to);
void ForgetExtraAttributes(const std::string& host);
void SetExtraAttributes(const std::string& host, uint32_t extra);
// A copy's bits are its source's, marked for backup.
void CopyExtraAttributes(const std::string& from, const std::string& to);

// The rename of MoveReplacing on host paths: a read-only or directory
// target is refused, as MoveFileExW refuses it.
bool RenameReplacing(const std::string& from, const std::string& to);

}  // namespace plat::posix
