#include "core/pcp.h"

#include <optional>

#include "core/address_kinds.h"

namespace pcp {

namespace {

// Header offsets.
constexpr size_t kOpcodeAt = 1, kResultAt = 3, kLifetimeAt = 4, kEpochAt = 8, kClientAt = 8;
// MAP payload offsets, from the start of the datagram.
constexpr size_t kNonceAt = 24, kProtocolAt = 36, kInternalPortAt = 40, kExternalPortAt = 42, kExternalAt = 44;
constexpr uint8_t kResponseBit = 0x80;
constexpr uint8_t kNatPmpVersion = 0;
constexpr size_t kNatPmpReplySize = 8;  // version, opcode, result (16 bits), epoch

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value >> 8);
    out[at + 1] = static_cast<uint8_t>(value);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

uint16_t Get16(const uint8_t* data) { return static_cast<uint16_t>(data[0] << 8 | data[1]); }

uint32_t Get32(const uint8_t* data) {
    return uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 | uint32_t{data[2]} << 8 | data[3];
}

// An IPv4 address in a 128-bit field: ::ffff:a.b.c.d.
void PutMapped(std::vector<uint8_t>& out, size_t at, uint32_t address) {
    out[at + 10] = 0xff;
    out[at + 11] = 0xff;
    Put32(out, at + 12, address);
}

std::string MappedAddress(const uint8_t* field) {
    for (size_t i = 0; i < 10; ++i)
        if (field[i] != 0) return {};
    if (field[10] != 0xff || field[11] != 0xff) return {};
    std::string text;
    for (size_t i = 12; i < 16; ++i) {
        if (i > 12) text += '.';
        text += std::to_string(field[i]);
    }
    return text;
}

std::vector<uint8_t> Header(uint8_t opcode, uint32_t lifetime, uint32_t client, size_t size) {
    std::vector<uint8_t> out(size, 0);
    out[0] = kVersion;
    out[kOpcodeAt] = opcode;
    Put32(out, kLifetimeAt, lifetime);
    PutMapped(out, kClientAt, client);
    return out;
}

// FNV-1a, then SplitMix64 to spread it over the nonce's bytes.
uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

uint64_t SplitMix(uint64_t& state) {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

}  // namespace

const char* ResultName(uint8_t code) {
    static const char* const kNames[] = {
        "SUCCESS",          "UNSUPP_VERSION",  "NOT_AUTHORIZED",          "MALFORMED_REQUEST",
        "UNSUPP_OPCODE",    "UNSUPP_OPTION",   "MALFORMED_OPTION",        "NETWORK_FAILURE",
        "NO_RESOURCES",     "UNSUPP_PROTOCOL", "USER_EX_QUOTA",           "CANNOT_PROVIDE_EXTERNAL",
        "ADDRESS_MISMATCH", "EXCESSIVE_REMOTE_PEERS",
    };
    return code < sizeof kNames / sizeof kNames[0] ? kNames[code] : "unknown";
}

std::vector<uint8_t> EncodeAnnounce(const std::string& clientAddress) {
    const std::optional<uint32_t> client = ParseIPv4(clientAddress);
    if (!client) return {};
    return Header(kOpAnnounce, 0, *client, kHeaderSize);
}

std::vector<uint8_t> EncodeMap(const MapRequest& request) {
    const std::optional<uint32_t> client = ParseIPv4(request.clientAddress);
    std::optional<uint32_t> suggested = 0;  // no preference: ::ffff:0.0.0.0
    if (!request.suggestedExternalAddress.empty()) suggested = ParseIPv4(request.suggestedExternalAddress);
    if (!client || !suggested) return {};
    std::vector<uint8_t> out = Header(kOpMap, request.lifetime, *client, kMapSize);
    for (size_t i = 0; i < request.nonce.size(); ++i) out[kNonceAt + i] = request.nonce[i];
    out[kProtocolAt] = request.protocol;
    Put16(out, kInternalPortAt, request.internalPort);
    Put16(out, kExternalPortAt, request.suggestedExternalPort);
    PutMapped(out, kExternalAt, *suggested);
    return out;
}

Decoded Decode(const uint8_t* data, size_t size, Response& response) {
    response = Response{};
    if (data == nullptr || size < 2) return Decoded::Invalid;
    if (data[0] == kNatPmpVersion) {
        // A NAT-PMP server answers any other version with result 1 in a version 0 reply.
        if (size < kNatPmpReplySize || (data[kOpcodeAt] != 0 && !(data[kOpcodeAt] & kResponseBit)) ||
            Get16(data + 2) != kUnsuppVersion)
            return Decoded::Invalid;
        response.result = kUnsuppVersion;
        response.epoch = Get32(data + 4);
        return Decoded::OlderVersion;
    }
    if (data[0] != kVersion || !(data[kOpcodeAt] & kResponseBit)) return Decoded::Invalid;
    if (size < kHeaderSize || size > kMaxMessage || size % 4 != 0) return Decoded::Invalid;
    const uint8_t opcode = data[kOpcodeAt] & ~kResponseBit;
    if (opcode == kOpMap && size < kMapSize) return Decoded::Invalid;
    response.opcode = opcode;
    response.result = data[kResultAt];
    response.lifetime = Get32(data + kLifetimeAt);
    response.epoch = Get32(data + kEpochAt);
    if (opcode == kOpMap) {
        response.hasMap = true;
        for (size_t i = 0; i < response.nonce.size(); ++i) response.nonce[i] = data[kNonceAt + i];
        response.protocol = data[kProtocolAt];
        response.internalPort = Get16(data + kInternalPortAt);
        response.externalPort = Get16(data + kExternalPortAt);
        response.externalAddress = MappedAddress(data + kExternalAt);
    }
    return Decoded::Ok;
}

bool Answers(const Response& response, const MapRequest& request) {
    return response.hasMap && response.opcode == kOpMap && response.nonce == request.nonce &&
           response.protocol == request.protocol && response.internalPort == request.internalPort;
}

Nonce NonceFor(const std::string& seed) {
    uint64_t state = Fnv1a(seed);
    Nonce nonce{};
    uint64_t bits = 0;
    for (size_t i = 0; i < nonce.size(); ++i) {
        if (i % 8 == 0) bits = SplitMix(state);
        nonce[i] = static_cast<uint8_t>(bits >> (8 * (i % 8)));
    }
    return nonce;
}

}  // namespace pcp
