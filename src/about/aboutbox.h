// The about box: icon, name and version, free system resources and the support-site link.
#pragma once

#include <windows.h>

// Runs the about box modal to owner with the support site's address; while one is open, only
// brings that one forward.
void ShowAboutBox(HWND owner, const char* supportUrl);
