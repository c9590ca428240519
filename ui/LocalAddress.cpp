// winsock2.h goes before windows.h.
#include <winsock2.h>

#include "LocalAddress.h"

#include <cstring>

namespace {

// Dotted address into `text` (at least 16 characters), or an empty text.
void LookUp(char* text) {
    text[0] = '\0';
    WSADATA wsaData;
    if (::WSAStartup(0x0002, &wsaData) != 0) return;
    char hostName[256] = {};
    if (::gethostname(hostName, 255) == 0) {
        if (const hostent* host = ::gethostbyname(hostName)) {
            if (host->h_addr_list && host->h_addr_list[0]) {
                const char* dotted = ::inet_ntoa(*reinterpret_cast<const in_addr*>(host->h_addr_list[0]));
                if (dotted && std::strlen(dotted) < 16) std::strcpy(text, dotted);
            }
        }
    }
    ::WSACleanup();
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
