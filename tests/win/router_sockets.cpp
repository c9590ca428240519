// The router client's sockets keep their time limits (win32/RouterSockets.h, forced into the UPnP
// library's build): against servers of this test on loopback that accept and never answer, answer a
// byte at a time, or never accept, the library's own calls give up within the limits. Loopback only.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include <miniupnpc/miniwget.h>

#include "win32/RouterSockets.h"

namespace {

// A TCP server on 127.0.0.1 that accepts and then, per connection, sends nothing or trickles.
class Server {
public:
    enum class Mode { Silent, Trickle, NeverAccept };
    explicit Server(Mode mode) : mode_(mode) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        // Never accepting: a backlog of one, taken by a connection of the test's own, and every
        // later attempt waits for room.
        ::listen(listener_, mode == Mode::NeverAccept ? 0 : 4);
        if (mode == Mode::NeverAccept) {
            filler_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            ::connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address);
            return;
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~Server() {
        stop_ = true;
        ::closesocket(listener_);
        if (filler_ != INVALID_SOCKET) ::closesocket(filler_);
        if (thread_.joinable()) thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/rootDesc.xml"; }
    int Port() const { return port_; }

private:
    void Serve() {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        const char header[] = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n";
        if (mode_ == Mode::Trickle) ::send(client, header, sizeof header - 1, 0);
        while (!stop_) {
            ::Sleep(mode_ == Mode::Trickle ? 1000 : 50);
            if (mode_ == Mode::Trickle && ::send(client, "x", 1, 0) != 1) break;
        }
        ::closesocket(client);
    }

    Mode mode_;
    SOCKET listener_ = INVALID_SOCKET, filler_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class RouterSockets : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data_), 0); }
    void TearDown() override { ::WSACleanup(); }

    // miniwget on the URL: how much of a body it gave (-1: none), and how long it took.
    static std::pair<int, ULONGLONG> Fetch(const std::string& url) {
        const ULONGLONG start = ::GetTickCount64();
        int size = 0, status = 0;
        void* body = miniwget(url.c_str(), &size, 0, &status);
        const ULONGLONG took = ::GetTickCount64() - start;
        std::free(body);
        return {body ? size : -1, took};
    }

    WSADATA data_{};
};

TEST_F(RouterSockets, AReadOfADeviceThatNeverAnswersEndsAfterTheStepsTime) {
    Server server(Server::Mode::Silent);
    const auto [body, took] = Fetch(server.Url());
    EXPECT_EQ(body, -1);
    // Without the limits the library's wait is 5 s a read, then it reads again: without end.
    EXPECT_GE(took, MHT_ROUTER_STEP_MS - 500u);
    EXPECT_LE(took, MHT_ROUTER_STEP_MS + 1500u);
}

TEST_F(RouterSockets, AConnectThatIsNeverTakenEndsAfterTheStepsTime) {
    Server server(Server::Mode::NeverAccept);
    const ULONGLONG start = ::GetTickCount64();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(server.Port()));
    const int result = RouterConnect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int error = ::WSAGetLastError();
    const ULONGLONG took = ::GetTickCount64() - start;
    ::closesocket(s);
    if (result == 0) GTEST_SKIP() << "this system took the connection into a full backlog";
    EXPECT_EQ(error, WSAETIMEDOUT);
    EXPECT_LE(took, MHT_ROUTER_STEP_MS + 1500u);
}

TEST_F(RouterSockets, AnExchangeEndsAtItsDeadlineEvenWhileBytesKeepComing) {
    Server server(Server::Mode::Trickle);
    RouterExchange exchange(2500);
    const auto [body, took] = Fetch(server.Url());
    EXPECT_LT(body, 100000);  // what came before the deadline, if anything
    EXPECT_GE(took, 2000u);
    EXPECT_LE(took, 2500u + 1500u);
    // Once it is over, no further call waits.
    const auto [again, tookAgain] = Fetch(server.Url());
    EXPECT_EQ(again, -1);
    EXPECT_LE(tookAgain, 500u);
}

TEST_F(RouterSockets, OneConnectionsAnswerTakesAtMostTheRequestsTimeThenTheNextOneGoesOn) {
    Server trickle(Server::Mode::Trickle), silent(Server::Mode::Silent);
    RouterExchange exchange(60000);
    const auto [body, took] = Fetch(trickle.Url());
    EXPECT_LT(body, 100000);
    EXPECT_GE(took, MHT_ROUTER_REQUEST_MS - 500u);
    EXPECT_LE(took, MHT_ROUTER_REQUEST_MS + MHT_ROUTER_STEP_MS + 500u);
    // A new connection has time of its own.
    const auto [next, tookNext] = Fetch(silent.Url());
    EXPECT_EQ(next, -1);
    EXPECT_GE(tookNext, MHT_ROUTER_STEP_MS - 500u);
}

TEST_F(RouterSockets, AWatchedFlagEndsTheWaitAtOnce) {
    Server server(Server::Mode::Silent);
    std::atomic<bool> cancel{false};
    RouterExchange exchange(60000);
    exchange.Watch(&cancel);
    std::thread setter([&] {
        ::Sleep(300);
        cancel = true;
    });
    const auto [body, took] = Fetch(server.Url());
    setter.join();
    EXPECT_EQ(body, -1);
    EXPECT_LE(took, 300u + 700u);
}

TEST_F(RouterSockets, TimeOutsGivenAsATimevalAreSetInMilliseconds) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const timeval wait{2, 500000};
    ASSERT_EQ(RouterSetSockOpt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait), 0);
    DWORD ms = 0;
    int length = sizeof ms;
    ASSERT_EQ(::getsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&ms), &length), 0);
    EXPECT_EQ(ms, 2500u);
    const DWORD plain = 1234;  // the Windows form goes through as it is
    ASSERT_EQ(RouterSetSockOpt(s, SOL_SOCKET, SO_SNDTIMEO, &plain, sizeof plain), 0);
    ASSERT_EQ(::getsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<char*>(&ms), &length), 0);
    EXPECT_EQ(ms, 1234u);
    ::closesocket(s);
}

}  // namespace
