// Test driver for the end-to-end scenarios: talks to a running Quillmate only as another
// program could (find its window, post messages, press keys, run a process).
//   qmdriver wait-window [timeout-ms]      exit 0 once the window "Quillmate" exists
//   qmdriver wait-gone [timeout-ms]        exit 0 once it no longer exists
//   qmdriver post-command ID               post WM_COMMAND ID to it
//   qmdriver icon-click left|right         post the icon's button-up callback to it
//   qmdriver keys KEY[,KEY...]             press keys (down, up, left, right, return, escape,
//                                          shift+return, ...) into the foreground window
//   qmdriver run EXE [ARGS...]             run a process, print "exit=N", exit with N
//   qmdriver window-text CLASS             print the text of the first window of that class
//   qmdriver close-window CLASS            post WM_CLOSE to the first window of that class
//   qmdriver hold-clipboard MS COUNT       join the viewer chain ahead of Quillmate; on each of
//                                          COUNT changes open the clipboard, pass the change on,
//                                          keep it open MS ms; print "hold N ms" per change
//   qmdriver dialogs ITEM                  print "handle<TAB>caption<TAB>item text" for each
//                                          visible dialog of Quillmate's thread
//   qmdriver windows                       print "class<TAB>left top right bottom<TAB>caption"
//                                          for each visible window of Quillmate's thread
//                                          (dialogs, popup menus, tips)
//   qmdriver menu-rbutton-up POS           send Quillmate what Windows sends on a right-button
//                                          release over item POS of its open popup menu (Wine
//                                          executes the item instead and never sends it)
//   qmdriver item-rect ID                  print "left top right bottom" of control ID of the
//                                          first visible dialog of Quillmate's thread
//   qmdriver list-items CAPTION ID         print the items of list ID of that dialog, one a line
//   qmdriver close CAPTION                 the caption's close button of that dialog
//   qmdriver answer CAPTION ID             press button ID of the dialog (or message box) with
//                                          that caption that has such a button
//   qmdriver dialog-item-text CAPTION ID   wait (10 s) for a dialog of that caption, print the
//                                          text of its item ID
//   qmdriver dialog-command CAPTION ID     post WM_COMMAND ID to the dialog of that caption
//   qmdriver wait-dialog CAPTION [ms]      exit 0 once a dialog with that caption is shown
//   qmdriver wait-dialog-gone CAPTION [ms] exit 0 once it is gone
//   qmdriver set-text CAPTION ID TEXT      set the text of a control of that dialog
//   qmdriver post-chars CAPTION ID HEX...  post WM_CHAR of each UTF-16 unit (in hex) to a
//                                          control of that dialog, as typing posts them
//   qmdriver get-text CAPTION ID           print the text of a control of that dialog
//   qmdriver set-hotkey CAPTION ID VALUE   set a hotkey control (HKM_SETHOTKEY value)
//   qmdriver click CAPTION ID              click a button of that dialog
//   qmdriver box-text CAPTION              print the texts of the message box the dialog owns
//   qmdriver answer-box CAPTION ID         press button ID of that message box
//   qmdriver window-rect CAPTION           print "x y width height" of that dialog
//   qmdriver hotkey-taken MODS VK          exit 0 when another program holds the combination
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kIconCallback = WM_APP + 1;

HWND FindQuillmate() {
    return FindWindowA("Quillmate", "Quillmate");
}

int WaitWindow(DWORD timeoutMs, bool present) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if ((FindQuillmate() != nullptr) == present) return 0;
        Sleep(50);
    }
    std::fprintf(stderr, "timed out waiting for the window to %s\n", present ? "appear" : "go");
    return 1;
}

// A busy Wine can leave a window briefly unlisted: wait for it as wait-window does.
int PostCommand(WPARAM id) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(100)) {
        HWND window = FindQuillmate();
        if (window && PostMessageA(window, WM_COMMAND, id, 0)) return 0;
    }
    std::fprintf(stderr, "no window Quillmate took the command within 10 s\n");
    return 2;
}

int IconClick(const char* button) {
    HWND window = FindQuillmate();
    if (!window) return 2;
    LPARAM message = std::strcmp(button, "right") == 0 ? WM_RBUTTONUP : WM_LBUTTONUP;
    return PostMessageA(window, kIconCallback, 1, message) ? 0 : 1;
}

WORD KeyCode(const std::string& name) {
    if (name == "down") return VK_DOWN;
    if (name == "up") return VK_UP;
    if (name == "left") return VK_LEFT;
    if (name == "right") return VK_RIGHT;
    if (name == "return") return VK_RETURN;
    if (name == "escape") return VK_ESCAPE;
    if (name == "home") return VK_HOME;
    if (name == "end") return VK_END;
    if (name.size() == 1) return static_cast<WORD>(VkKeyScanA(name[0]) & 0xFF);
    return 0;
}

void SendKey(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

int PressKeys(const char* list) {
    std::string keys = list;
    size_t start = 0;
    while (start <= keys.size()) {
        size_t end = keys.find(',', start);
        if (end == std::string::npos) end = keys.size();
        std::string name = keys.substr(start, end - start);
        bool shift = name.rfind("shift+", 0) == 0;
        if (shift) name = name.substr(6);
        bool alt = name.rfind("alt+", 0) == 0;
        if (alt) name = name.substr(4);
        WORD key = KeyCode(name);
        if (!key) {
            std::fprintf(stderr, "unknown key %s\n", name.c_str());
            return 2;
        }
        if (shift) SendKey(VK_SHIFT, false);
        if (alt) SendKey(VK_MENU, false);
        SendKey(key, false);
        SendKey(key, true);
        if (alt) SendKey(VK_MENU, true);
        if (shift) SendKey(VK_SHIFT, true);
        Sleep(150);
        start = end + 1;
    }
    return 0;
}

int Run(int argc, char** argv) {
    std::string command;
    for (int i = 0; i < argc; ++i) {
        if (i) command += ' ';
        command += '"';
        command += argv[i];
        command += '"';
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return 125;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit=%lu\n", code);
    std::fflush(stdout);
    return static_cast<int>(code);
}

int PostClose(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    if (!window) return 2;
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

int WindowText(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    if (!window) return 2;
    char text[4096];
    GetWindowTextA(window, text, sizeof text);
    std::printf("%s\n", text);
    return 0;
}

// A viewer that opens the clipboard before the rest of the chain hears of a change, so the
// programs after it always find the clipboard held, however the threads are scheduled.
struct Holder {
    HWND next = nullptr;
    DWORD holdMs = 0;
    int left = 0;
};
Holder g_holder;

LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD: {
            LARGE_INTEGER frequency, start, end;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            BOOL opened = OpenClipboard(window);
            if (g_holder.next) SendMessageA(g_holder.next, message, wParam, lParam);
            Sleep(g_holder.holdMs);
            if (opened) CloseClipboard();
            QueryPerformanceCounter(&end);
            long long ms = (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
            std::printf(opened ? "hold %lld ms\n" : "not opened %lld ms\n", ms);
            std::fflush(stdout);
            if (--g_holder.left <= 0) DestroyWindow(window);
            return 0;
        }
        case WM_DESTROY:
            ChangeClipboardChain(window, g_holder.next);
            PostQuitMessage(0);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == g_holder.next)
                g_holder.next = reinterpret_cast<HWND>(lParam);
            else if (g_holder.next)
                SendMessageA(g_holder.next, message, wParam, lParam);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int HoldClipboard(DWORD holdMs, int count) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HolderProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuillmateTestHolder";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    g_holder.holdMs = holdMs;
    g_holder.left = count + 1;  // joining sends one change at once
    g_holder.next = SetClipboardViewer(window);
    std::printf("joined\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

BOOL CALLBACK PrintDialog(HWND window, LPARAM item) {
    char name[16] = {}, caption[1024] = {}, text[1024] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    GetDlgItemTextA(window, static_cast<int>(item), text, sizeof text);
    std::printf("%p\t%s\t%s\n", static_cast<void*>(window), caption, text);
    return TRUE;
}

int Dialogs(int item) {
    HWND window = FindQuillmate();
    if (!window) return 2;
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), PrintDialog, item);
    std::fflush(stdout);
    return 0;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    char name[64] = {}, caption[1024] = {};
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("%s\t%ld %ld %ld %ld\t%s\n", name, static_cast<long>(rect.left),
                static_cast<long>(rect.top), static_cast<long>(rect.right),
                static_cast<long>(rect.bottom), caption);
    return TRUE;
}

int Windows() {
    HWND window = FindQuillmate();
    if (!window) return 2;
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), PrintWindow, 0);
    std::fflush(stdout);
    return 0;
}

struct VisibleSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<VisibleSearch*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, search->className) != 0 || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// The first visible window of a class (menus "#32768", dialogs "#32770") of Quillmate's thread.
HWND FindVisibleOfQuillmate(const char* className) {
    HWND window = FindQuillmate();
    if (!window) return nullptr;
    VisibleSearch search = {className, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), FindVisible,
                      reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int MenuRButtonUp(WPARAM position) {
    HWND window = FindQuillmate();
    if (!window) return 2;
    HWND popup = FindVisibleOfQuillmate("#32768");
    if (!popup) return 1;
    LPARAM menu = static_cast<LPARAM>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (!menu) return 1;
    return PostMessageA(window, WM_MENURBUTTONUP, position, menu) ? 0 : 1;
}

int ItemRect(int item) {
    HWND dialog = FindVisibleOfQuillmate("#32770");
    HWND control = dialog ? GetDlgItem(dialog, item) : nullptr;
    RECT rect = {};
    if (!control || !GetWindowRect(control, &rect)) return 1;
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
                static_cast<long>(rect.right), static_cast<long>(rect.bottom));
    std::fflush(stdout);
    return 0;
}

// A shown dialog with that caption that is not owned by a dialog of the same caption (its
// message boxes share the caption).
struct DialogSearch {
    const char* caption;
    HWND owner;
    HWND found;
};

bool IsShownDialog(HWND window) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    return std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window);
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    DialogSearch* s = reinterpret_cast<DialogSearch*>(param);
    if (!IsShownDialog(window)) return TRUE;
    HWND owner = GetWindow(window, GW_OWNER);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    bool match = s->owner ? owner == s->owner
                          : std::strcmp(text, s->caption) == 0 && !(owner && IsShownDialog(owner));
    if (!match) return TRUE;
    s->found = window;
    return FALSE;
}

HWND FindDialog(const char* caption) {
    DialogSearch s = {caption, nullptr, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindBox(const char* caption) {
    HWND dialog = FindDialog(caption);
    if (!dialog) return nullptr;
    DialogSearch s = {caption, dialog, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

int WaitDialog(const char* caption, DWORD timeoutMs, bool present) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if ((FindDialog(caption) != nullptr) == present) return 0;
        Sleep(50);
    }
    std::fprintf(stderr, "timed out waiting for the dialog\n");
    return 1;
}

int ListItems(const char* caption, int id) {
    HWND list = GetDlgItem(FindDialog(caption), id);
    if (!list) return 2;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    // Another process's list answers in UTF-16 only; the lines are printed in CP932.
    for (int i = 0; i < count; ++i) {
        std::vector<wchar_t> wide(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1);
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
        char text[1024] = {};
        WideCharToMultiByte(932, 0, wide.data(), -1, text, sizeof text - 1, nullptr, nullptr);
        std::printf("%s\n", text);
    }
    std::fflush(stdout);
    return 0;
}

// The dialog of that caption, or its message box where only the box has a control id.
int DialogMessage(const char* caption, int id, UINT message, WPARAM wParam) {
    HWND dialog = FindDialog(caption);
    if (HWND box = FindBox(caption); box && id && !GetDlgItem(dialog, id) && GetDlgItem(box, id))
        dialog = box;
    if (!dialog || (id && !GetDlgItem(dialog, id))) return 2;
    return PostMessageA(dialog, message, wParam, 0) ? 0 : 1;
}

HWND AwaitDialog(const char* caption) {
    return WaitDialog(caption, 10000, true) == 0 ? FindDialog(caption) : nullptr;
}

int DialogItemText(const char* caption, int id) {
    HWND dialog = AwaitDialog(caption);
    if (!dialog) return 2;
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    std::printf("%s\n", text);
    return 0;
}

int DialogCommand(const char* caption, WPARAM id) {
    HWND dialog = AwaitDialog(caption);
    if (!dialog) return 2;
    return PostMessageA(dialog, WM_COMMAND, id, 0) ? 0 : 1;
}

HWND DialogItem(const char* caption, const char* id) {
    HWND dialog = FindDialog(caption);
    return dialog ? GetDlgItem(dialog, static_cast<int>(std::strtol(id, nullptr, 10))) : nullptr;
}

std::string ControlText(HWND control) {
    char text[4096] = "";
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &unused);
    return text;
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
    std::printf("%s\n", ControlText(child).c_str());
    return TRUE;
}

int DialogVerb(const std::string& verb, int argc, char** argv) {
    const char* caption = argv[2];
    if (verb == "box-text" || verb == "answer-box") {
        HWND box = FindBox(caption);
        if (!box) return 2;
        if (verb == "answer-box" && argc > 3) {
            return PostMessageA(box, WM_COMMAND, std::strtoul(argv[3], nullptr, 10), 0) ? 0 : 1;
        }
        EnumChildWindows(box, PrintChildText, 0);
        std::fflush(stdout);
        return 0;
    }
    if (verb == "window-rect") {
        HWND dialog = FindDialog(caption);
        RECT r = {};
        if (!dialog || !GetWindowRect(dialog, &r)) return 2;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fflush(stdout);
        return 0;
    }
    if (argc < 4) return 64;
    HWND control = DialogItem(caption, argv[3]);
    if (!control) return 2;
    DWORD_PTR unused = 0;
    if (verb == "get-text") {
        std::printf("%s\n", ControlText(control).c_str());
        std::fflush(stdout);
        return 0;
    }
    if (verb == "click") return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    if (argc < 5) return 64;
    if (verb == "set-text") {
        return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                                   SMTO_ABORTIFHUNG, 5000, &unused)
                   ? 0
                   : 1;
    }
    if (verb == "post-chars") {
        for (int i = 4; i < argc; ++i) {
            WPARAM unit = std::strtoul(argv[i], nullptr, 16);
            if (!PostMessageW(control, WM_CHAR, unit, 1)) return 1;
        }
        return 0;
    }
    if (verb == "set-hotkey") {
        constexpr UINT kSetHotkey = WM_USER + 1;  // HKM_SETHOTKEY
        WPARAM value = std::strtoul(argv[4], nullptr, 0);
        return SendMessageTimeoutA(control, kSetHotkey, value, 0, SMTO_ABORTIFHUNG, 5000, &unused)
                   ? 0
                   : 1;
    }
    return 64;
}

int HotkeyTaken(const char* modifiers, const char* key) {
    UINT mods = static_cast<UINT>(std::strtoul(modifiers, nullptr, 0));
    UINT vk = static_cast<UINT>(std::strtoul(key, nullptr, 0));
    if (!RegisterHotKey(nullptr, 1, mods, vk)) return 0;
    UnregisterHotKey(nullptr, 1);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 64;
    std::string verb = argv[1];
    DWORD timeout = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 30000;
    if (verb == "wait-window") return WaitWindow(timeout, true);
    if (verb == "wait-gone") return WaitWindow(timeout, false);
    if (verb == "post-command" && argc > 2) return PostCommand(std::strtoul(argv[2], nullptr, 10));
    if (verb == "icon-click" && argc > 2) return IconClick(argv[2]);
    if (verb == "keys" && argc > 2) return PressKeys(argv[2]);
    if (verb == "run" && argc > 2) return Run(argc - 2, argv + 2);
    if (verb == "window-text" && argc > 2) return WindowText(argv[2]);
    if (verb == "close-window" && argc > 2) return PostClose(argv[2]);
    if (verb == "hold-clipboard" && argc > 3) return HoldClipboard(timeout, std::atoi(argv[3]));
    if (verb == "dialogs" && argc > 2) return Dialogs(std::atoi(argv[2]));
    if (verb == "windows") return Windows();
    if (verb == "menu-rbutton-up" && argc > 2)
        return MenuRButtonUp(std::strtoul(argv[2], nullptr, 10));
    if (verb == "item-rect" && argc > 2) return ItemRect(std::atoi(argv[2]));
    int id = argc > 3 ? std::atoi(argv[3]) : 0;
    if (verb == "list-items" && argc > 3) return ListItems(argv[2], id);
    if (verb == "close" && argc > 2) return DialogMessage(argv[2], 0, WM_SYSCOMMAND, SC_CLOSE);
    if (verb == "answer" && argc > 3) return DialogMessage(argv[2], id, WM_COMMAND, id);
    if (verb == "dialog-item-text" && argc > 3) return DialogItemText(argv[2], std::atoi(argv[3]));
    if (verb == "dialog-command" && argc > 3) return DialogCommand(argv[2], std::atoi(argv[3]));
    if (verb == "wait-dialog" && argc > 2) {
        return WaitDialog(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 30000, true);
    }
    if (verb == "wait-dialog-gone" && argc > 2) {
        return WaitDialog(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 30000, false);
    }
    if (verb == "hotkey-taken" && argc > 3) return HotkeyTaken(argv[2], argv[3]);
    if (argc > 2) {
        int result = DialogVerb(verb, argc, argv);
        if (result != 64) return result;
    }
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
