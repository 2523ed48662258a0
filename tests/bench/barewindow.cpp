// The yardstick of the memory benchmark: a hidden top-level window in a message loop and
// nothing else, so its figures are what Wine itself costs a resident Win32 program. DLL names
// given on the command line are loaded first: the same window with Quillmate's DLLs shows
// what those cost apart from Quillmate's own code and data.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    for (char* name = strtok(commandLine, " "); name; name = strtok(nullptr, " "))
        LoadLibraryA(name);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "QuillmateBareWindow";
    if (!RegisterClassA(&windowClass)) return 1;
    if (!CreateWindowA("QuillmateBareWindow", "QuillmateBareWindow", WS_OVERLAPPEDWINDOW, 0, 0,
                       100, 100, nullptr, nullptr, instance, nullptr))
        return 1;
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
