// Host for Friends against the router of the network it runs in (scripts/bench.sh makes one per
// case, in namespaces): the time from a click on Open Port to the result shown, and of Close Port,
// round after round in one program; every round, then the medians.
//   host_bench.exe LABEL [rounds]
#include <windows.h>

#include <cstdlib>

#include "bench_common.h"
#include "host_friends_ids.h"

using namespace bench;

namespace {

const char kPort[] = "2390";
const char kLooking[] = "Looking for your router...";
constexpr DWORD kActionTimeoutMs = 30000;

// The window's text as its own process holds it (GetWindowText does not ask another process's edit).
std::string Text(HWND window) {
    char text[4096] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
    return text;
}

// Clicks the button and waits for the outcome: a result other than the search's, with the buttons
// back. The milliseconds from the click, or a negative number on time-out; the outcome's text.
double Act(HWND dialog, int button, std::string& outcome) {
    HWND result = ::GetDlgItem(dialog, IDC_HOST_RESULT), open = ::GetDlgItem(dialog, IDC_HOST_OPEN);
    ::SendMessageA(result, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    const double start = NowMs();
    ::PostMessageA(::GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    while (NowMs() - start < kActionTimeoutMs) {
        outcome = Text(result);
        if (!outcome.empty() && outcome != kLooking && ::IsWindowEnabled(open)) return NowMs() - start;
        ::Sleep(1);
    }
    return -1;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\r')); }

}  // namespace

int main(int argc, char** argv) {
    const std::string label = argc > 1 ? argv[1] : "router";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    Program program(OwnDir() + "\\MHToolkit.exe");
    HWND main = program.WaitMain(NowMs());
    if (!main) return 2;
    ::PostMessageA(main, WM_SYSCOMMAND, IDM_HOST_FRIENDS, 0);
    WindowSearch search{0, nullptr, "Host for Friends"};
    ::GetWindowThreadProcessId(main, &search.pid);
    for (const double start = NowMs(); !search.found && NowMs() - start < kTimeoutMs; ::Sleep(5))
        ::EnumWindows(FindVisibleTitled, reinterpret_cast<LPARAM>(&search));
    HWND dialog = search.found;
    if (!dialog) {
        std::fprintf(stderr, "no Host for Friends dialog\n");
        return 2;
    }
    ::SendMessageA(::GetDlgItem(dialog, IDC_HOST_PORT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPort));

    std::vector<double> opens, closes;
    std::string opened, closed;
    std::printf("Host for Friends, %s: Open Port and Close Port, ms from the click to the result\n", label.c_str());
    for (int round = 1; round <= rounds; ++round) {
        const double open = Act(dialog, IDC_HOST_OPEN, opened);
        const double close = Act(dialog, IDC_HOST_CLOSE_PORT, closed);
        if (open < 0 || close < 0) {
            std::fprintf(stderr, "round %d: no result within %lu ms\n", round, kActionTimeoutMs);
            return 1;
        }
        opens.push_back(open);
        closes.push_back(close);
        std::printf("  round %2d: open %7.1f  close %7.1f\n", round, open, close);
    }
    std::printf("  open result:  %s\n  close result: %s\n", FirstLine(opened).c_str(), FirstLine(closed).c_str());
    std::printf("%s: open median %.0f ms, close median %.0f ms (%d rounds)\n", label.c_str(), Median(opens),
                Median(closes), rounds);
    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
