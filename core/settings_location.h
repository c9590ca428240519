// Where a game family's settings live on Windows with registry virtualization: the machine key and
// the per-user copy a virtualized program reads first, and whether the games are set to run as
// administrator.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/stored_values.h"
#include "core/targets.h"

// Compatibility layers: a blank-separated list of tokens such as "~ RUNASADMIN WIN7RTM"; a token may
// carry a leading "~" or "$".
bool HasRunAsAdminLayer(const std::string& layers);

// A compatibility-layers key holds one value for each executable, named by its full path as the system
// writes it ("\" between folders; the registry finds it without regard to case) and holding its layers.
std::string LayersValueName(const std::string& exePath);
// Whether an executable's value (none when it has no layers) is a string that lists the
// run-as-administrator layer.
bool SetToRunAsAdmin(const std::optional<StoredValue>& layers);

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
    // One sentence: which copy the game reads when started normally and when started as administrator.
    std::string Explanation() const;
};
