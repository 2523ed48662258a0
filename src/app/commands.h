// The commands that put text of their own on the clipboard: date and time, IP address.
#pragma once

#include <windows.h>

void RunDateTimeCommand(HWND mainWindow, const char* dateFormat);
void RunIpAddressCommand(HWND mainWindow);
