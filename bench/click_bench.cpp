// Game-choice benchmark: how long the toolkit takes to handle a click on a game radio, measured
// from outside as the real program runs under Wine: BM_CLICK is sent to the radio that is off and
// timed until the program's thread has handled it and answered. Two series: clicks that change the game
// family (Mireholt and Orvanta in turn) and clicks within Orvanta's family (Orvanta and Brightmoor in
// turn). Prints their medians and quartiles in microseconds.
//
//   click_bench.exe [rounds] [other.exe] [--trace FILE]   (default 10 rounds of 20 clicks a series)
//
// The toolkit is expected beside this executable. Each round starts it, clicks and ends it. With
// another build of it named, the two take turns round by round, so that both meet the same load.
// With --trace naming the file this program's standard error goes to (Wine hands it on to the
// programs it starts), a last round of each counts the registry calls a click makes, from Wine's
// trace of them: a figure that the machine's load does not change.
// For the run the bench sets up what makes the Settings Location label work hardest: both games
// installed with 40 values each, a per-user copy of each holding one different value, Mireholt set
// to run as administrator and 40 other programs' compatibility layers. It refuses to run where any of
// those keys exists, and removes them afterwards.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "bench_common.h"
#include "core/settings_location.h"
#include "toolkit_dlg_ids.h"
#include "win32/RegistryKey.h"

using namespace bench;

namespace {

const int kValues = 40;
const int kOtherPrograms = 40;

std::string Numbered(const char* prefix, int n) { return prefix + std::string(n < 10 ? "0" : "") + std::to_string(n); }

void SetText(const RegistryKey& key, const std::string& name, const std::string& text) {
    key.Set(name.c_str(), REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool HasWow6432Node() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64);
}

std::string OtherProgram(int n) { return "C:\\Programs\\" + Numbered("Other", n) + "\\other.exe"; }

class Setup {
public:
    bool Make() {
        for (GameFamily family : {GameFamily::Orvanta, GameFamily::Mireholt}) {
            RegistryKey machine, copy;
            if (machine.Open(HKEY_LOCAL_MACHINE, KeyPathOf(family), KEY_READ | KEY_WOW64_32KEY) == ERROR_SUCCESS ||
                copy.Open(HKEY_CURRENT_USER, UserCopy(family).c_str(), KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
                std::fprintf(stderr, "%s's key or per-user copy exists already: run in a prefix without them\n",
                             FamilyToken(family));
                return false;
            }
        }
        made_ = true;
        for (GameFamily family : {GameFamily::Orvanta, GameFamily::Mireholt}) {
            RegistryKey machine, copy;
            machine.Create(HKEY_LOCAL_MACHINE, KeyPathOf(family), KEY_ALL_ACCESS | KEY_WOW64_32KEY);
            copy.Create(HKEY_CURRENT_USER, UserCopy(family).c_str(), KEY_ALL_ACCESS | KEY_WOW64_64KEY);
            SetText(machine, "InstallationPath", OwnDir());
            SetText(machine, "MultiplayerManualHostAddress", "192.0.2.7");
            SetText(machine, "MultiplayerManualJoinPort", "2346");
            for (int n = 1; n <= kValues; ++n) {
                SetText(machine, Numbered("Setting", n), "value " + std::to_string(n));
                SetText(copy, Numbered("Setting", n), n == kValues / 2 ? "mine" : "value " + std::to_string(n));
            }
        }
        RegistryKey layers;
        layers.Create(HKEY_CURRENT_USER, kLayersKeyPath, KEY_ALL_ACCESS);
        for (int n = 1; n <= kOtherPrograms; ++n) SetText(layers, OtherProgram(n), "~ WIN7RTM");
        SetText(layers, PathInFolder(OwnDir(), "Mireholt.exe"), "~ RUNASADMIN");
        return true;
    }
    ~Setup() {
        if (!made_) return;
        for (GameFamily family : {GameFamily::Orvanta, GameFamily::Mireholt}) {
            RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPathOf(family), KEY_WOW64_32KEY);
            RegistryKey::DeleteTree(HKEY_CURRENT_USER, UserCopy(family).c_str(), KEY_WOW64_64KEY);
        }
        RegistryKey layers;
        layers.Open(HKEY_CURRENT_USER, kLayersKeyPath, KEY_SET_VALUE);
        for (int n = 1; n <= kOtherPrograms; ++n) layers.DeleteValue(OtherProgram(n).c_str());
        layers.DeleteValue(PathInFolder(OwnDir(), "Mireholt.exe").c_str());
    }

private:
    static std::string UserCopy(GameFamily family) { return VirtualStorePath(family, HasWow6432Node()); }
    bool made_ = false;
};

// Clicks the two radios in turn, starting with the first, which must be off; adds the microseconds
// each click took to be handled. The click is sent rather than posted, so that the time ends exactly
// when the handler returns: in this set-up no click opens a message box that would keep it from
// returning (and the deadline would end the wait). False when a click was not handled in time.
bool ClickInTurn(HWND main, int firstId, int secondId, int clicks, std::vector<double>* times) {
    for (int i = 0; i < clicks; ++i) {
        HWND radio = ::GetDlgItem(main, i % 2 ? secondId : firstId);
        DWORD_PTR result = 0;
        const double start = NowMs();
        if (!::SendMessageTimeoutA(radio, BM_CLICK, 0, 0, SMTO_NORMAL, kTimeoutMs, &result)) return false;
        if (times) times->push_back((NowMs() - start) * 1000.0);
    }
    return true;
}

struct Series {
    std::vector<double> families, orvanta;
    double familiesCalls = 0, orvantaCalls = 0;  // registry calls a click, from the traced round
};

// The registry calls of the programs this one starts, counted in its own standard error: Wine writes
// there a line for each call into the kernel when the program runs with the "reg" trace
// (NtOpenKeyEx, NtQueryValueKey, NtEnumerateValueKey, ...; one more line for the result of some).
class RegistryTrace {
public:
    explicit RegistryTrace(const std::string& errorFile) : path_(errorFile) {}
    long Calls() const {
        std::FILE* in = std::fopen(path_.c_str(), "rb");
        if (!in) return 0;
        long calls = 0;
        char line[512];
        while (std::fgets(line, sizeof line, in))
            calls += std::strstr(line, ":trace:reg:Nt") && !std::strstr(line, " <- ");
        std::fclose(in);
        return calls;
    }

private:
    std::string path_;
};

// Clicks both series; with a trace, counts instead of timing.
bool ClickBoth(HWND main, int clicks, Series* series, const RegistryTrace* trace) {
    // Mireholt is on at the start, and again after each series of an even number of clicks. The first
    // clicks of each kind are not measured: they pay for loading what they use.
    if (!ClickInTurn(main, IDC_SELECT_OV, IDC_SELECT_MH, 4, nullptr)) return false;
    long before = trace ? trace->Calls() : 0;
    if (!ClickInTurn(main, IDC_SELECT_OV, IDC_SELECT_MH, clicks, trace ? nullptr : &series->families)) return false;
    if (trace) series->familiesCalls = static_cast<double>(trace->Calls() - before) / clicks;
    if (!ClickInTurn(main, IDC_SELECT_OV, IDC_SELECT_BM, 2, nullptr)) return false;
    before = trace ? trace->Calls() : 0;
    if (!ClickInTurn(main, IDC_SELECT_OV, IDC_SELECT_BM, clicks, trace ? nullptr : &series->orvanta)) return false;
    if (trace) series->orvantaCalls = static_cast<double>(trace->Calls() - before) / clicks;
    return true;
}

// One round: starts the program (with its registry calls traced, when counting), clicks and ends it.
bool Round(const std::string& exe, int clicks, Series* series, const RegistryTrace* trace) {
    char debug[256] = {};
    const bool hadDebug = ::GetEnvironmentVariableA("WINEDEBUG", debug, sizeof debug) != 0;
    if (trace) ::SetEnvironmentVariableA("WINEDEBUG", "trace+reg");  // what the program inherits
    Program program(exe);
    ::SetEnvironmentVariableA("WINEDEBUG", hadDebug ? debug : nullptr);
    HWND main = program.WaitMain(NowMs());
    return main && ClickBoth(main, clicks, series, trace);
}

void Report(const char* what, std::vector<double> times, const double* calls) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    std::printf("  %-32s median %6.0f us (quartiles %.0f, %.0f; %zu clicks)", what, Median(times), times[n / 4],
                times[3 * n / 4], n);
    if (calls) std::printf(", %.1f registry calls a click", *calls);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int kClicks = 20;
    int rounds = 10;
    std::vector<std::string> programs = {OwnDir() + "\\MHToolkit.exe"};
    std::optional<RegistryTrace> trace;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trace" && i + 1 < argc)
            trace.emplace(argv[++i]);
        else if (arg.find_first_not_of("0123456789") == std::string::npos)
            rounds = std::max(2, std::atoi(arg.c_str()));
        else
            programs.push_back(arg);
    }
    if (::FindWindowA(nullptr, kTitle)) {
        std::fprintf(stderr, "a window titled \"%s\" is open already: the toolkit would refuse to start\n", kTitle);
        return 2;
    }
    Setup setup;
    if (!setup.Make()) return 2;
    std::vector<Series> series(programs.size());
    // With a trace, one more round of each program counts its registry calls rather than timing them.
    for (int round = 0; round < rounds + (trace ? 1 : 0); ++round) {
        for (size_t i = 0; i < programs.size(); ++i) {
            const size_t p = (i + round) % programs.size();  // each goes first in turn
            if (!Round(programs[p], kClicks, &series[p], round == rounds ? &*trace : nullptr)) {
                std::fprintf(stderr, "benchmark stopped: %s did not handle a click within %lu ms\n",
                             programs[p].c_str(), kTimeoutMs);
                return 1;
            }
        }
    }
    std::printf("game radio click, sent until handled (%d rounds)\n", rounds);
    for (size_t p = 0; p < programs.size(); ++p) {
        std::printf("%s\n", programs[p].c_str());
        Report("Mireholt and Orvanta in turn:", series[p].families, trace ? &series[p].familiesCalls : nullptr);
        Report("Orvanta and Brightmoor in turn:", series[p].orvanta, trace ? &series[p].orvantaCalls : nullptr);
    }
    return 0;
}
