#include "core/settings_location.h"

#include <cstring>

#include "core/text.h"

namespace {

constexpr unsigned long kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kDwordBigEndian = 5, kMultiSz = 7,
                        kQword = 11;

std::string BackslashPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

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

unsigned long long LittleEndian(const std::string& data, std::size_t size) {
    unsigned long long number = 0;
    for (std::size_t i = size; i-- > 0;) number = number * 256 + static_cast<unsigned char>(data[i]);
    return number;
}

// Decimal and hexadecimal ("%llu (0x%llx)"), without the C library's formatter (20 KB in the program).
std::string NumberText(unsigned long long number) {
    char hex[17];
    char* digit = hex + sizeof hex;
    *--digit = '\0';
    unsigned long long rest = number;
    do {
        *--digit = "0123456789abcdef"[rest % 16];
    } while (rest /= 16);
    return std::to_string(number) + " (0x" + digit + ")";
}

std::string SpacedHex(const std::string& data) {
    const std::string hex = Hex(data);
    std::string spaced;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (i) spaced += ' ';
        spaced += hex.substr(i, 2);
    }
    return spaced;
}

}  // namespace

bool ValueNameLess::operator()(const std::string& a, const std::string& b) const { return LessNoCase(a, b); }

std::vector<ValueDifference> CompareValues(const StoredValues& machine, const StoredValues& user) {
    std::vector<ValueDifference> differences;
    auto m = machine.begin();
    auto u = user.begin();
    const ValueNameLess less;
    while (m != machine.end() || u != user.end()) {
        ValueDifference row;
        if (u == user.end() || (m != machine.end() && less(m->first, u->first))) {
            row.name = m->first;
            row.machine = m->second;
            ++m;
        } else if (m == machine.end() || less(u->first, m->first)) {
            row.name = u->first;
            row.user = u->second;
            ++u;
        } else {
            if (m->second != u->second) {
                row.name = m->first;
                row.machine = m->second;
                row.user = u->second;
            }
            ++m;
            ++u;
            if (!row.machine) continue;
        }
        differences.push_back(std::move(row));
    }
    return differences;
}

StoredValues ValuesToCopy(const std::vector<ValueDifference>& differences) {
    StoredValues values;
    for (const ValueDifference& row : differences)
        if (row.user) values[row.name] = *row.user;
    return values;
}

std::string TypeName(unsigned long type) {
    switch (type) {
    case 0: return "REG_NONE";
    case kSz: return "REG_SZ";
    case kExpandSz: return "REG_EXPAND_SZ";
    case kBinary: return "REG_BINARY";
    case kDword: return "REG_DWORD";
    case kDwordBigEndian: return "REG_DWORD_BIG_ENDIAN";
    case kMultiSz: return "REG_MULTI_SZ";
    case kQword: return "REG_QWORD";
    default: return "type " + std::to_string(type);
    }
}

std::string ReadableValue(const StoredValue& value) {
    const std::string& data = value.data;
    switch (value.type) {
    case kSz:
    case kExpandSz: return data.substr(0, data.find('\0'));
    case kMultiSz: {
        // The strings up to the empty one that ends the list.
        std::string text;
        for (const std::string& part : Split(data, '\0')) {
            if (part.empty()) break;
            if (!text.empty()) text += " | ";
            text += part;
        }
        return text;
    }
    case kDword:
        if (data.size() == 4) return NumberText(LittleEndian(data, 4));
        break;
    case kQword:
        if (data.size() == 8) return NumberText(LittleEndian(data, 8));
        break;
    default: break;
    }
    return SpacedHex(data);
}

std::string ShownValue(const std::optional<StoredValue>& value, const std::optional<StoredValue>& other) {
    if (!value) return "(not present)";
    const bool text = value->type == kSz || value->type == kExpandSz;
    if (text && (!other || other->type == value->type)) return ReadableValue(*value);
    return TypeName(value->type) + ": " + ReadableValue(*value);
}

std::string ForgetQuestion(GameFamily family, const std::vector<ValueDifference>& differences) {
    constexpr std::size_t kListed = 15, kShownLength = 60;
    std::string lines;
    std::size_t lost = 0;
    for (const ValueDifference& row : differences) {
        if (!row.user) continue;
        if (++lost > kListed) continue;
        std::string shown = ShownValue(row.user, row.machine);
        if (shown.size() > kShownLength) shown = shown.substr(0, kShownLength) + "...";
        lines += "\n    " + row.name + " = " + shown;
    }
    std::string question = std::string("Forget your per-user copy of the ") + FamilyToken(family) + " settings?";
    if (!lost) return question + "\n\nIt holds nothing that differs from the machine values.";
    question += "\n\nThese values of yours will be lost:" + lines;
    if (lost > kListed) question += "\n    ... and " + std::to_string(lost - kListed) + " more";
    return question + "\n\nThe game and this program will then read the machine values.";
}

bool HasRunAsAdminLayer(const std::string& layers) {
    for (std::string token : Split(layers, ' ')) {
        while (!token.empty() && (token[0] == '~' || token[0] == '$')) token.erase(0, 1);
        if (EqualNoCase(token, "RUNASADMIN")) return true;
    }
    return false;
}

bool SamePath(const std::string& a, const std::string& b) { return EqualNoCase(BackslashPath(a), BackslashPath(b)); }

bool SetToRunAsAdmin(const std::vector<LayerEntry>& entries, const std::string& exePath) {
    for (const LayerEntry& entry : entries)
        if (SamePath(entry.path, exePath) && HasRunAsAdminLayer(entry.layers)) return true;
    return false;
}

std::string PathInFolder(const std::string& folder, const std::string& fileName) {
    std::string path = folder;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path + "\\" + fileName;
}

std::vector<std::string> ExecutablesOf(GameFamily family) {
    std::vector<std::string> names;
    for (const TargetInfo& info : AllTargets())
        if (info.family == family) names.push_back(info.executable);
    return names;
}

std::string VirtualStorePath(GameFamily family, bool wow6432Node) {
    const std::string keyPath = KeyPathOf(family);
    const std::string belowSoftware = keyPath.substr(keyPath.find('\\') + 1);
    return std::string("Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\") + (wow6432Node ? "WOW6432Node\\" : "") +
           belowSoftware;
}

bool SettingsLocation::AnyRunsAsAdmin() const {
    for (const ExecutableFlags& exe : executables)
        if (exe.forUser || exe.forMachine) return true;
    return false;
}

bool SettingsLocation::SplitMatters() const {
    return AnyRunsAsAdmin() && userCopyExists && !ValuesToCopy(Differences()).empty();
}

std::string SettingsLocation::Explanation() const {
    if (!userCopyExists)
        return "There is no per-user copy: started normally or as administrator, the game reads the machine "
               "values.";
    return "Started normally, the game reads your per-user copy first (the machine value where the copy has "
           "none); started as administrator, it reads the machine values only.";
}

std::string EncodeValues(const StoredValues& values) {
    std::string payload;
    for (const auto& entry : values) {
        if (!payload.empty()) payload += '-';
        payload += Hex(entry.first) + '.' + std::to_string(entry.second.type) + '.' + Hex(entry.second.data);
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
