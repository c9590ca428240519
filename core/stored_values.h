// A registry key's values as the program compares and shows them: the machine key's against the per-user
// copy's, and their readable forms.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/targets.h"

// Registry value names compare without regard to case (ASCII), as the registry does.
struct ValueNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct StoredValue {
    unsigned long type = 0;
    std::string data;  // raw bytes
    // REG_SZ or REG_EXPAND_SZ.
    bool IsString() const;
    bool operator==(const StoredValue& other) const { return type == other.type && data == other.data; }
    bool operator!=(const StoredValue& other) const { return !(*this == other); }
};

using StoredValues = std::map<std::string, StoredValue, ValueNameLess>;

// A value present in either copy whose type or data differ (absent counts as different).
struct ValueDifference {
    std::string name;
    std::optional<StoredValue> machine, user;
};

// The differing values, sorted by name without regard to case.
std::vector<ValueDifference> CompareValues(const StoredValues& machine, const StoredValues& user);

// The per-user side of every difference that has one: what "make the machine values match mine" writes.
StoredValues ValuesToCopy(const std::vector<ValueDifference>& differences);

// The bytes as lowercase hex, two digits each.
std::string LowerHex(const std::string& bytes);

// "REG_SZ", "REG_DWORD", ... or "type N".
std::string TypeName(unsigned long type);
// Strings as their text (up to the first zero), REG_MULTI_SZ with " | " between its strings, DWORD
// and QWORD as decimal with hex, anything else as hex bytes.
std::string ReadableValue(const StoredValue& value);

// A table cell: "(not present)", a string's text, or the type and a readable form for other types and
// whenever the other copy holds a different type.
std::string ShownValue(const std::optional<StoredValue>& value, const std::optional<StoredValue>& other);

// The Yes/No question before the per-user copy is deleted: it names the values of the copy that differ
// from the machine's (texts longer than 60 characters cut, at most 15 listed).
std::string ForgetQuestion(GameFamily family, const std::vector<ValueDifference>& differences);
