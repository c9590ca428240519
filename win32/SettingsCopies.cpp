#include "win32/SettingsCopies.h"

#include <windows.h>

#include <vector>

#include "core/launch.h"
#include "win32/RegistryKey.h"
#include "win32/Win32Registry.h"

namespace {

// Every value of a key; false when the key cannot be opened.
bool ReadValues(HKEY root, const std::string& path, REGSAM view, StoredValues* values) {
    RegistryKey key;
    if (key.Open(root, path.c_str(), KEY_READ | view) != ERROR_SUCCESS) return false;
    key.ReadValues(values);
    return true;
}

// A virtualized process reading HKEY_LOCAL_MACHINE sees the per-user copy merged in. Operations made
// while impersonating are never virtualized, so the machine key is read under an impersonation of
// this process's own token; if that cannot be had, the merged view is all there is.
class MachineView {
public:
    MachineView() : impersonating_(::ImpersonateSelf(SecurityImpersonation) != FALSE) {}
    ~MachineView() {
        if (impersonating_) ::RevertToSelf();
    }
    MachineView(const MachineView&) = delete;
    MachineView& operator=(const MachineView&) = delete;

private:
    bool impersonating_;
};

// The process token says whether registry virtualization applies; any failure (Wine) means it does not.
bool IsVirtualized() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD enabled = 0, size = 0;
    const bool known = ::GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled, &size) &&
                       size == sizeof enabled;
    ::CloseHandle(token);
    return known && enabled != 0;
}

// The machine key lives in the 32-bit view, which is WOW6432Node on 64-bit Windows.
bool HasWow6432Node() {
    if (sizeof(void*) == 8) return true;
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// The compatibility-layers keys that apply to this user: the user's own, and the machine's in both views.
struct LayersKeys {
    LayersKeys() {
        user.Open(HKEY_CURRENT_USER, kLayersKeyPath, KEY_QUERY_VALUE);
        machine64.Open(HKEY_LOCAL_MACHINE, kLayersKeyPath, KEY_QUERY_VALUE | KEY_WOW64_64KEY);
        machine32.Open(HKEY_LOCAL_MACHINE, kLayersKeyPath, KEY_QUERY_VALUE | KEY_WOW64_32KEY);
    }
    // Each executable's own value, looked up by the registry without regard to case.
    ExecutableFlags FlagsOf(const std::string& exePath) const {
        const std::string name = LayersValueName(exePath);
        ExecutableFlags flags;
        flags.path = exePath;
        flags.forUser = RunsAsAdmin(user, name);
        flags.forMachine = RunsAsAdmin(machine64, name) || RunsAsAdmin(machine32, name);
        return flags;
    }
    static bool RunsAsAdmin(const RegistryKey& layers, const std::string& name) {
        return SetToRunAsAdmin(layers.Value(name.c_str()));
    }
    RegistryKey user, machine64, machine32;
};

// The paths of the family's executables in its installation folder; none when that is not set.
std::vector<std::string> ExecutablePaths(GameFamily family) {
    std::vector<std::string> paths;
    const std::string folder = SystemSettings().Read(family, kInstallationPathValue);
    if (!folder.empty())
        for (const std::string& exe : ExecutablesOf(family)) paths.push_back(PathInFolder(folder, exe));
    return paths;
}

}  // namespace

std::string MachineKeyDisplayPath(GameFamily family) {
    return std::string("HKEY_LOCAL_MACHINE\\") + KeyPathOf(family) + " (32-bit view)";
}

std::string UserCopyPath(GameFamily family) { return VirtualStorePath(family, HasWow6432Node()); }

SettingsLocation ReadSettingsLocation(GameFamily family) {
    SettingsLocation where;
    where.family = family;
    {
        const MachineView view;
        where.machineKeyExists = ReadValues(HKEY_LOCAL_MACHINE, KeyPathOf(family), KEY_WOW64_32KEY, &where.machine);
    }
    where.virtualized = IsVirtualized();
    // The per-user copy is read where Windows keeps it; that key itself is not redirected.
    where.userCopyExists = ReadValues(HKEY_CURRENT_USER, UserCopyPath(family), KEY_WOW64_64KEY, &where.user);
    const LayersKeys layers;
    for (const std::string& path : ExecutablePaths(family)) where.executables.push_back(layers.FlagsOf(path));
    return where;
}

bool SplitMatters(GameFamily family) {
    // Cheapest first: most players have no per-user copy, and no game set to run as administrator.
    RegistryKey copy;
    if (copy.Open(HKEY_CURRENT_USER, UserCopyPath(family).c_str(), KEY_READ | KEY_WOW64_64KEY) != ERROR_SUCCESS)
        return false;
    bool runsAsAdmin = false;
    {
        const LayersKeys layers;
        for (const std::string& path : ExecutablePaths(family)) {
            const ExecutableFlags flags = layers.FlagsOf(path);
            if ((runsAsAdmin = flags.forUser || flags.forMachine)) break;
        }
    }
    if (!runsAsAdmin) return false;
    const MachineView view;
    RegistryKey machine;
    machine.Open(HKEY_LOCAL_MACHINE, KeyPathOf(family), KEY_QUERY_VALUE | KEY_WOW64_32KEY);
    std::string name;
    StoredValue mine;
    for (DWORD index = 0; copy.ValueAt(index, &name, &mine); ++index)
        if (machine.Value(name.c_str()) != mine) return true;  // missing, or of another type or data
    return false;
}

bool ForgetUserCopy(GameFamily family) {
    const std::string path = UserCopyPath(family);
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, path.c_str(), KEY_WOW64_64KEY);
    StoredValues left;
    return !ReadValues(HKEY_CURRENT_USER, path, KEY_WOW64_64KEY, &left);
}
