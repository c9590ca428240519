// The router code reaches Windows Sockets and the IP helper through delay-load libraries
// (cmake/miniupnpc.cmake), linked here as the program links them: neither DLL loads before its first
// call, and that call loads it and arrives. Nothing is sent.
// winsock2.h goes before windows.h.
#include <winsock2.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

namespace {

TEST(NetworkDlls, LoadOnTheirFirstCallAndAnswerIt) {
    EXPECT_EQ(::GetModuleHandleA("ws2_32.dll"), nullptr);
    EXPECT_EQ(::GetModuleHandleA("iphlpapi.dll"), nullptr);

    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_NE(::GetModuleHandleA("ws2_32.dll"), nullptr);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    EXPECT_EQ(::ntohs(0x1234), 0x3412);  // a second function of the same DLL
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_NE(s, INVALID_SOCKET);
    if (s != INVALID_SOCKET) ::closesocket(s);
    EXPECT_EQ(::WSACleanup(), 0);

    DWORD interfaces = 0;
    EXPECT_EQ(::GetNumberOfInterfaces(&interfaces), static_cast<DWORD>(NO_ERROR));
    EXPECT_NE(::GetModuleHandleA("iphlpapi.dll"), nullptr);
}

}  // namespace
