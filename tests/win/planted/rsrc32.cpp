// A stand-in "rsrc32.dll" that a test plants beside the executable: it must never be loaded. When
// it is, it marks the process, so a test sees the load even after the library was freed.
#include <windows.h>

extern "C" __declspec(dllexport) int __stdcall PlantedFreeResources(int) __asm__(
    "_MyGetFreeSystemResources32@4");
extern "C" int __stdcall PlantedFreeResources(int) {
    return 42;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableA("QM_PLANTED_LIBRARY_LOADED", "1");
    return TRUE;
}
