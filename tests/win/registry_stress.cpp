// Not a test: a tool that repeats, as fast as it can, the registry calls of the settings-location
// flows, the harness's and the program's at once, to see whether a wineserver stops answering
// (scripts/test.sh's watchdog names one that spins). Two threads, as the harness and the program
// are two processes: one sets up and tears down the keys (game key in the 32-bit view, per-user copy
// under VirtualStore, run-as-administrator layers in HKCU and both HKLM views), the other reads them
// as ReadSettingsLocation and SplitMatters do, under an impersonation of its own token.
// Usage: registry_stress.exe [rounds]; prints the rounds done and exits 0.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const char kGame[] = "Software\\Tarnwell\\Mireholt";
const char kCopy[] = "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell\\Mireholt";
const char kLayers[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const char kExe[] = "Z:\\STRESS\\MIREHOLT\\MIREHOLT.EXE";

void SetSz(HKEY root, const char* path, REGSAM view, const char* name, const char* text) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    ::RegCloseKey(key);
}

void DeleteValue(HKEY root, const char* path, REGSAM view, const char* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
}

void DeleteTree(HKEY root, const char* path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        ::RegDeleteTreeA(key, nullptr);
        ::RegCloseKey(key);
    }
    ::RegDeleteKeyExA(root, path, view, 0);
}

// The harness's side: the sandbox, the split values, the layers, and the teardown.
void SetUpAndTearDown(int round) {
    DeleteTree(HKEY_LOCAL_MACHINE, kGame, KEY_WOW64_32KEY);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kCopy);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kCopy);
    SetSz(HKEY_LOCAL_MACHINE, kGame, KEY_WOW64_32KEY, "InstallationPath", "Z:\\STRESS\\MIREHOLT");
    SetSz(HKEY_LOCAL_MACHINE, kGame, KEY_WOW64_32KEY, "MultiplayerPlayerName", "Machine");
    SetSz(HKEY_CURRENT_USER, kCopy, 0, "multiplayerplayername", "Mine");
    const REGSAM views[] = {0, KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE};
    const int place = round % 3;
    SetSz(roots[place], kLayers, views[place], kExe, "~ RUNASADMIN");
    for (int i = 0; i < 3; ++i) DeleteValue(roots[i], kLayers, views[i], kExe);
}

void ReadValues(HKEY root, const char* path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    char name[16384];
    BYTE data[4096];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (::RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    }
    ::RegCloseKey(key);
}

// The program's side: the machine key under impersonation, the token, the copy, the layers; then,
// as SplitMatters does, the copy kept open while each of its values is looked up in the machine key.
void ReadLikeTheProgram() {
    const bool impersonating = ::ImpersonateSelf(SecurityImpersonation) != FALSE;
    ReadValues(HKEY_LOCAL_MACHINE, kGame, KEY_WOW64_32KEY);
    if (impersonating) ::RevertToSelf();
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD enabled = 0, size = 0;
        ::GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled, &size);
        ::CloseHandle(token);
    }
    ReadValues(HKEY_CURRENT_USER, kCopy, KEY_WOW64_64KEY);
    const REGSAM views[] = {0, KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE};
    HKEY layers[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (::RegOpenKeyExA(roots[i], kLayers, 0, KEY_QUERY_VALUE | views[i], &layers[i]) != ERROR_SUCCESS) continue;
        char text[256];
        DWORD size = sizeof text;
        ::RegQueryValueExA(layers[i], kExe, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    }
    HKEY copy = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kCopy, 0, KEY_READ | KEY_WOW64_64KEY, &copy) == ERROR_SUCCESS) {
        const bool again = ::ImpersonateSelf(SecurityImpersonation) != FALSE;
        HKEY machine = nullptr;
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGame, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &machine);
        char name[16384];
        BYTE data[4096];
        for (DWORD index = 0;; ++index) {
            DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
            if (::RegEnumValueA(copy, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
            dataSize = sizeof data;
            if (machine) ::RegQueryValueExA(machine, name, nullptr, &type, data, &dataSize);
        }
        if (machine) ::RegCloseKey(machine);
        if (again) ::RevertToSelf();
        ::RegCloseKey(copy);
    }
    for (HKEY key : layers)
        if (key) ::RegCloseKey(key);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) ReadLikeTheProgram();
    });
    int round = 0;
    for (; round < rounds; ++round) {
        SetUpAndTearDown(round);
        if (round % 500 == 0) std::printf("%d\n", round), std::fflush(stdout);
    }
    done = true;
    reader.join();
    DeleteTree(HKEY_LOCAL_MACHINE, kGame, KEY_WOW64_32KEY);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kCopy);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kCopy);
    std::printf("rounds: %d\n", round);
    return 0;
}
