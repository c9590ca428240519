#include "core/machine_values.h"

#include "core/text.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unhex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

}  // namespace

std::string EncodeValues(const StoredValues& values) {
    std::string payload;
    for (const auto& entry : values) {
        if (!payload.empty()) payload += '-';
        payload += LowerHex(entry.first) + '.' + std::to_string(entry.second.type) + '.' + LowerHex(entry.second.data);
    }
    return payload;
}

std::optional<StoredValues> DecodeValues(const std::string& payload) {
    if (payload.empty()) return std::nullopt;
    StoredValues values;
    for (const std::string& entry : Split(payload, '-')) {
        const std::vector<std::string> fields = Split(entry, '.');
        if (fields.size() != 3) return std::nullopt;
        const std::string& type = fields[1];
        if (type.empty() || type.size() > 9 || (type.size() > 1 && type[0] == '0')) return std::nullopt;
        for (char c : type)
            if (c < '0' || c > '9') return std::nullopt;
        const auto name = Unhex(fields[0]);
        const auto data = Unhex(fields[2]);
        // Value names hold at most 16383 characters and no zero byte.
        if (!name || !data || name->size() > 16383 || name->find('\0') != std::string::npos) return std::nullopt;
        if (!values.emplace(*name, StoredValue{std::stoul(type), *data}).second) return std::nullopt;
    }
    return values;
}

std::string MachineValuesParameters(GameFamily family, const StoredValues& values) {
    return std::string(kWriteMachineValuesOption) + ' ' + FamilyToken(family) + ' ' + EncodeValues(values);
}

int WriteMachineValues(Registry& registry, GameFamily family, const StoredValues& values) {
    const ScopedKey key(registry, KeyPathOf(family));
    if (!key.IsOpen()) return -1;
    int written = 0;
    for (const auto& entry : values) {
        const std::string& data = entry.second.data;
        if (registry.SetValue(key.Get(), entry.first, entry.second.type,
                              reinterpret_cast<const unsigned char*>(data.data()),
                              static_cast<unsigned long>(data.size())) != Registry::kOk)
            return -1;
        ++written;
    }
    return written;
}
