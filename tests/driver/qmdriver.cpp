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

int PostCommand(WPARAM id) {
    HWND window = FindQuillmate();
    if (!window) return 2;
    return PostMessageA(window, WM_COMMAND, id, 0) ? 0 : 1;
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
        WORD key = KeyCode(name);
        if (!key) {
            std::fprintf(stderr, "unknown key %s\n", name.c_str());
            return 2;
        }
        if (shift) SendKey(VK_SHIFT, false);
        SendKey(key, false);
        SendKey(key, true);
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
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
