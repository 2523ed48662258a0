// Process entry of Quillmate.
#include <windows.h>

#include <cstdlib>

#include "app/startup.h"

#if defined(__GLIBCXX__)
// The library's default std::terminate handler prints the exception's demangled type to a console
// this windowed program never has; its demangler alone is a sixth of the exe. Ending at once is
// what the user sees either way.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunQuillmate(instance); }
