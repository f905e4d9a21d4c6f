// What the probe's commands share: output, the program's windows and
// controls, and a scratch page lent in the program's memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

// How long a busy program is given to answer one message: on a loaded
// machine laying out a window anew takes seconds. A program that has not
// taken messages for 5 s is given up on sooner (SMTO_ABORTIFHUNG).
constexpr UINT kAnswerMs = 30000;

// One record a line on stdout, UTF-8.
void Out(const std::wstring& text);
// One line on stderr, UTF-8: what the suite logs beside its checks.
void Err(const std::wstring& text);
std::wstring ClassOf(HWND hwnd);
// WM_GETTEXT, which reaches the texts of another process's controls.
std::wstring TextOf(HWND hwnd);
std::wstring Escaped(const std::wstring& text, size_t limit);
// The main window (class "TresoroWindow", title "Tresoro...", a menu bar).
HWND MainWindow();
std::vector<HWND> Descendants(HWND main);
// The top-level windows of the main window's process, in Z order.
std::vector<HWND> ProgramWindows(HWND main);
// The first visible top-level window whose title begins with `prefix`, the
// main window never.
HWND TopWindow(const wchar_t* prefix);
int Number(const wchar_t* text);
// The height of the window's menu bar, 0 without one.
int MenuBarHeight(HWND hwnd);

// A list view keeps its cells and column titles in the program's memory
// and answers with pointers; the structures and text buffers for its
// answers are lent from a scratch page in that process.
struct Remote {
    HANDLE process = nullptr;
    char* base = nullptr;
    static constexpr size_t kSize = 4096, kText = 1024, kTextChars = (kSize - kText) / sizeof(wchar_t);
    explicit Remote(HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process)
            base =
                static_cast<char*>(VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~Remote() {
        if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
        if (process) CloseHandle(process);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    wchar_t* Text() const { return reinterpret_cast<wchar_t*>(base + kText); }
    // Sends `message` with the structure copied over; copies it back.
    template <typename T>
    bool Ask(HWND hwnd, UINT message, WPARAM wp, T& data) {
        SIZE_T done = 0;
        DWORD_PTR unused = 0;
        const wchar_t empty = 0;
        return base && WriteProcessMemory(process, base, &data, sizeof(T), &done) &&
               WriteProcessMemory(process, Text(), &empty, sizeof(empty), &done) &&
               SendMessageTimeoutW(hwnd, message, wp, LPARAM(base), SMTO_ABORTIFHUNG, kAnswerMs, &unused) &&
               ReadProcessMemory(process, base, &data, sizeof(T), &done);
    }
    std::wstring ReadText() const {
        std::vector<wchar_t> buffer(kTextChars, L'\0');
        SIZE_T done = 0;
        if (!ReadProcessMemory(process, Text(), buffer.data(), buffer.size() * sizeof(wchar_t), &done)) return L"";
        buffer.back() = 0;
        return buffer.data();
    }
};

// Polls every 50 ms until `done` holds or the seconds are over.
template <typename Done>
bool Await(double seconds, Done done) {
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds * 1000);
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

// Waits up to `seconds` until a click on the control's client point would
// reach it, then prints the screen point (0); or prints why not (1).
int ReadyPoint(HWND control, POINT client, double seconds);
// Prints the mouse buttons and the main window thread's active window,
// focus and capture as they change, for `seconds`.
int WatchInput(HWND main, double seconds);

// The layout checks (probe_checks.cpp): answers -1 for a command that is
// none of them.
int CheckCommand(const std::wstring& command, int more, wchar_t** argv);

}  // namespace probe
