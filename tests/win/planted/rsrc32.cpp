// A stand-in "rsrc32.dll" that a test plants beside the executable: it must never be loaded.
extern "C" __declspec(dllexport) int __stdcall PlantedFreeResources(int) __asm__(
    "_MyGetFreeSystemResources32@4");
extern "C" int __stdcall PlantedFreeResources(int) {
    return 42;
}
