#include "win32/LeaseRouters.h"

#include <ws2tcpip.h>

#include <functional>

#include "core/address_kinds.h"
#include "core/natpmp.h"
#include "core/pcp.h"

namespace {

constexpr unsigned kFirstRetryMs = 250;

unsigned long long Now() { return ::GetTickCount64(); }

std::string Dotted(const in_addr& address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address);
    return std::to_string(b[0]) + '.' + std::to_string(b[1]) + '.' + std::to_string(b[2]) + '.' + std::to_string(b[3]);
}

// What a received datagram is to the request it is read for.
enum class Heard { Other, Answer, NotSpoken };

// A connected UDP socket to the router's port-mapping server, of either protocol.
class UdpRouter : public LeaseRouter {
public:
    UdpRouter(SOCKET s, unsigned long long deadline, const std::atomic<bool>& cancel)
        : socket_(s), deadline_(deadline), cancel_(cancel) {
        sockaddr_in self{};
        int size = sizeof self;
        if (::getsockname(s, reinterpret_cast<sockaddr*>(&self), &size) == 0) local_ = Dotted(self.sin_addr);
    }
    ~UdpRouter() override { ::closesocket(socket_); }
    SOCKET Socket() const override { return socket_; }

    void SendProbe() override {
        probe_ = ProbeDatagram();
        Send(probe_);
        retry_ = kFirstRetryMs;
        nextSend_ = Now() + retry_;
    }

    Speaks PollProbe() override {
        uint8_t buffer[pcp::kMaxMessage];
        for (;;) {
            const int got = ::recv(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0);
            if (got == SOCKET_ERROR) {
                // Nothing listens on the port: an ICMP "port unreachable" came back.
                if (::WSAGetLastError() == WSAECONNRESET || ::WSAGetLastError() == WSAECONNREFUSED) return Speaks::No;
                break;
            }
            const Heard heard = TakeProbeAnswer(buffer, static_cast<size_t>(got));
            if (heard == Heard::Answer) return Speaks::Yes;
            if (heard == Heard::NotSpoken) return Speaks::No;
        }
        if (Now() >= nextSend_) {
            Send(probe_);
            retry_ *= 2;
            nextSend_ = Now() + retry_;
        }
        return Speaks::NotYet;
    }

protected:
    virtual std::vector<uint8_t> ProbeDatagram() const = 0;
    virtual Heard TakeProbeAnswer(const uint8_t* data, size_t size) = 0;

    // Sends the request until `take` accepts an answer (then kept in `answer` by it), sent again at
    // 250 ms, 500 ms... within kLeaseRequestMs and the deadline. Otherwise answer.code says why.
    void Exchange(const std::vector<uint8_t>& request, const std::function<bool(const uint8_t*, size_t)>& take,
                  LeaseAnswer& answer) {
        answer.code = kNoAnswer;
        // A late answer to an earlier request is not taken for this one's.
        uint8_t stale[pcp::kMaxMessage];
        while (::recv(socket_, reinterpret_cast<char*>(stale), sizeof stale, 0) > 0) {
        }
        const unsigned long long until = Now() + kLeaseRequestMs < deadline_ ? Now() + kLeaseRequestMs : deadline_;
        unsigned retry = kFirstRetryMs;
        while (!cancel_ && Now() < until) {
            Send(request);
            const unsigned long long resend = Now() + retry < until ? Now() + retry : until;
            retry *= 2;
            while (WaitReadable(resend)) {
                uint8_t buffer[pcp::kMaxMessage];
                const int got = ::recv(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0);
                if (got == SOCKET_ERROR) {
                    if (::WSAGetLastError() == WSAECONNRESET) return;  // nothing listens any more
                    continue;
                }
                if (take(buffer, static_cast<size_t>(got))) return;
                answer.code = kNotTheRouters;  // something else came: kept only if nothing better does
            }
        }
    }

private:
    void Send(const std::vector<uint8_t>& datagram) {
        ::send(socket_, reinterpret_cast<const char*>(datagram.data()), static_cast<int>(datagram.size()), 0);
    }
    // Until the socket can be read or `until`, in steps that see the cancel flag.
    bool WaitReadable(unsigned long long until) {
        while (!cancel_) {
            const unsigned long long now = Now();
            if (now >= until) return false;
            const unsigned long long left = until - now;
            timeval step{0, static_cast<long>((left < 100 ? left : 100) * 1000)};
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            const int ready = ::select(0, &readable, nullptr, nullptr, &step);
            if (ready != 0) return ready > 0;
        }
        return false;
    }

    SOCKET socket_;
    unsigned long long deadline_;
    const std::atomic<bool>& cancel_;
    std::vector<uint8_t> probe_;
    unsigned long long nextSend_ = 0;
    unsigned retry_ = kFirstRetryMs;
};

class PcpRouter : public UdpRouter {
public:
    PcpRouter(SOCKET s, std::string gateway, unsigned long long deadline, const std::atomic<bool>& cancel)
        : UdpRouter(s, deadline, cancel), gateway_(std::move(gateway)) {}

    MappingProtocol Kind() const override { return MappingProtocol::PCP; }

    LeaseAnswer Map(Protocol protocol, uint16_t port, uint32_t lifetime) override {
        pcp::MapRequest request;
        request.lifetime = lifetime;
        request.clientAddress = local_;
        request.protocol = protocol == Protocol::TCP ? pcp::kProtocolTcp : pcp::kProtocolUdp;
        request.internalPort = port;
        request.suggestedExternalPort = port;
        // The same nonce for the same mapping of this PC, in this session and the next.
        request.nonce = pcp::NonceFor(local_ + "|" + gateway_ + "|" + std::to_string(port) + "|" + NameOf(protocol));
        LeaseAnswer answer;
        Exchange(pcp::EncodeMap(request), [&](const uint8_t* data, size_t size) {
            pcp::Response response;
            if (pcp::Decode(data, size, response) != pcp::Decoded::Ok || !pcp::Answers(response, request)) return false;
            answer.code = response.result;
            answer.externalPort = response.externalPort;
            answer.lifetime = response.lifetime;
            answer.epoch = response.epoch;
            if (response.externalAddress != "0.0.0.0") answer.externalAddress = response.externalAddress;
            return true;
        }, answer);
        return answer;
    }

protected:
    std::vector<uint8_t> ProbeDatagram() const override { return pcp::EncodeAnnounce(local_); }
    Heard TakeProbeAnswer(const uint8_t* data, size_t size) override {
        pcp::Response response;
        const pcp::Decoded decoded = pcp::Decode(data, size, response);
        if (decoded == pcp::Decoded::OlderVersion) return Heard::NotSpoken;  // a NAT-PMP-only router
        if (decoded != pcp::Decoded::Ok || response.opcode != pcp::kOpAnnounce) return Heard::Other;
        probeEpoch = response.epoch;
        probeCode = response.result;
        return Heard::Answer;
    }

private:
    std::string gateway_;
};

class NatPmpRouter : public UdpRouter {
public:
    using UdpRouter::UdpRouter;

    MappingProtocol Kind() const override { return MappingProtocol::NATPMP; }

    LeaseAnswer Map(Protocol protocol, uint16_t port, uint32_t lifetime) override {
        const uint8_t opcode = protocol == Protocol::TCP ? natpmp::kOpMapTcp : natpmp::kOpMapUdp;
        LeaseAnswer answer;
        Exchange(natpmp::EncodeMap(opcode, port, port, lifetime), [&](const uint8_t* data, size_t size) {
            natpmp::Response response;
            if (!natpmp::Decode(data, size, response) || response.opcode != opcode) return false;
            if (response.result == 0 && response.internalPort != port) return false;
            answer.code = response.result;
            answer.externalPort = response.externalPort;
            answer.lifetime = response.lifetime;
            answer.epoch = response.epoch;
            answer.externalAddress = probeAddress;  // NAT-PMP tells it only when asked
            return true;
        }, answer);
        return answer;
    }

protected:
    std::vector<uint8_t> ProbeDatagram() const override { return natpmp::EncodePublicAddress(); }
    Heard TakeProbeAnswer(const uint8_t* data, size_t size) override {
        natpmp::Response response;
        if (!natpmp::Decode(data, size, response) || response.opcode != natpmp::kOpPublicAddress) return Heard::Other;
        probeEpoch = response.epoch;
        probeCode = response.result;  // not 0: it speaks NAT-PMP and has no address to give (3)
        if (response.result == 0) probeAddress = response.publicAddress;
        return Heard::Answer;
    }
};

// A UDP socket connected to the gateway's port-mapping server, without waiting.
SOCKET Connect(const std::string& gateway) {
    const std::optional<uint32_t> address = ParseIPv4(gateway);
    if (!address) return INVALID_SOCKET;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = ::htons(pcp::kServerPort);
    to.sin_addr.s_addr = ::htonl(*address);
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return s;
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0 ||
        ::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

std::unique_ptr<LeaseRouter> MakePcpRouter(const std::string& gateway, unsigned long long deadline,
                                           const std::atomic<bool>& cancel) {
    const SOCKET s = Connect(gateway);
    if (s == INVALID_SOCKET) return nullptr;
    return std::make_unique<PcpRouter>(s, gateway, deadline, cancel);
}

std::unique_ptr<LeaseRouter> MakeNatPmpRouter(const std::string& gateway, unsigned long long deadline,
                                              const std::atomic<bool>& cancel) {
    const SOCKET s = Connect(gateway);
    if (s == INVALID_SOCKET) return nullptr;
    return std::make_unique<NatPmpRouter>(s, deadline, cancel);
}
