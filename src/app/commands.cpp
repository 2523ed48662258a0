// The date-and-time and IP-address commands.
#include "app/commands.h"

#include <winsock.h>

#include "datefmt/datefmt.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"

static_assert(sizeof(SYSTEMTIME) == sizeof(DateFormatter::LocalTime),
              "the engine's time record keeps the layout of SYSTEMTIME");

void RunDateTimeCommand(HWND mainWindow, const char* dateFormat) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    DateFormatter::LocalTime time = {now.wYear,   now.wMonth,  now.wDayOfWeek, now.wDay,
                                     now.wHour,   now.wMinute, now.wSecond,    now.wMilliseconds};
    char text[1024];
    DateFormatter::format(text, sizeof text, dateFormat, time);
    SetClipboardText(mainWindow, text);
}

namespace {

// The first IPv4 address of this host in dotted form; false on any failure.
bool FirstHostAddress(char* text, size_t size) {
    char hostName[102];
    if (gethostname(hostName, sizeof hostName) != 0) return false;
    const hostent* host = gethostbyname(hostName);
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list[0]) return false;
    in_addr address;
    memcpy(&address, host->h_addr_list[0], sizeof address);
    tooltext::CopyBounded(text, size, inet_ntoa(address));
    return true;
}

}  // namespace

void RunIpAddressCommand(HWND mainWindow) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return;
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        return;
    }
    char text[1024];
    bool found = FirstHostAddress(text, sizeof text);
    WSACleanup();
    if (found) SetClipboardText(mainWindow, text);
}
