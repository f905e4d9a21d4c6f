// Special folders, the temporary directory, the program file, environment
// variables, the screen resolution, and opening documents through the shell.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

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
    std::wstring out = path;
    if (!out.empty() && out.back() == L'\\') out.pop_back();
    return out;
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
    if (out.back() != L'\\') out += L'\\';
    return out;
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

std::vector<std::wstring> ShellOpenedForTest() { return {}; }
void FailOpenWithShellForTest(uint32_t) {}
void ResetShellOpenedForTest() {}

}  // namespace plat
