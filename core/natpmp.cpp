#include "core/natpmp.h"

namespace natpmp {

namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}
void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value >> 16));
    Put16(out, static_cast<uint16_t>(value));
}

}  // namespace

const char* ResultName(uint16_t code) {
    static const char* const kNames[] = {"Success", "Unsupported Version", "Not Authorized/Refused",
                                         "Network Failure", "Out of resources", "Unsupported opcode"};
    return code < sizeof kNames / sizeof kNames[0] ? kNames[code] : "unknown error";
}

std::vector<uint8_t> EncodePublicAddress() { return {kVersion, kOpPublicAddress}; }

std::vector<uint8_t> EncodeMap(uint8_t opcode, uint16_t internalPort, uint16_t suggestedExternalPort,
                               uint32_t lifetime) {
    std::vector<uint8_t> out = {kVersion, opcode, 0, 0};
    Put16(out, internalPort);
    Put16(out, suggestedExternalPort);
    Put32(out, lifetime);
    return out;
}

bool Decode(const uint8_t* data, size_t size, Response& response) {
    if (size < 8 || data[0] != kVersion || !(data[1] & kResponseBit)) return false;
    Response decoded;
    decoded.opcode = static_cast<uint8_t>(data[1] & ~kResponseBit);
    decoded.result = Get16(data + 2);
    decoded.epoch = Get32(data + 4);
    if (decoded.opcode > kOpMapTcp) return false;
    const size_t full = decoded.opcode == kOpPublicAddress ? 12 : 16;
    if (size < full) {
        if (decoded.result == 0) return false;  // a success without its fields
    } else if (decoded.opcode == kOpPublicAddress) {
        decoded.publicAddress = std::to_string(data[8]) + '.' + std::to_string(data[9]) + '.' +
                                std::to_string(data[10]) + '.' + std::to_string(data[11]);
    } else {
        decoded.internalPort = Get16(data + 8);
        decoded.externalPort = Get16(data + 10);
        decoded.lifetime = Get32(data + 12);
    }
    response = decoded;
    return true;
}

}  // namespace natpmp
