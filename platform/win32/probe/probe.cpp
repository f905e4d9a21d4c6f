// tresoro_probe.exe: looks at the running Tresoro.exe from outside, as a
// user's tools would, and answers one command per start on stdout (UTF-8,
// one record a line). It finds the main window by its title and class and
// the widgets by their control ids, those of the program's dialogs too. It
// acts on the window only through messages that a user's clicks and keys
// would send, or names the screen point of a widget, a list row or a row's
// check box so that the suite can send real mouse input there; it reads
// list views through a scratch page it lends itself in the program's
// memory, and never touches the program's files.
//
// Exit codes: 0 done, 1 the awaited state did not come, 2 no main window
// or a bad command line.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/probe/probe.h"

#include <cwchar>
#include <string>
#include <vector>

namespace probe {

static void WriteLine(DWORD stream, const std::wstring& text) {
    const std::wstring line = text + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), bytes.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

void Out(const std::wstring& text) { WriteLine(STD_OUTPUT_HANDLE, text); }

void Err(const std::wstring& text) { WriteLine(STD_ERROR_HANDLE, text); }

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// WM_GETTEXT, unlike GetWindowTextW, reaches the text of another process's
// edit and rich-edit controls.
std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) return L"";
    std::wstring text(size_t(length) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()), SMTO_ABORTIFHUNG, kAnswerMs,
                             &got))
        return L"";
    text.resize(size_t(got));
    return text;
}

// One record per line, so line breaks and tabs inside texts are spelt out.
std::wstring Escaped(const std::wstring& text, size_t limit) {
    std::wstring out;
    for (wchar_t c : text.substr(0, limit)) {
        if (c == L'\r')
            out += L"\\r";
        else if (c == L'\n')
            out += L"\\n";
        else if (c == L'\t')
            out += L"\\t";
        else
            out += c;
    }
    return out;
}

// The main window: class "TresoroWindow", title beginning with "Tresoro"
// and a menu bar. The info window shares title and class but has no menu.
BOOL CALLBACK FindMain(HWND hwnd, LPARAM param) {
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (wcsncmp(title, L"Tresoro", 7) != 0 || ClassOf(hwnd) != L"TresoroWindow" || !GetMenu(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

HWND MainWindow() {
    HWND found = nullptr;
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Descendants(HWND main) {
    std::vector<HWND> all;
    EnumChildWindows(main, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

// The program's other top-level windows (its dialogs) in Z order.
struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOfProcess(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid) search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> ProgramWindows(HWND main) {
    ProcessWindows windows{0, {}};
    GetWindowThreadProcessId(main, &windows.pid);
    EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&windows));
    return windows.found;
}

// A control by its id: the main window's first, then those of the
// program's dialogs, whose ids come from ranges of their own.
HWND Control(HWND main, int id) {
    for (HWND h : Descendants(main))
        if (GetDlgCtrlID(h) == id) return h;
    for (HWND top : ProgramWindows(main))
        if (top != main)
            for (HWND h : Descendants(top))
                if (GetDlgCtrlID(h) == id) return h;
    return nullptr;
}

// The main window's own id in the program is 1; its children name it so.
int ParentId(HWND main, HWND hwnd) {
    HWND parent = GetParent(hwnd);
    return parent == main ? 1 : GetDlgCtrlID(parent);
}

void ListControls(HWND main) {
    for (HWND h : Descendants(main)) {
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        Out(std::to_wstring(GetDlgCtrlID(h)) + L"\t" + std::to_wstring(ParentId(main, h)) + L"\t" + ClassOf(h) + L"\t" +
            std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" + std::to_wstring(r.right - r.left) +
            L"\t" + std::to_wstring(r.bottom - r.top) + L"\t" + (IsWindowEnabled(h) ? L"1" : L"0") + L"\t" +
            (IsWindowVisible(h) ? L"1" : L"0") + L"\t" + Escaped(TextOf(h), 300));
    }
}

// Column titles and widths of a list view: "index, width, title" a line.
void ListColumns(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    Remote remote(list);
    for (int c = 0; c < count; ++c) {
        HDITEMW item = {};
        item.mask = HDI_TEXT | HDI_WIDTH;
        item.pszText = remote.Text();
        item.cchTextMax = int(Remote::kTextChars);
        if (!remote.Ask(header, HDM_GETITEMW, WPARAM(c), item)) return;
        Out(std::to_wstring(c) + L"\t" + std::to_wstring(item.cxy) + L"\t" + remote.ReadText());
    }
}

// The rows of a list view: "row, ticked, selected, cells..." a line.
void ListRows(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    const int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    Remote remote(list);
    for (int r = 0; r < rows; ++r) {
        const UINT state = UINT(SendMessageW(list, LVM_GETITEMSTATE, WPARAM(r), LVIS_STATEIMAGEMASK | LVIS_SELECTED));
        std::wstring line = std::to_wstring(r) + L"\t" + (((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? L"1" : L"0") +
                            L"\t" + ((state & LVIS_SELECTED) ? L"1" : L"0");
        for (int c = 0; c < columns; ++c) {
            LVITEMW item = {};
            item.iSubItem = c;
            item.pszText = remote.Text();
            item.cchTextMax = int(Remote::kTextChars);
            if (!remote.Ask(list, LVM_GETITEMTEXTW, WPARAM(r), item)) return;
            line += L"\t" + Escaped(remote.ReadText(), 300);
        }
        Out(line);
    }
}

// The frame around the inner size (client area plus menu bar).
SIZE FrameExtra(HWND hwnd) {
    RECT r = {0, 0, 0, 0};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int MenuBarHeight(HWND hwnd) {
    MENUBARINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMenuBarInfo(hwnd, OBJID_MENU, 0, &info)) return info.rcBar.bottom - info.rcBar.top;
    return GetMenu(hwnd) ? GetSystemMetrics(SM_CYMENU) : 0;
}

void ShowWindowLine(HWND main) {
    RECT outer, client;
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    const int menu = MenuBarHeight(main);
    Out(L"x=" + std::to_wstring(outer.left) + L" y=" + std::to_wstring(outer.top) + L" outer_w=" +
        std::to_wstring(outer.right - outer.left) + L" outer_h=" + std::to_wstring(outer.bottom - outer.top) +
        L" client_w=" + std::to_wstring(client.right) + L" client_h=" + std::to_wstring(client.bottom) + L" menu_h=" +
        std::to_wstring(menu) + L" inner_w=" + std::to_wstring(client.right) + L" inner_h=" +
        std::to_wstring(client.bottom + menu) + L" visible=" + (IsWindowVisible(main) ? L"1" : L"0") + L" minimized=" +
        (IsIconic(main) ? L"1" : L"0") + L" maximized=" + (IsZoomed(main) ? L"1" : L"0") + L" enabled=" +
        (IsWindowEnabled(main) ? L"1" : L"0"));
}

// Top-level windows of the Wine desktop that the suite may care about
// (message boxes, dialogs), with their class and title.
BOOL CALLBACK ShowTop(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    Out(ClassOf(hwnd) + L"\t" + title);
    return TRUE;
}

// The first visible top-level window whose title begins with `prefix`
// (a message box, a dialog of the program).
struct TopSearch {
    const wchar_t* prefix;
    HWND found;
};

// The main window is never meant: the info window shares its title.
BOOL CALLBACK FindTop(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TopSearch*>(param);
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (!IsWindowVisible(hwnd) || wcsncmp(title, search->prefix, wcslen(search->prefix)) != 0) return TRUE;
    if (ClassOf(hwnd) == L"TresoroWindow" && GetMenu(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The open popup menu, a top-level window of the system's menu class.
BOOL CALLBACK FindPopup(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32768") return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

HWND TopWindow(const wchar_t* prefix) {
    TopSearch search{prefix, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Where a top-level window is on the screen, with its frame, and whether
// it takes input.
void ShowTopLine(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    Out(L"x=" + std::to_wstring(r.left) + L" y=" + std::to_wstring(r.top) + L" w=" + std::to_wstring(r.right - r.left) +
        L" h=" + std::to_wstring(r.bottom - r.top) + L" enabled=" + (IsWindowEnabled(hwnd) ? L"1" : L"0") +
        L" foreground=" + (GetForegroundWindow() == hwnd ? L"1" : L"0"));
}

// A row's box in the list's client coordinates (LVIR_BOUNDS, LVIR_LABEL...).
bool RowRect(HWND list, int row, int part, RECT& rect) {
    Remote remote(list);
    rect = RECT{part, 0, 0, 0};
    return remote.Ask(list, LVM_GETITEMRECT, WPARAM(row), rect) && rect.right > rect.left;
}

// The middle of the row's check box, found by asking the list itself along
// the row where its hit test says "state icon", so that a mouse click
// there is a click on the box whatever the theme's sizes are.
bool RowBoxPoint(HWND list, int row, POINT& point) {
    RECT bounds;
    if (!RowRect(list, row, LVIR_BOUNDS, bounds)) return false;
    Remote remote(list);
    const int y = (bounds.top + bounds.bottom) / 2;
    int first = -1, last = -1;
    for (int x = bounds.left; x < bounds.left + 60 && x < bounds.right; ++x) {
        LVHITTESTINFO hit = {};
        hit.pt = POINT{x, y};
        if (!remote.Ask(list, LVM_HITTEST, 0, hit)) return false;
        const bool onBox = hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON);
        if (onBox && first < 0) first = x;
        if (onBox) last = x;
        if (!onBox && first >= 0) break;
    }
    if (first < 0) return false;
    point = POINT{(first + last) / 2, y};
    return true;
}

// Keystrokes as the control receives them from the keyboard, so that the
// program sees a user's edit.
void TypeInto(HWND control, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(control, WM_CHAR, WPARAM(c), 1);
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &unused);
}

void Resize(HWND main, int w, int h) {
    const SIZE extra = FrameExtra(main);
    DWORD_PTR unused = 0;
    // Through the window's own thread, like a drag of the frame ends.
    SetWindowPos(main, nullptr, 0, 0, w + extra.cx, h + extra.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &unused);
    ShowWindowLine(main);
}

int Number(const wchar_t* text) { return int(wcstol(text, nullptr, 10)); }

int Usage() {
    Out(L"usage: tresoro_probe list [<title>] | window | toplevel | text <id> | click <id> | close | minimize |"
        L" resize <w> <h> | menu <item> | wait-window <s> | wait-gone <s> | wait-text <id> <part> <s> |"
        L" watch <id> <s> | type <id> <text> | close-top <title> | columns <id> | rows <id> | top <title> |"
        L" wait-top <title> <s> | wait-top-gone <title> <s> | point <id> [<s>] | row-point <id> <row> |"
        L" box-point <id> <row> | popup <s> [<old x>] | idle <s> | hold <file> <s> | balloon <s> |"
        L" fits <points> [<id>=<points>...] | dpi-changed <from dpi> <to dpi> [<title>] | focus | unsaved <s> | "
        L"watch-input <s>");
    return 2;
}

// Waits for the main window, then prints each new text of one control
// with the milliseconds since the probe started, until the window is gone
// (0) or the time is over (1). Started before the program, it sees texts
// that stand for a second only, such as a countdown's.
int Watch(int id, double seconds) {
    const ULONGLONG start = GetTickCount64();
    if (!Await(seconds, [] { return MainWindow() != nullptr; })) return 1;
    const double left = seconds - double(GetTickCount64() - start) / 1000;
    std::wstring last;
    bool first = true;
    const bool gone = Await(left, [&] {
        HWND main = MainWindow();
        if (!main) return true;
        HWND control = Control(main, id);
        const std::wstring now = control ? TextOf(control) : L"";
        if (first || now != last) Out(std::to_wstring(GetTickCount64() - start) + L"\t" + Escaped(now, 1000));
        first = false;
        last = now;
        return false;
    });
    return gone ? 0 : 1;
}

// Holds a file open without sharing, as an editor or a database may: the
// program's copy of it must fail. Prints "held" once the file is open,
// then keeps it until the time is over or the probe is ended.
int Hold(const wchar_t* path, double seconds) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Out(L"error " + std::to_wstring(GetLastError()));
        return 1;
    }
    Out(L"held");
    Sleep(DWORD(seconds * 1000));
    CloseHandle(file);
    return 0;
}

// A balloon of the notification area as the shell shows it: a visible
// tooltip window of the balloon style (Wine's tray makes one per balloon,
// in its own process; the program's own tool tips are not of that style).
BOOL CALLBACK FindBalloon(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != TOOLTIPS_CLASSW) return TRUE;
    if (!(GetWindowLongW(hwnd, GWL_STYLE) & TTS_BALLOON)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

// Waits for a balloon and prints its text (a tooltip answers WM_GETTEXT
// with the text it shows).
int Balloon(double seconds) {
    std::wstring text;
    const bool found = Await(seconds, [&] {
        HWND balloon = nullptr;
        EnumWindows(FindBalloon, reinterpret_cast<LPARAM>(&balloon));
        text = balloon ? TextOf(balloon) : L"";
        return !text.empty();
    });
    Out(Escaped(text, 1000));
    return found ? 0 : 1;
}

// ---- the window's states and the file list's column titles -------------
// maximize | restore: the system menu's commands that the maximise and the
// restore box send; caption-point [max]: the middle of the title bar, for a
// real double click, or of its maximise (restore) box, the second from the
// right; header-point <id> <column>: the middle of a list's column title,
// for a real click, failing when the title is scrolled out of view.

POINT CaptionPoint(HWND main, bool maximizeBox) {
    RECT outer, client;
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    POINT top = {0, 0};
    ClientToScreen(main, &top);
    // Between the top of the frame and the menu bar, whatever the borders.
    const int menuTop = top.y - MenuBarHeight(main);
    const int border = (outer.right - outer.left - client.right) / 2;
    const int y = (outer.top + border + menuTop) / 2;
    if (!maximizeBox) return POINT{(outer.left + outer.right) / 2, y};
    const int button = GetSystemMetrics(SM_CXSIZE);
    return POINT{outer.right - border - button - button / 2, y};
}

bool HeaderPoint(HWND list, int column, POINT& point) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (!header) return false;
    Remote remote(list);
    RECT r = {};
    if (!remote.Ask(header, HDM_GETITEMRECT, WPARAM(column), r) || r.right <= r.left) return false;
    point = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    RECT shown;
    GetClientRect(list, &shown);
    POINT inList = point;
    MapWindowPoints(header, list, &inList, 1);
    if (inList.x < shown.left || inList.x >= shown.right) return false;
    ClientToScreen(header, &point);
    return true;
}

// Answers -1 when the command is none of these.
int WindowStateCommand(HWND main, const std::wstring& command, int more, wchar_t** argv) {
    if (command == L"maximize" && more == 0) {
        PostMessageW(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (command == L"restore" && more == 0) {
        PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (command == L"caption-point" && (more == 0 || (more == 1 && std::wstring(argv[2]) == L"max"))) {
        const POINT p = CaptionPoint(main, more == 1);
        Out(std::to_wstring(p.x) + L" " + std::to_wstring(p.y));
    } else if (command == L"header-point" && more == 2) {
        HWND list = Control(main, Number(argv[2]));
        POINT p = {};
        if (!list || !HeaderPoint(list, Number(argv[3]), p)) return 1;
        Out(std::to_wstring(p.x) + L" " + std::to_wstring(p.y));
    } else {
        return -1;
    }
    return 0;
}

}  // namespace probe

using namespace probe;

// The probe reads and sends pixels as the program has them: per-monitor
// aware, so that Windows (and Wine) does not scale what it sees.
static void ProbeDpiAware() {
    using Fn = BOOL(WINAPI*)(HANDLE);
    const auto context = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    if (!context || !context(reinterpret_cast<HANDLE>(-4)))  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        SetProcessDPIAware();
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    ProbeDpiAware();
    const std::wstring command = argv[1];
    const int more = argc - 2;
    if (const int answer = CheckCommand(command, more, argv); answer >= 0) return answer;
    if (command == L"wait-window" && more == 1) {
        HWND main = nullptr;
        const bool found = Await(_wtof(argv[2]), [&] {
            main = MainWindow();
            wchar_t title[64] = {};
            if (main) GetWindowTextW(main, title, 64);
            if (!main || std::wstring(title) != L"Tresoro 1.09") return false;
            // The title is set before the window is placed and shown; an
            // answered message means start-up has reached a message loop.
            DWORD_PTR unused = 0;
            return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &unused) != 0;
        });
        if (found) ShowWindowLine(main);
        return found ? 0 : 1;
    }
    if (command == L"wait-gone" && more == 1) return Await(_wtof(argv[2]), [] { return !MainWindow(); }) ? 0 : 1;
    if (command == L"watch" && more == 2) return Watch(Number(argv[2]), _wtof(argv[3]));
    if (command == L"hold" && more == 2) return Hold(argv[2], _wtof(argv[3]));
    if (command == L"balloon" && more == 1) return Balloon(_wtof(argv[2]));
    if (command == L"close-top" && more == 1) {
        HWND top = TopWindow(argv[2]);
        if (!top) return 1;
        PostMessageW(top, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"top" && more == 1) {
        HWND top = TopWindow(argv[2]);
        if (!top) return 1;
        ShowTopLine(top);
        return 0;
    }
    if (command == L"wait-top" && more == 2) {
        HWND top = nullptr;
        if (!Await(_wtof(argv[3]), [&] { return (top = TopWindow(argv[2])) != nullptr; })) return 1;
        // Shown means created and placed; answered means its loop runs.
        DWORD_PTR unused = 0;
        SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &unused);
        ShowTopLine(top);
        return 0;
    }
    if (command == L"popup" && (more == 1 || more == 2)) {
        // With a second number: a popup whose left edge is elsewhere, the
        // next menu after an arrow key.
        const bool moved = more == 2;
        const LONG oldLeft = moved ? Number(argv[3]) : 0;
        HWND popup = nullptr;
        if (!Await(_wtof(argv[2]), [&] {
                popup = nullptr;
                EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&popup));
                RECT r = {};
                if (popup) GetWindowRect(popup, &r);
                return popup != nullptr && (!moved || r.left != oldLeft);
            }))
            return 1;
        ShowTopLine(popup);
        return 0;
    }
    if (command == L"wait-top-gone" && more == 2)
        return Await(_wtof(argv[3]), [&] { return TopWindow(argv[2]) == nullptr; }) ? 0 : 1;
    if (command == L"wait-text" && more == 3) {
        const int id = Number(argv[2]);
        const std::wstring part = argv[3];
        std::wstring seen;
        const bool found = Await(_wtof(argv[4]), [&] {
            HWND now = MainWindow();
            HWND control = now ? Control(now, id) : nullptr;
            seen = control ? TextOf(control) : L"";
            return control && seen.find(part) != std::wstring::npos;
        });
        Out(Escaped(seen, 1000));
        return found ? 0 : 1;
    }
    if (command == L"toplevel" && more == 0) {
        EnumWindows(ShowTop, 0);
        return 0;
    }
    HWND main = MainWindow();
    if (!main) {
        Out(L"no main window");
        return 2;
    }
    if (const int answer = WindowStateCommand(main, command, more, argv); answer >= 0) return answer;
    if (command == L"list" && (more == 0 || more == 1)) {
        // With a title: the controls of that dialog.
        HWND top = more == 1 ? TopWindow(argv[2]) : main;
        if (!top) return 1;
        ListControls(top);
    } else if (command == L"window" && more == 0) {
        ShowWindowLine(main);
    } else if (command == L"text" && more == 1) {
        HWND control = Control(main, Number(argv[2]));
        if (!control) return 1;
        Out(Escaped(TextOf(control), std::wstring::npos));
    } else if (command == L"click" && more == 1) {
        HWND control = Control(main, Number(argv[2]));
        if (!control) return 1;
        PostMessageW(control, BM_CLICK, 0, 0);
    } else if ((command == L"columns" || command == L"rows") && more == 1) {
        HWND control = Control(main, Number(argv[2]));
        if (!control) return 1;
        if (command == L"columns")
            ListColumns(control);
        else
            ListRows(control);
    } else if (command == L"idle" && more == 1) {
        // Answered once the program takes messages again: closing a window
        // under Wine without a window manager holds it for about a second,
        // and what arrives meanwhile may be dropped with the dialog's
        // leftovers.
        DWORD_PTR unused = 0;
        if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, UINT(_wtof(argv[2]) * 1000), &unused)) return 1;
    } else if (command == L"point" && (more == 1 || more == 2)) {
        HWND control = nullptr;
        const double seconds = more == 2 ? _wtof(argv[3]) : 10;
        if (!Await(seconds, [&] { return (control = Control(MainWindow(), Number(argv[2]))) != nullptr; })) {
            Out(L"no control " + std::wstring(argv[2]) + L" after " + std::to_wstring(int(seconds)) + L" s");
            return 1;
        }
        RECT r;
        GetClientRect(control, &r);
        return ReadyPoint(control, POINT{r.right / 2, r.bottom / 2}, seconds);
    } else if ((command == L"row-point" || command == L"box-point") && more == 2) {
        HWND list = Control(main, Number(argv[2]));
        if (!list) return 1;
        POINT p = {};
        RECT label;
        if (command == L"box-point") {
            if (!RowBoxPoint(list, Number(argv[3]), p)) return 1;
        } else {
            if (!RowRect(list, Number(argv[3]), LVIR_LABEL, label)) return 1;
            p = POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
        }
        return ReadyPoint(list, p, 10);
    } else if (command == L"watch-input" && more == 1) {
        return WatchInput(main, _wtof(argv[2]));
    } else if (command == L"type" && more == 2) {
        HWND control = Control(main, Number(argv[2]));
        if (!control) return 1;
        TypeInto(control, argv[3]);
    } else if (command == L"close" && more == 0) {
        PostMessageW(main, WM_CLOSE, 0, 0);
    } else if (command == L"minimize" && more == 0) {
        PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (command == L"resize" && more == 2) {
        Resize(main, Number(argv[2]), Number(argv[3]));
    } else if (command == L"menu" && more == 1) {
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(Number(argv[2]), 0), 0);
    } else {
        return Usage();
    }
    return 0;
}
