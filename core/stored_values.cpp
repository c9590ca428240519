#include "core/stored_values.h"

#include "core/targets.h"
#include "core/text.h"

namespace {

constexpr unsigned long kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kDwordBigEndian = 5, kMultiSz = 7,
                        kQword = 11;

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
    const std::string hex = LowerHex(data);
    std::string spaced;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (i) spaced += ' ';
        spaced += hex.substr(i, 2);
    }
    return spaced;
}

}  // namespace

bool StoredValue::IsString() const { return type == kSz || type == kExpandSz; }

bool ValueNameLess::operator()(const std::string& a, const std::string& b) const { return LessNoCase(a, b); }

std::string LowerHex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

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
    if (value->IsString() && (!other || other->type == value->type)) return ReadableValue(*value);
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
