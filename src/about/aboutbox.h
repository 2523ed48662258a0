// The about box: icon, name and version, free system resources and the support-page link.
#pragma once

#include <windows.h>

// Runs the about box modal to owner with a link to link (a path or an address, opened by the
// shell); while one is open, only brings that one forward.
void ShowAboutBox(HWND owner, const char16_t* link);
