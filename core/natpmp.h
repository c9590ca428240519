// NAT-PMP (RFC 6886) datagrams: the public-address and mapping requests this PC sends, and the
// router's answers. What comes back is untrusted: decoding checks every length and reads nothing
// past the datagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace natpmp {

constexpr uint8_t kVersion = 0;
constexpr uint8_t kOpPublicAddress = 0, kOpMapUdp = 1, kOpMapTcp = 2;
constexpr uint8_t kResponseBit = 128;

// "Unsupported Version", ... by result code; "unknown error" past the table.
const char* ResultName(uint16_t code);

std::vector<uint8_t> EncodePublicAddress();
// A mapping of `internalPort` (TCP or UDP: kOpMapTcp, kOpMapUdp) for `lifetime` seconds (0 removes it).
std::vector<uint8_t> EncodeMap(uint8_t opcode, uint16_t internalPort, uint16_t suggestedExternalPort,
                               uint32_t lifetime);

struct Response {
    uint8_t opcode = 0;  // of the request it answers (the response bit taken off)
    uint16_t result = 0;
    uint32_t epoch = 0;
    std::string publicAddress;  // public-address answers, dotted
    uint16_t internalPort = 0, externalPort = 0;  // mapping answers
    uint32_t lifetime = 0;
};
// Whether the datagram is a version 0 response of the full size for its opcode (an error answer
// needs only its result and epoch); fills `response` when it is.
bool Decode(const uint8_t* data, size_t size, Response& response);

}  // namespace natpmp
