// Special folders, the temporary directory, the program file, environment
// variables, the screen resolution, and opening documents through the shell.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <map>
#include <vector>

#include "platform/path_text.h"
#include "platform/shell.h"

namespace plat {

std::wstring SpecialFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl) return L"";
    wchar_t path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(pidl, path);
    CoTaskMemFree(pidl);
    // Virtual folders (the printers, the recycle bin) have an item list but
    // no path.
    if (!ok) return L"";
    return WithoutTrailingSeparator(path);
}

std::wstring TempDir() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return L"";
    std::wstring out(buffer, length);
    // TEMP is often kept in 8.3 form ("C:\Users\ADMINI~1\..."); the long form
    // is the one the user recognises in messages and logs.
    DWORD need = GetLongPathNameW(out.c_str(), nullptr, 0);
    if (need != 0) {
        std::vector<wchar_t> longer(need, L'\0');
        DWORD got = GetLongPathNameW(out.c_str(), longer.data(), need);
        if (got != 0 && got < need) out.assign(longer.data(), got);
    }
    return AddBackslash(out);
}

std::wstring ProgramFile() {
    std::vector<wchar_t> buffer(1000);
    for (;;) {
        DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return L"";
        // A result that fills the buffer is truncated (and not terminated on XP).
        if (got < buffer.size()) return std::wstring(buffer.data(), got);
        if (buffer.size() >= 32768) return L"";
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring GetEnv(const std::wstring& name) {
    DWORD need = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    // Another thread may grow the value between the two calls.
    for (int attempt = 0; need != 0 && attempt < 4; ++attempt) {
        std::vector<wchar_t> buffer(need, L'\0');
        DWORD got = GetEnvironmentVariableW(name.c_str(), buffer.data(), need);
        if (got < need) return std::wstring(buffer.data(), got);
        need = got;
    }
    return L"";
}

int ScreenDpiX() {
    HDC screen = GetDC(nullptr);
    if (!screen) return 96;
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

bool OpenWithShell(const std::wstring& path) {
    // The handler that opens the document may be a shell extension using
    // COM, which the shell expects in a single-threaded apartment on the
    // calling thread.
    const HRESULT co = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No box of the shell's own: the caller reports a failure in its words.
    // NOASYNC: a DDE conversation must be over before COM goes away below.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = nullptr;  // the default verb, as a double-click
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    const BOOL ok = ShellExecuteExW(&info);
    const DWORD error = ok ? 0 : GetLastError();
    if (SUCCEEDED(co)) CoUninitialize();
    if (!ok) {
        ::SetLastError(error != 0 ? error : ERROR_NO_ASSOCIATION);
        return false;
    }
    return true;
}

// The file-system folder's columns, each named once per process: the
// Windows directory is a folder of the file system on every machine.
std::wstring ShellColumnTitle(ShellColumn column) {
    static std::wstring titles[4];
    static bool asked = false;
    if (!asked) {
        asked = true;
        // PKEY_ItemNameDisplay, PKEY_Size, PKEY_ItemTypeText, PKEY_DateModified.
        static const GUID kStorage = {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
        const DWORD pids[4] = {10, 12, 4, 14};
        const HRESULT co = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        wchar_t windows[MAX_PATH + 1] = {};
        IShellFolder* desktop = nullptr;
        IShellFolder2* folder = nullptr;
        LPITEMIDLIST pidl = nullptr;
        const UINT n = GetWindowsDirectoryW(windows, MAX_PATH + 1);
        if (n > 0 && n <= MAX_PATH && SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
            SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, windows, nullptr, &pidl, nullptr)))
            desktop->BindToObject(pidl, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(&folder));
        // The file-system folder has some forty columns; the four come first.
        for (UINT c = 0; folder && c < 64; ++c) {
            SHCOLUMNID id = {};
            if (FAILED(folder->MapColumnToSCID(c, &id))) break;
            SHELLDETAILS details = {};
            wchar_t text[260] = {};
            for (int k = 0; k < 4; ++k) {
                if (id.fmtid != kStorage || id.pid != pids[k] || !titles[k].empty()) continue;
                if (SUCCEEDED(folder->GetDetailsOf(nullptr, c, &details)) &&
                    SUCCEEDED(StrRetToBufW(&details.str, nullptr, text, 260)))
                    titles[k] = text;
            }
        }
        if (folder) folder->Release();
        if (pidl) CoTaskMemFree(pidl);
        if (desktop) desktop->Release();
        if (SUCCEEDED(co)) CoUninitialize();
    }
    return titles[static_cast<int>(column)];
}

// Files by their extension only (SHGFI_USEFILEATTRIBUTES), so that a list
// of thousands of files asks the registry once per extension and never
// reads a program file for its icon resources. The window's thread, where
// the lists are filled, has COM in a single-threaded apartment, as the shell
// needs (EnsureGuiInit).
std::wstring ShellTypeName(const std::wstring& name, bool folder, bool drive) {
    static std::map<std::wstring, std::wstring> known;
    std::wstring key;
    if (drive) {
        key = name;
    } else if (folder) {
        key = L"\\";
    } else {
        const size_t dot = name.rfind(L'.');
        key = dot == std::wstring::npos ? L"." : name.substr(dot);
        CharLowerBuffW(key.data(), DWORD(key.size()));
    }
    auto it = known.find(key);
    if (it != known.end()) return it->second;
    SHFILEINFOW info = {};
    DWORD_PTR ok = 0;
    // A drive root too is named as a folder that need not be touched: asked
    // for itself, the shell reads the drive, and a disconnected network
    // drive or an empty card reader holds the window for many seconds.
    const std::wstring path = drive ? AddBackslash(name) : name;
    ok = SHGetFileInfoW(path.c_str(), folder || drive ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                        sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    std::wstring type = ok ? std::wstring(info.szTypeName) : std::wstring();
    if (known.size() < 4096) known[key] = type;
    return type;
}

}  // namespace plat
