// Port Control Protocol (RFC 6887) datagrams for forwarding a port over IPv4: the MAP and ANNOUNCE
// requests this PC sends, and the router's answers. What comes back is untrusted: decoding checks
// every length and reads nothing past the datagram.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pcp {

constexpr unsigned short kServerPort = 5351;
constexpr uint8_t kVersion = 2;
constexpr uint8_t kOpAnnounce = 0, kOpMap = 1;
constexpr uint8_t kProtocolTcp = 6, kProtocolUdp = 17;
constexpr size_t kHeaderSize = 24;    // common request and response header
constexpr size_t kMapSize = 60;       // header and the MAP payload
constexpr size_t kMaxMessage = 1100;  // largest datagram either side sends

// Result codes of a response.
enum Result : uint8_t {
    kSuccess = 0,
    kUnsuppVersion = 1,
    kNotAuthorized = 2,
    kMalformedRequest = 3,
    kUnsuppOpcode = 4,
    kUnsuppOption = 5,
    kMalformedOption = 6,
    kNetworkFailure = 7,
    kNoResources = 8,
    kUnsuppProtocol = 9,
    kUserExQuota = 10,
    kCannotProvideExternal = 11,
    kAddressMismatch = 12,
    kExcessiveRemotePeers = 13,
};
// The code's protocol name ("CANNOT_PROVIDE_EXTERNAL"), or "unknown".
const char* ResultName(uint8_t code);

using Nonce = std::array<uint8_t, 12>;

struct MapRequest {
    uint32_t lifetime = 0;      // seconds; 0 deletes the mapping
    std::string clientAddress;  // this PC's IPv4 address, dotted
    Nonce nonce{};
    uint8_t protocol = kProtocolTcp;
    uint16_t internalPort = 0;
    uint16_t suggestedExternalPort = 0;
    std::string suggestedExternalAddress;  // dotted, or empty for no preference (sent as ::ffff:0.0.0.0)
};

// The request datagrams; empty when an address is not a dotted IPv4 address.
std::vector<uint8_t> EncodeAnnounce(const std::string& clientAddress);
std::vector<uint8_t> EncodeMap(const MapRequest& request);

struct Response {
    uint8_t opcode = 0;
    uint8_t result = 0;
    uint32_t lifetime = 0;
    uint32_t epoch = 0;
    bool hasMap = false;  // a MAP response, with its payload below
    Nonce nonce{};
    uint8_t protocol = 0;
    uint16_t internalPort = 0, externalPort = 0;
    std::string externalAddress;  // dotted when the field holds an IPv4-mapped address, else empty
};

enum class Decoded {
    Ok,            // a version 2 response: R bit set, 24 to 1100 bytes in whole words, 60 at least for MAP
    OlderVersion,  // a NAT-PMP server's "unsupported version" answer: the router speaks only NAT-PMP
    Invalid,       // anything else: too short, a request, another version, garbage
};
// Fills `response` from a received datagram (for OlderVersion: result and epoch).
Decoded Decode(const uint8_t* data, size_t size, Response& response);

// Whether a decoded MAP response answers this request: opcode, nonce, protocol and internal port.
bool Answers(const Response& response, const MapRequest& request);

// A nonce made from text ("address|port|protocol"), the same each time, so that a later run can
// renew or delete the mapping an earlier one made.
Nonce NonceFor(const std::string& seed);

}  // namespace pcp
