#include "win32/RouterSockets.h"

#include <windows.h>

namespace {

struct Limits {
    ULONGLONG deadline = 0;
    const std::atomic<bool>* cancel = nullptr;
    SOCKET connection = INVALID_SOCKET;  // the last one connected, and when its time is up
    ULONGLONG connectionDeadline = 0;
};

// The calling thread's limits, in a slot of the thread-local storage made once.
INIT_ONCE g_slotOnce = INIT_ONCE_STATIC_INIT;
DWORD g_slot = TLS_OUT_OF_INDEXES;

BOOL CALLBACK MakeSlot(PINIT_ONCE, PVOID, PVOID*) {
    g_slot = ::TlsAlloc();
    return TRUE;
}

Limits* Current() {
    ::InitOnceExecuteOnce(&g_slotOnce, MakeSlot, nullptr, nullptr);
    return g_slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<Limits*>(::TlsGetValue(g_slot));
}

constexpr DWORD kSliceMs = 100;

bool Cancelled(const Limits* limits) { return limits && limits->cancel && limits->cancel->load(); }

// What is left of a wait of `wanted` milliseconds: the step's time at most, and the exchange's.
DWORD Allowed(DWORD wanted) {
    DWORD allowed = wanted < MHT_ROUTER_STEP_MS ? wanted : MHT_ROUTER_STEP_MS;
    const Limits* limits = Current();
    if (!limits) return allowed;
    if (Cancelled(limits)) return 0;
    const ULONGLONG now = ::GetTickCount64();
    const ULONGLONG left = limits->deadline > now ? limits->deadline - now : 0;
    return left < allowed ? static_cast<DWORD>(left) : allowed;
}

// Whether another call on the socket may start: time is left and nothing asks to stop.
bool MayGoOn(SOCKET s) {
    const Limits* limits = Current();
    const bool connectionOver =
        limits && s == limits->connection && ::GetTickCount64() >= limits->connectionDeadline;
    if (!connectionOver && Allowed(1) > 0) return true;
    ::WSASetLastError(WSAETIMEDOUT);
    return false;
}

// select in slices, so that a set cancel flag is seen; the sets are those of the last slice.
int SlicedSelect(fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, DWORD totalMs) {
    const fd_set read0 = readSet ? *readSet : fd_set{}, write0 = writeSet ? *writeSet : fd_set{},
                 except0 = exceptSet ? *exceptSet : fd_set{};
    const ULONGLONG end = ::GetTickCount64() + totalMs;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = end > now ? static_cast<DWORD>(end - now) : 0;
        const DWORD slice = left < kSliceMs ? left : kSliceMs;
        if (readSet) *readSet = read0;
        if (writeSet) *writeSet = write0;
        if (exceptSet) *exceptSet = except0;
        timeval wait{static_cast<long>(slice / 1000), static_cast<long>(slice % 1000 * 1000)};
        const int n = ::select(0, readSet, writeSet, exceptSet, &wait);
        if (n != 0 || left == 0 || Cancelled(Current())) return n;
    }
}

}  // namespace

RouterExchange::RouterExchange(unsigned totalMs) {
    if (Current() || g_slot == TLS_OUT_OF_INDEXES) return;
    auto* limits = new Limits;
    limits->deadline = ::GetTickCount64() + totalMs;
    owner_ = ::TlsSetValue(g_slot, limits) != FALSE;
    if (!owner_) delete limits;
}

RouterExchange::~RouterExchange() {
    if (!owner_) return;
    delete static_cast<Limits*>(::TlsGetValue(g_slot));
    ::TlsSetValue(g_slot, nullptr);
}

void RouterExchange::Watch(const std::atomic<bool>* cancel) {
    if (Limits* limits = Current()) limits->cancel = cancel;
}

extern "C" int RouterConnect(SOCKET s, const struct sockaddr* address, int length) {
    const DWORD allowed = Allowed(MHT_ROUTER_STEP_MS);
    if (allowed == 0) {
        ::WSASetLastError(WSAETIMEDOUT);
        return SOCKET_ERROR;
    }
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return SOCKET_ERROR;
    int result = ::connect(s, address, length);
    if (result == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        const int n = SlicedSelect(nullptr, &writable, &failed, allowed);
        int error = WSAETIMEDOUT;
        if (n > 0 && FD_ISSET(s, &writable)) {
            error = 0;
        } else if (n > 0) {
            int length = sizeof error;
            if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error == 0)
                error = WSAECONNREFUSED;
        } else if (n < 0) {
            error = ::WSAGetLastError();
        }
        result = error == 0 ? 0 : SOCKET_ERROR;
        nonBlocking = 0;
        ::ioctlsocket(s, FIONBIO, &nonBlocking);
        if (error != 0) ::WSASetLastError(error);
    } else {
        const int error = ::WSAGetLastError();
        nonBlocking = 0;
        ::ioctlsocket(s, FIONBIO, &nonBlocking);
        ::WSASetLastError(error);
    }
    if (result == 0) {
        if (Limits* limits = Current()) {
            limits->connection = s;
            limits->connectionDeadline = ::GetTickCount64() + MHT_ROUTER_REQUEST_MS;
        }
    }
    return result;
}

extern "C" int RouterSelect(int, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const struct timeval* timeout) {
    DWORD wanted = MHT_ROUTER_STEP_MS;
    if (timeout) {
        const ULONGLONG ms = static_cast<ULONGLONG>(timeout->tv_sec) * 1000 + static_cast<ULONGLONG>(timeout->tv_usec) / 1000;
        if (ms < wanted) wanted = static_cast<DWORD>(ms);
    }
    return SlicedSelect(readSet, writeSet, exceptSet, Allowed(wanted));
}

extern "C" int RouterRecv(SOCKET s, char* buffer, int length, int flags) {
    return MayGoOn(s) ? ::recv(s, buffer, length, flags) : SOCKET_ERROR;
}

extern "C" int RouterRecvFrom(SOCKET s, char* buffer, int length, int flags, struct sockaddr* from, int* fromLength) {
    return MayGoOn(s) ? ::recvfrom(s, buffer, length, flags, from, fromLength) : SOCKET_ERROR;
}

extern "C" int RouterSend(SOCKET s, const char* buffer, int length, int flags) {
    return MayGoOn(s) ? ::send(s, buffer, length, flags) : SOCKET_ERROR;
}

extern "C" int RouterSetSockOpt(SOCKET s, int level, int name, const void* value, int length) {
    if (level == SOL_SOCKET && (name == SO_RCVTIMEO || name == SO_SNDTIMEO) && length == sizeof(timeval)) {
        const auto* wait = static_cast<const timeval*>(value);
        DWORD ms = static_cast<DWORD>(wait->tv_sec) * 1000 + static_cast<DWORD>(wait->tv_usec) / 1000;
        if (ms == 0 || ms > MHT_ROUTER_STEP_MS) ms = MHT_ROUTER_STEP_MS;
        return ::setsockopt(s, level, name, reinterpret_cast<const char*>(&ms), sizeof ms);
    }
    return ::setsockopt(s, level, name, static_cast<const char*>(value), length);
}
