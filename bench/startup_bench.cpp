// Start-up benchmark: the time from CreateProcess to a visible main window, for the toolkit and
// for the floor (a bare dialog on the same template), in alternating runs. Prints every run,
// the medians and the median of the per-round ratios.
//
//   startup_bench.exe [rounds]     (default 15, at least 10)
//
// Both programs are expected beside this executable (MHToolkit.exe, floor.exe). The toolkit
// starts as it would on a machine with Mireholt installed: the bench creates the game's key with
// a stored server for the run when the key is missing, and removes it again afterwards.
#include <windows.h>

#include <cstdlib>

#include "bench_common.h"

using namespace bench;

namespace {

const char kMireholtKey[] = "Software\\Tarnwell\\Mireholt";

// Starts the program, waits for its visible main window, closes it and waits for the end.
// Returns the milliseconds to the visible window, or a negative value on failure.
double TimeOneStart(const std::string& exe) {
    const double start = NowMs();
    Program program(exe);
    return program.WaitMain(start) ? NowMs() - start : -1;
}

void SetText(HKEY key, const char* name, const std::string& text) {
    ::RegSetValueExA(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
}

// Creates Mireholt's key with a stored server when it is missing; true when it did.
bool SeedMireholtKey() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMireholtKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        return false;
    }
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMireholtKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    SetText(key, "InstallationPath", OwnDir());
    SetText(key, "MultiplayerManualHostAddress", "192.0.2.7");
    SetText(key, "MultiplayerManualJoinPort", "2346");
    ::RegCloseKey(key);
    return true;
}

void RemoveMireholtKey() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMireholtKey, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) ==
        ERROR_SUCCESS) {
        ::RegDeleteTreeA(key, nullptr);
        ::RegCloseKey(key);
    }
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kMireholtKey, KEY_WOW64_32KEY, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = std::max(10, argc > 1 ? std::atoi(argv[1]) : 15);
    const std::string toolkit = OwnDir() + "\\MHToolkit.exe";
    const std::string floor = OwnDir() + "\\floor.exe";

    if (::FindWindowA(nullptr, kTitle)) {
        std::fprintf(stderr, "a window titled \"%s\" is open already: the toolkit would refuse to start\n", kTitle);
        return 2;
    }
    const bool seeded = SeedMireholtKey();

    // One start of each first, untimed: the first start of any program pays for loading the DLLs.
    bool ok = TimeOneStart(floor) >= 0 && TimeOneStart(toolkit) >= 0;

    std::vector<double> floorMs, toolkitMs, ratios;
    std::printf("round   floor ms  toolkit ms   ratio\n");
    for (int round = 0; ok && round < rounds; ++round) {
        // Alternate which goes first, so neither always follows the other.
        double f, t;
        if (round % 2 == 0) {
            f = TimeOneStart(floor);
            t = TimeOneStart(toolkit);
        } else {
            t = TimeOneStart(toolkit);
            f = TimeOneStart(floor);
        }
        if (f <= 0 || t < 0) {
            ok = false;
            break;
        }
        floorMs.push_back(f);
        toolkitMs.push_back(t);
        ratios.push_back(t / f);
        std::printf("%5d %10.1f %11.1f %7.3f\n", round + 1, f, t, t / f);
    }
    if (seeded) RemoveMireholtKey();
    if (!ok) {
        std::fprintf(stderr, "benchmark stopped: a program did not show its window\n");
        return 1;
    }

    const double ratio = Median(ratios);
    std::printf("\nstart-up to a visible main window, %d alternating rounds\n", rounds);
    std::printf("  floor (bare dialog, same template): median %.1f ms\n", Median(floorMs));
    std::printf("  MH Toolkit:                         median %.1f ms\n", Median(toolkitMs));
    std::printf("  median ratio toolkit/floor:         %.3f (target 1.05: %s)\n", ratio,
                ratio <= 1.05 ? "met" : "NOT met");
    return 0;
}
