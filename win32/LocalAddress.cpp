// winsock2.h goes before windows.h.
#include <winsock2.h>

#include "win32/LocalAddress.h"
#include "win32/SystemLibrary.h"

#include <cstring>

namespace {

// Windows Sockets, loaded by the first look-up (on its thread) rather than at start-up.
struct Sockets {
    int(WSAAPI* startup)(WORD, LPWSADATA);
    int(WSAAPI* cleanup)();
    int(WSAAPI* hostName)(char*, int);
    hostent*(WSAAPI* hostByName)(const char*);
    char*(WSAAPI* dotted)(in_addr);
};

bool LoadSockets(Sockets& s) {
    const SystemLibrary sockets("ws2_32.dll");
    return sockets.Find("WSAStartup", &s.startup) && sockets.Find("WSACleanup", &s.cleanup) &&
           sockets.Find("gethostname", &s.hostName) && sockets.Find("gethostbyname", &s.hostByName) &&
           sockets.Find("inet_ntoa", &s.dotted);
}

// Dotted address into `text` (at least 16 characters), or an empty text.
void LookUp(char* text) {
    text[0] = '\0';
    Sockets sockets;
    WSADATA wsaData;
    if (!LoadSockets(sockets) || sockets.startup(0x0002, &wsaData) != 0) return;
    char hostName[256] = {};
    if (sockets.hostName(hostName, 255) == 0) {
        if (const hostent* host = sockets.hostByName(hostName)) {
            if (host->h_addr_list && host->h_addr_list[0]) {
                const char* dotted = sockets.dotted(*reinterpret_cast<const in_addr*>(host->h_addr_list[0]));
                if (dotted && std::strlen(dotted) < 16) std::strcpy(text, dotted);
            }
        }
    }
    sockets.cleanup();
}

HANDLE g_lookup = nullptr;
char g_result[16];

DWORD WINAPI LookUpThread(LPVOID) {
    LookUp(g_result);
    return 0;
}

}  // namespace

CString LookUpLocalIP() {
    char text[16];
    LookUp(text);
    return text;
}

void StartLocalIPLookup() {
    if (!g_lookup) g_lookup = ::CreateThread(nullptr, 0, LookUpThread, nullptr, 0, nullptr);
}

CString TakeLocalIPLookup() {
    if (!g_lookup) return LookUpLocalIP();
    ::WaitForSingleObject(g_lookup, INFINITE);
    ::CloseHandle(g_lookup);
    g_lookup = nullptr;
    return g_result;
}
