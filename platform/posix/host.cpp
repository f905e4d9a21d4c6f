#include "platform/posix/host.h"

#include <cerrno>
#include <mutex>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace plat::posix {

static Tables g_tables;
static std::mutex g_extraLock;  // guards g_tables.extraAttributes and g_tables.marks

Tables& T() { return g_tables; }

void ResetTables() {
    std::lock_guard<std::mutex> hold(g_extraLock);
    g_tables = Tables{};
    // Like Wine: Z: is the host's root, so every host path has a Windows name.
    g_tables.drives[L"Z:"] = MappedDrive{"/", 3, L"", L""};
}

static bool g_initialised = (ResetTables(), true);

// "E:..." -> key "E:"; "\\server\share..." -> key "\\SERVER\SHARE"; `restAt`
// is where the rest of the path begins.
static bool SplitRoot(const std::wstring& path, std::wstring& key, size_t& restAt) {
    if (path.size() >= 2 && path[1] == L':' && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z')) {
        key = ToUpper(path.substr(0, 2));
        restAt = 2;
        return true;
    }
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return false;
        size_t share = path.find(L'\\', server + 1);
        if (share == std::wstring::npos) share = path.size();
        key = ToUpper(path.substr(0, share));
        restAt = share;
        return true;
    }
    return false;
}

// Appends the rest of a Windows path as UTF-8 with "/" for "\\", encoding as
// WideToUtf8 does (U+FFFD for what is no code point). Every file operation
// converts its paths, several times per copied file, so this writes into
// room made once instead of growing the string byte by byte.
static void HostAppendPath(std::string& out, const wchar_t* text, size_t length) {
    const size_t start = out.size();
    out.resize(start + 4 * length);
    char* p = out.data() + start;
    for (size_t i = 0; i < length; ++i) {
        uint32_t cp = static_cast<uint32_t>(text[i]);
        if (cp < 0x80) {
            *p++ = cp == '\\' ? '/' : static_cast<char>(cp);
            continue;
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp < 0x800) {
            *p++ = static_cast<char>(0xC0 | (cp >> 6));
        } else if (cp < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (cp >> 12));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (cp >> 18));
            *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    out.resize(static_cast<size_t>(p - out.data()));
}

// The mapping of the path's root; `restAt` is where the rest begins.
static const MappedDrive* HostDriveOf(const std::wstring& winPath, size_t& restAt) {
    std::wstring key;
    if (!SplitRoot(winPath, key, restAt)) return nullptr;
    auto it = g_tables.drives.find(key);
    return it == g_tables.drives.end() ? nullptr : &it->second;
}

const MappedDrive* DriveOf(const std::wstring& winPath) {
    size_t restAt = 0;
    return HostDriveOf(winPath, restAt);
}

bool ToHost(const std::wstring& winPath, std::string& host) {
    (void)g_initialised;
    size_t restAt = 0;
    const MappedDrive* drive = HostDriveOf(winPath, restAt);
    if (!drive) return Fail(kErrPathNotFound);
    const size_t restLength = winPath.size() - restAt;
    const bool rooted = restLength > 0 && (winPath[restAt] == L'\\' || winPath[restAt] == L'/');
    const std::string& dir = drive->hostDir;
    host.clear();
    host.reserve(dir.size() + 1 + 4 * restLength);
    if (restLength == 0) {
        host = dir;
    } else if (dir != "/" || !rooted) {
        host = dir;
        if (!rooted) host += '/';
    }
    HostAppendPath(host, winPath.data() + restAt, restLength);
    if (host.empty()) host = "/";
    return true;
}

bool ToHostEntry(const std::wstring& winPath, std::string& host) {
    if (!ToHost(winPath, host)) return false;
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    return true;
}

std::wstring FromHost(const std::string& host) {
    const std::pair<const std::wstring, MappedDrive>* best = nullptr;
    for (const auto& entry : g_tables.drives) {
        const std::string& dir = entry.second.hostDir;
        bool prefix = dir == "/" ? (!host.empty() && host[0] == '/')
                                 : host.compare(0, dir.size(), dir) == 0 &&
                                       (host.size() == dir.size() || host[dir.size()] == '/');
        if (prefix && (!best || dir.size() > best->second.hostDir.size())) best = &entry;
    }
    if (!best) return L"";
    std::string tail = best->second.hostDir == "/" ? host : host.substr(best->second.hostDir.size());
    std::wstring out = best->first + Utf8ToWide(tail);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    if (out.size() == best->first.size()) out += L'\\';
    return out;
}

uint32_t ErrnoToWin(int err) {
    switch (err) {
        case ENOENT:
            return kErrFileNotFound;
        case ENOTDIR:
            return kErrPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kErrAccessDenied;
        case EROFS:  // as Windows answers for a write-protected medium
            return kErrWriteProtect;
        case EXDEV:
            return kErrNotSameDevice;
        case ENOMEM:
            return kErrNotEnoughMemory;
        case EEXIST:
            return kErrAlreadyExists;
        case ENOSPC:
        case EDQUOT:
            return kErrDiskFull;
        case ENOTEMPTY:
            return kErrDirNotEmpty;
        case ENAMETOOLONG:
            return kErrFilenameTooLong;
        case EFBIG:  // beyond what the file system holds in one file (4 GiB on FAT32)
            return kErrFileTooLarge;
        case EBUSY:
        case ETXTBSY:
            return kErrSharingViolation;
        case EINVAL:
            return kErrInvalidParameter;
        case EIO:
            return kErrWriteFault;
        default:
            return kErrAccessDenied;
    }
}

bool FailErrno() {
    SetLastError(ErrnoToWin(errno));
    return false;
}

bool Fail(uint32_t code) {
    SetLastError(code);
    return false;
}

int64_t UtcToLocal(time_t utc) {
    struct tm parts;
    localtime_r(&utc, &parts);
    return static_cast<int64_t>(utc) + parts.tm_gmtoff;
}

time_t LocalToUtc(int64_t local) {
    // The offset at the guess is the offset at the answer except within the
    // hour around a clock change, where either reading is acceptable.
    time_t guess = static_cast<time_t>(local);
    struct tm parts;
    localtime_r(&guess, &parts);
    guess = static_cast<time_t>(local - parts.tm_gmtoff);
    localtime_r(&guess, &parts);
    return static_cast<time_t>(local - parts.tm_gmtoff);
}

uint32_t AttributesOf(const std::string& host, const struct stat& linkStat) {
    uint32_t attributes = 0;
    if (S_ISLNK(linkStat.st_mode)) {
        attributes |= kAttrReparsePoint;
        struct stat target;
        if (stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) attributes |= kAttrDirectory;
    } else if (S_ISDIR(linkStat.st_mode)) {
        attributes |= kAttrDirectory;
    }
    if (!S_ISLNK(linkStat.st_mode) && !(linkStat.st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
    std::lock_guard<std::mutex> hold(g_extraLock);
    auto it = g_tables.extraAttributes.find(host);
    if (it != g_tables.extraAttributes.end()) {
        attributes |= it->second;
    } else if (!(attributes & (kAttrDirectory | kAttrReparsePoint))) {
        attributes |= kAttrArchive;  // Windows marks every new file for backup
    }
    auto mark = g_tables.marks.find(host);
    if (mark != g_tables.marks.end())
        attributes |= mark->second.attributes | (mark->second.reparseTag ? kAttrReparsePoint : 0);
    return attributes == 0 ? kAttrNormal : attributes;
}

uint32_t ReparseTagOf(const std::string& host, const struct stat& linkStat) {
    std::lock_guard<std::mutex> hold(g_extraLock);
    auto mark = g_tables.marks.find(host);
    if (mark != g_tables.marks.end() && mark->second.reparseTag) return mark->second.reparseTag;
    return S_ISLNK(linkStat.st_mode) ? kReparseTagSymlink : 0;
}

void SetEntryMark(const std::string& host, const EntryMark& mark) {
    std::lock_guard<std::mutex> hold(g_extraLock);
    g_tables.marks[host] = mark;
}

// Moves the rows of `from` and of everything below it to `to`.
template <typename Value>
static void HostMoveRows(std::map<std::string, Value>& table, const std::string& from, const std::string& to) {
    table.erase(to);
    std::map<std::string, Value> moved;
    for (auto it = table.lower_bound(from); it != table.end() && it->first.compare(0, from.size(), from) == 0;) {
        const std::string& key = it->first;
        if (key.size() == from.size() || key[from.size()] == '/') {
            moved[to + key.substr(from.size())] = it->second;
            it = table.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& entry : moved) table[entry.first] = entry.second;
}

// A moved directory takes the remembered bits of everything below it along.
void MoveExtraAttributes(const std::string& from, const std::string& to) {
    std::lock_guard<std::mutex> hold(g_extraLock);
    HostMoveRows(g_tables.extraAttributes, from, to);
    HostMoveRows(g_tables.marks, from, to);
}

void ForgetExtraAttributes(const std::string& host) {
    std::lock_guard<std::mutex> hold(g_extraLock);
    g_tables.extraAttributes.erase(host);
    g_tables.marks.erase(host);
}

void SetExtraAttributes(const std::string& host, uint32_t extra) {
    std::lock_guard<std::mutex> hold(g_extraLock);
    g_tables.extraAttributes[host] = extra;
}

void CopyExtraAttributes(const std::string& from, const std::string& to) {
    std::lock_guard<std::mutex> hold(g_extraLock);
    auto& extra = g_tables.extraAttributes;
    auto it = extra.find(from);
    if (it != extra.end())
        extra[to] = it->second | kAttrArchive;
    else
        extra.erase(to);
}

}  // namespace plat::posix
