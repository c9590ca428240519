/* Time limits on the router client's sockets. This header is also forced into the UPnP library's
   build (cmake/miniupnpc.cmake, with MHT_ROUTER_SOCKETS_HOOK): its connect, select, recv, send and
   setsockopt calls come here, so that no exchange with a device on the LAN waits without end.
   C as well as C++. */
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The longest a connect, a read or a write waits. */
#define MHT_ROUTER_STEP_MS 3000
/* Within an exchange (below), the longest one connection's request and answer take: a device that
   answers a byte at a time does not hold the rest of the exchange. */
#define MHT_ROUTER_REQUEST_MS 5000

/* Connects within the step's time (and the exchange's, below); fails with WSAETIMEDOUT after it. */
int RouterConnect(SOCKET s, const struct sockaddr* address, int length);
/* Waits at most the step's time, whatever time-out is asked for. */
int RouterSelect(int count, fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const struct timeval* timeout);
int RouterRecv(SOCKET s, char* buffer, int length, int flags);
int RouterRecvFrom(SOCKET s, char* buffer, int length, int flags, struct sockaddr* from, int* fromLength);
int RouterSend(SOCKET s, const char* buffer, int length, int flags);
/* SO_RCVTIMEO and SO_SNDTIMEO given as a struct timeval (as for other systems) are set in the
   milliseconds Windows takes. */
int RouterSetSockOpt(SOCKET s, int level, int name, const void* value, int length);

#ifdef __cplusplus
}
#endif

#ifdef MHT_ROUTER_SOCKETS_HOOK
#define connect(s, a, l) RouterConnect(s, a, l)
#define select(n, r, w, e, t) RouterSelect(n, r, w, e, t)
#define recv(s, b, l, f) RouterRecv(s, b, l, f)
#define recvfrom(s, b, l, f, a, al) RouterRecvFrom(s, b, l, f, a, al)
#define send(s, b, l, f) RouterSend(s, b, l, f)
#define setsockopt(s, v, n, o, l) RouterSetSockOpt(s, v, n, o, l)
#endif

#ifdef __cplusplus
#include <atomic>

/* The calling thread's exchange with the router: every socket call of the router client on this
   thread fails once `totalMs` have passed, or at once while the watched flag is set; a connection's
   reads and writes fail once it is MHT_ROUTER_REQUEST_MS old. */
class RouterExchange {
public:
    explicit RouterExchange(unsigned totalMs);
    ~RouterExchange();
    RouterExchange(const RouterExchange&) = delete;
    RouterExchange& operator=(const RouterExchange&) = delete;

    /* While set (null: none), a set flag ends every wait within a tenth of a second. */
    void Watch(const std::atomic<bool>* cancel);

private:
    bool owner_ = false;  // false inside another exchange, whose limits hold
};
#endif
