#include "win32/SettingsCopies.h"

#include <windows.h>

#include <vector>

#include "core/launch.h"
#include "win32/RegistryKey.h"
#include "win32/SystemServices.h"

namespace {

// Every value of a key; false when the key cannot be opened.
bool ReadValues(HKEY root, const std::string& path, REGSAM view, StoredValues* values) {
    RegistryKey key;
    if (key.Open(root, path, KEY_READ | view) != ERROR_SUCCESS) return false;
    key.ReadValues(values);
    return true;
}

// A virtualized process reading HKEY_LOCAL_MACHINE sees the per-user copy merged in. Operations made
// while impersonating are never virtualized, so the machine key is read under an impersonation of
// this process's own token; if that cannot be had, the merged view is all there is.
bool ReadMachineValues(GameFamily family, StoredValues* values) {
    const bool impersonating = ::ImpersonateSelf(SecurityImpersonation) != FALSE;
    const bool exists = ReadValues(HKEY_LOCAL_MACHINE, KeyPathOf(family), KEY_WOW64_32KEY, values);
    if (impersonating) ::RevertToSelf();
    return exists;
}

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

std::vector<LayerEntry> LayersOf(HKEY root, REGSAM view) {
    StoredValues values;
    ReadValues(root, kLayersKeyPath, view, &values);
    std::vector<LayerEntry> entries;
    for (const auto& value : values)
        if (value.second.type == REG_SZ || value.second.type == REG_EXPAND_SZ)
            entries.push_back({value.first, ReadableValue(value.second)});
    return entries;
}

}  // namespace

std::string MachineKeyDisplayPath(GameFamily family) {
    return std::string("HKEY_LOCAL_MACHINE\\") + KeyPathOf(family) + " (32-bit view)";
}

std::string UserCopyPath(GameFamily family) { return VirtualStorePath(family, HasWow6432Node()); }

SettingsLocation ReadSettingsLocation(GameFamily family) {
    SettingsLocation where;
    where.family = family;
    where.machineKeyExists = ReadMachineValues(family, &where.machine);
    where.virtualized = IsVirtualized();
    // The per-user copy is read where Windows keeps it; that key itself is not redirected.
    where.userCopyExists = ReadValues(HKEY_CURRENT_USER, UserCopyPath(family), KEY_WOW64_64KEY, &where.user);

    const std::string folder = SystemSettings().Read(family, kInstallationPathValue);
    if (folder.empty()) return where;
    const std::vector<LayerEntry> forUser = LayersOf(HKEY_CURRENT_USER, 0);
    std::vector<LayerEntry> forMachine = LayersOf(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    for (const LayerEntry& entry : LayersOf(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY)) forMachine.push_back(entry);
    for (const std::string& exe : ExecutablesOf(family)) {
        ExecutableFlags flags;
        flags.path = PathInFolder(folder, exe);
        flags.forUser = SetToRunAsAdmin(forUser, flags.path);
        flags.forMachine = SetToRunAsAdmin(forMachine, flags.path);
        where.executables.push_back(flags);
    }
    return where;
}

bool ForgetUserCopy(GameFamily family) {
    const std::string path = UserCopyPath(family);
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, path, KEY_WOW64_64KEY);
    StoredValues left;
    return !ReadValues(HKEY_CURRENT_USER, path, KEY_WOW64_64KEY, &left);
}
