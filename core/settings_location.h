// Where a game family's settings live on Windows with registry virtualization: the machine key and
// the per-user copy a virtualized program reads first, how they differ, whether the games are set to
// run as administrator, and the payload that carries per-user values to an elevated copy.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/registry.h"
#include "core/targets.h"

// Registry value names compare without regard to case (ASCII), as the registry does.
struct ValueNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct StoredValue {
    unsigned long type = 0;
    std::string data;  // raw bytes
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

// Compatibility layers: a blank-separated list of tokens such as "~ RUNASADMIN WIN7RTM"; a token may
// carry a leading "~" or "$".
bool HasRunAsAdminLayer(const std::string& layers);

// One value of a compatibility-layers key: the executable's full path and its layers.
struct LayerEntry {
    std::string path, layers;
};
// Paths compare without regard to case, "/" counting as "\".
bool SamePath(const std::string& a, const std::string& b);
bool SetToRunAsAdmin(const std::vector<LayerEntry>& entries, const std::string& exePath);

// The folder joined with the file name by exactly one backslash.
std::string PathInFolder(const std::string& folder, const std::string& fileName);
// The executables that read a family's key: Orvanta's client and expansion, or Mireholt.
std::vector<std::string> ExecutablesOf(GameFamily family);

// The per-user copy's key under HKEY_CURRENT_USER. With wow6432Node the machine key is the 32-bit
// view on 64-bit Windows.
std::string VirtualStorePath(GameFamily family, bool wow6432Node);
constexpr const char* kLayersKeyPath = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// What is true for one family, as the system shows it.
struct ExecutableFlags {
    std::string path;
    bool forUser = false;     // set to run as administrator for this user
    bool forMachine = false;  // for every user
};

struct SettingsLocation {
    GameFamily family = GameFamily::Orvanta;
    bool machineKeyExists = false;
    StoredValues machine;
    bool virtualized = false;  // this program
    bool userCopyExists = false;
    StoredValues user;
    std::vector<ExecutableFlags> executables;  // empty when the installation path is unknown

    std::vector<ValueDifference> Differences() const { return CompareValues(machine, user); }
    bool AnyRunsAsAdmin() const;
    // A game runs as administrator while the per-user copy holds different values: it reads the
    // machine values while a normal start, and this program, read the per-user copy.
    bool SplitMatters() const;
    // One sentence: which copy the game reads when started normally and when started as administrator.
    std::string Explanation() const;
};

// The elevated copy's payload: entries "name.type.data" (name and data as lowercase hex, type as
// decimal) joined by "-". Decoding is strict: anything else, an empty list or a repeated name is refused.
std::string EncodeValues(const StoredValues& values);
std::optional<StoredValues> DecodeValues(const std::string& payload);

constexpr const char* kWriteMachineValuesOption = "--write-machine-values";
// The parameters the program is started with to copy the values: option, family, payload.
std::string MachineValuesParameters(GameFamily family, const StoredValues& values);
// A command line holds at most 32767 characters; leave room for the program's own path.
constexpr std::size_t kMaxParametersLength = 32000;

// Writes the values into the family's key (which must exist) and nothing else. Returns the number
// written, or -1 when the key cannot be opened or a write fails.
int WriteMachineValues(Registry& registry, GameFamily family, const StoredValues& values);
