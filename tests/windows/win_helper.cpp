// What the end-to-end test under Wine needs from the Windows side, for the window of the
// program whose title begins with a given text:
//   win_helper close <title>       asks it to close, as its close box does (WM_CLOSE)
//   win_helper endsession <title>  ends the session as Windows does at shutdown or logout:
//                                  WM_QUERYENDSESSION and WM_ENDSESSION to each of the
//                                  program's top-level windows, then the process is ended
//                                  at once, as Windows may end it once the messages return
//   win_helper choices <title>     writes the items of each combo box of the window, one a
//                                  line in UTF-8 (an open dialog's file types)
//   win_helper active <title>      whether the window is the one that has the keyboard (the
//                                  foreground window); if not, writes which one has it
// Exit status 0 when done, 1 when no such window was found (or it is not the active one).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK FindByTitle(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t text[512];
    const int n = GetWindowTextW(hwnd, text, 512);
    if (IsWindowVisible(hwnd) && n >= 0 &&
        std::wstring(text, static_cast<std::size_t>(n)).rfind(search->title, 0) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct ProcessWindows {
    DWORD pid = 0;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOfProcess(HWND hwnd, LPARAM param) {
    auto* p = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == p->pid) p->windows.push_back(hwnd);
    return TRUE;
}

std::string Utf8(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    return utf8;
}

BOOL CALLBACK WriteComboItems(HWND hwnd, LPARAM) {
    wchar_t name[64];
    if (GetClassNameW(hwnd, name, 64) == 0 || std::wstring(name) != L"ComboBox") return TRUE;
    const LRESULT count = SendMessageW(hwnd, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        std::printf("%s\n", Utf8(item).c_str());
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: win_helper close|endsession|choices|active <title>\n");
        return 2;
    }
    const std::wstring command = argv[1];
    Search search{argv[2]};
    EnumWindows(FindByTitle, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::fprintf(stderr, "win_helper: no window with that title\n");
        return 1;
    }
    if (command == L"close") {
        PostMessageW(search.found, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"choices") {
        EnumChildWindows(search.found, WriteComboItems, 0);
        return 0;
    }
    if (command == L"active") {
        const HWND active = GetForegroundWindow();
        if (active == search.found) return 0;
        wchar_t text[512] = L"";
        const int n = active ? GetWindowTextW(active, text, 512) : 0;
        DWORD pid = 0;
        if (active) GetWindowThreadProcessId(active, &pid);
        std::printf("%s (process %lu)\n",
                    active
                        ? Utf8(std::wstring(text, static_cast<std::size_t>(n > 0 ? n : 0))).c_str()
                        : "no window",
                    static_cast<unsigned long>(pid));
        return 1;
    }
    if (command != L"endsession") return 2;
    ProcessWindows p;
    GetWindowThreadProcessId(search.found, &p.pid);
    EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&p));
    DWORD_PTR answer = 0;
    for (HWND w : p.windows) {
        SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer);
    }
    for (HWND w : p.windows) {
        SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer);
    }
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, p.pid)) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
    std::printf("ended the session of %zu windows\n", p.windows.size());
    return 0;
}
