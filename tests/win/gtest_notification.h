// GoogleTest's Notification over a Win32 event, for compilers whose thread model has no std::mutex
// (MinGW's win32 model, which the 32-bit build uses). Force-included before GoogleTest's headers.
#pragma once

#include <winsock2.h>  // before windows.h, for the tests that use sockets
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
