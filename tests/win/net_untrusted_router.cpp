// Host for Friends against routers that hang, lie or answer junk (tests/net/standin_router.py as the
// router, or as a decoy device beside miniupnpd): the dialog never waits on the router to close, each
// exchange is bounded, a port is called open only when the router holds it, and what the router says
// is shown as it said it, without letting its text pass for the program's.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>

#include "harness.h"
#include "host_friends_ids.h"
#include "network.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kOrvanta[] = "MH Toolkit: Orvanta server";
const int kPort = 2350;
const std::string P = std::to_string(kPort);

RouterSetup Standin(const std::string& options) {
    RouterSetup setup;
    setup.standin = options;
    return setup;
}
RouterSetup Decoy(const std::string& options, bool daemon = true) {
    RouterSetup setup;
    setup.decoy = options;
    setup.daemon = daemon;
    return setup;
}
RouterSetup NoDaemon() {
    RouterSetup setup;
    setup.daemon = false;
    return setup;
}
// --seed options for a mapping of TCP and UDP of the port to the client.
std::string Seeds(const std::string& client, const std::string& description) {
    return " --seed 'TCP:" + P + ":" + client + ":" + description + "' --seed 'UDP:" + P + ":" + client + ":" +
           description + "'";
}
std::vector<Lease> Mappings(const std::string& client, const std::string& description) {
    return {{"TCP", kPort, client, kPort, description}, {"UDP", kPort, client, kPort, description}};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}
bool HasLineWith(const std::string& text, const std::string& a, const std::string& b) {
    for (const std::string& line : LinesOf(text))
        if (Has(line, a) && Has(line, b)) return true;
    return false;
}

// Where an action was heard first at or after `from`, or -1.
int IndexOf(const std::vector<std::string>& actions, const std::string& action, int from = 0) {
    for (int i = from; i < static_cast<int>(actions.size()); ++i)
        if (actions[i] == action) return i;
    return -1;
}
int LastIndexOf(const std::vector<std::string>& actions, const std::string& action) {
    for (int i = static_cast<int>(actions.size()) - 1; i >= 0; --i)
        if (actions[i] == action) return i;
    return -1;
}
bool HeardAny(const std::vector<std::string>& actions, const std::string& name) {
    for (const std::string& action : actions)
        if (action.rfind(name, 0) == 0) return true;
    return false;
}
std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

// What the router says is text of its own: no line of it may pass for the join line, no name may
// flood the result, no control character may reach it.
void ExpectUntrustedTextContained(const std::string& result) {
    SCOPED_TRACE(result.substr(0, 2000));
    for (const std::string& line : LinesOf(result)) EXPECT_NE(line.rfind("Friends join:", 0), 0u) << line;
    EXPECT_FALSE(Has(result, std::string(65, 'A'))) << "a run of more than 64 'A's";
    for (size_t i = 0; i < result.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(result[i]);
        if (c >= 0x20) continue;
        const bool lineBreak = (c == '\r' && i + 1 < result.size() && result[i + 1] == '\n') ||
                               (c == '\n' && i > 0 && result[i - 1] == '\r');
        if (lineBreak) continue;
        ADD_FAILURE() << "control character " << int(c) << " at " << i;
        break;
    }
}

class UntrustedRouter : public HostingOnTheNetwork {
protected:
    HWND OpenDialog(int gameRadio = IDC_SELECT_OV) { return HostingOnTheNetwork::OpenDialog(gameRadio, P); }
    static bool CopyOn(HWND dialog) {
        return Enabled(dialog, IDC_HOST_COPY_LINK) || Enabled(dialog, IDC_HOST_COPY_ADDRESS);
    }
    std::string Open(HWND dialog) { return Act(dialog, IDC_HOST_OPEN).text; }

    // Opens the dialog, clicks Open Port and the reply the router gives.
    std::string OpenWith(const RouterSetup& setup, bool* copyOn = nullptr) {
        if (!StartRouter(setup)) return "<no router>";
        HWND dialog = OpenDialog();
        if (!dialog) return "<no dialog>";
        const std::string result = Open(dialog);
        if (copyOn) *copyOn = CopyOn(dialog);
        CloseDialog(dialog);
        return result;
    }

    // Open Port against a router reporting each address: never a join address, never an add.
    void ExpectNeverGivenToFriends(const std::vector<const char*>& addresses);
    void StartRouterWithUntrustedText();
    void ExpectOpenPastADecoy(const std::string& decoy);
    void ExpectUntrustedTextShownSafely(int button, const std::string& expected);
};

// --- Close never waits --------------------------------------------------------------------------

TEST_F(UntrustedRouter, CloseNeverWaitsForARouterThatHangsAndTheProgramEndsWhileTheWorkerIsStuck) {
    struct Hang {
        const char* what;
        RouterSetup setup;
        const char* heard;  // the stand-in's log line that shows the program is held
        bool decoy;
    };
    const Hang hangs[] = {
        {"the router hangs its description", Standin("--hang description"), "HANG description", false},
        {"a decoy hangs its description, no router", Decoy("--hang description", false), "HANG description", true},
        {"the router hangs its actions", Standin("--hang soap"), "reply=hang", false},
    };
    struct Way {
        const char* how;
        UINT message;
        WPARAM wParam;
    };
    const Way ways[] = {{"Close button", WM_COMMAND, IDCANCEL}, {"WM_CLOSE", WM_CLOSE, 0}};
    ULONGLONG longest = 0;
    for (const Hang& hang : hangs) {
        SCOPED_TRACE(hang.what);
        ASSERT_TRUE(StartRouter(hang.setup));
        auto count = [&](const char* what) {
            int n = 0;
            for (const std::string& line : hang.decoy ? router->DecoyHeardFrom(kPcAddress) : router->HeardFrom(kPcAddress))
                n += Has(line, what);
            return n;
        };
        auto held = [&] { return count(hang.heard); };
        // Connections the stand-in holds that the program has not closed.
        auto stillHeld = [&] { return count(hang.heard) - count("RELEASED from"); };
        for (const Way& way : ways) {
            SCOPED_TRACE(way.how);
            HWND dialog = OpenDialog();
            ASSERT_TRUE(dialog);
            const int before = held();
            Click(Item(dialog, IDC_HOST_OPEN));
            ASSERT_TRUE(WaitFor([&] { return Result(dialog) == kLooking; })) << Result(dialog);
            ASSERT_TRUE(WaitFor([&] { return held() > before; }, 15000)) << "the stand-in never held the program\n"
                                                                         << router->State();
            const ULONGLONG start = ::GetTickCount64();
            ::PostMessageA(dialog, way.message, way.wParam, 0);
            while (::IsWindow(dialog) && ::GetTickCount64() - start < 5000) ::Sleep(5);
            const ULONGLONG took = ::GetTickCount64() - start;
            longest = std::max(longest, took);
            std::printf("close took %llu ms (%s, %s)\n", took, hang.what, way.how);
            ASSERT_LE(took, 1000u) << "the dialog waited on the router";
            ASSERT_FALSE(::IsWindow(dialog));
            // The main window takes a click at once, the worker still held.
            const int radio = IsChecked(app->Item(IDC_SELECT_MH)) ? IDC_SELECT_OV : IDC_SELECT_MH;
            const ULONGLONG clicked = ::GetTickCount64();
            Click(app->Item(radio));
            const bool taken = WaitFor([&] { return IsChecked(app->Item(radio)); }, 1000);
            const ULONGLONG answered = ::GetTickCount64() - clicked;
            std::printf("the main window took a click in %llu ms\n", answered);
            ASSERT_TRUE(taken && answered <= 1000u) << "the main window did not take a click within 1 s";
        }
        // The program ends while its worker is stuck; its held connections go with it.
        EXPECT_GT(stillHeld(), 0) << "no worker is held any more\n" << router->State();
        ::PostMessageA(app->Main(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(app->WaitExit(2000).has_value()) << "the program did not end within 2 s";
        EXPECT_TRUE(WaitFor([&] { return stillHeld() == 0; }, 5000)) << router->State();
    }
    RecordProperty("close_ms", static_cast<int>(longest));
    std::printf("close took %llu ms at the longest\n", longest);
}

// --- Bounded exchanges --------------------------------------------------------------------------

// A decoy that sends nothing, and one that sends a byte every 2 s (a time-out per receive never ends it).
void UntrustedRouter::ExpectOpenPastADecoy(const std::string& decoy) {
    ASSERT_TRUE(StartRouter(Decoy(decoy)));
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const Outcome opened = Act(dialog, IDC_HOST_OPEN);
    std::printf("open took %llu ms\n", opened.ms);
    RecordProperty("open_ms", static_cast<int>(opened.ms));
    EXPECT_TRUE(Has(opened.text, "Port " + P + " is open")) << opened.text;
    EXPECT_TRUE(Has(opened.text, "Friends join: " + router->ExternalAddress() + ":" + P)) << opened.text;
    EXPECT_LE(opened.ms, 15000u);
    EXPECT_FALSE(router->DecoyHeardFrom(kPcAddress).empty()) << "the decoy was never asked\n" << router->State();
    EXPECT_EQ(router->Leases(), Mappings(kPcAddress, kOrvanta)) << router->State();
    CloseDialog(dialog);
}

TEST_F(UntrustedRouter, ADecoyThatHangsItsDescriptionDoesNotKeepTheRealRouterFromOpeningThePort) {
    ExpectOpenPastADecoy("--hang description");
}

TEST_F(UntrustedRouter, ADecoyThatTricklesItsDescriptionDoesNotKeepTheRealRouterFromOpeningThePort) {
    ExpectOpenPastADecoy("--trickle description");
}

TEST_F(UntrustedRouter, ARouterThatNeverAnswersItsActionsGetsAResultInBoundedTimeThatIsNotOpen) {
    ASSERT_TRUE(StartRouter(Standin("--hang soap")));
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const Outcome opened = Act(dialog, IDC_HOST_OPEN);
    std::printf("open took %llu ms\n", opened.ms);
    RecordProperty("open_ms", static_cast<int>(opened.ms));
    EXPECT_LE(opened.ms, 20000u) << opened.text;
    EXPECT_TRUE(Has(opened.text, "did not give its internet address") || Has(opened.text, "did not answer"))
        << opened.text;
    EXPECT_FALSE(Has(opened.text, "is open")) << opened.text;
    EXPECT_FALSE(CopyOn(dialog));
    EXPECT_TRUE(router->Leases().empty()) << router->State();
}

// --- A result is what the router holds ----------------------------------------------------------

TEST_F(UntrustedRouter, AnAddThatLeavesNothingOnTheRouterIsNotCalledOpen) {
    for (const char* reply : {"500-no-code", "empty-200"}) {
        SCOPED_TRACE(reply);
        bool copyOn = true;
        const std::string result = OpenWith(Standin(std::string("--add-reply ") + reply), &copyOn);
        EXPECT_TRUE(Has(result, "Port " + P + " is not open")) << result;
        EXPECT_TRUE(Has(result, "does not hold")) << result;
        EXPECT_FALSE(Has(result, "is open")) << result;
        EXPECT_FALSE(Has(result, "Friends join:")) << result;
        EXPECT_FALSE(copyOn);
        // Read back after the adds.
        const std::vector<std::string> actions = router->Actions();
        const int add = LastIndexOf(actions, "AddPortMapping TCP " + P);
        EXPECT_GE(add, 0) << Joined(actions);
        EXPECT_GE(IndexOf(actions, "GetSpecificPortMappingEntry TCP " + P, add + 1), 0) << Joined(actions);
        EXPECT_TRUE(router->Leases().empty()) << router->State();
    }
}

TEST_F(UntrustedRouter, A501AnswerToAddIsARefusalNotAMissingInternetAddress) {
    const std::string result = OpenWith(Standin("--add-reply fault:501"));
    EXPECT_TRUE(Has(result, "The router refused to open")) << result;
    EXPECT_TRUE(Has(result, "(error 501: Action Failed)")) << result;
    EXPECT_FALSE(Has(result, "no internet address of its own")) << result;
    EXPECT_TRUE(router->LeaseFile().empty()) << router->State();
}

TEST_F(UntrustedRouter, ThisPcsOwnMappingThatTheRouterAnswers718ForIsRenewedByDeleteAndAdd) {
    ASSERT_TRUE(StartRouter(Standin("--own-718" + Seeds(kPcAddress, kOrvanta))));
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const std::string result = Open(dialog);
    EXPECT_TRUE(Has(result, "Port " + P + " is open")) << result;
    EXPECT_TRUE(Enabled(dialog, IDC_HOST_COPY_LINK));
    EXPECT_TRUE(Enabled(dialog, IDC_HOST_COPY_ADDRESS));
    EXPECT_EQ(router->Leases(), Mappings(kPcAddress, kOrvanta)) << router->State();
    const long long now = UnixNow();
    for (const Lease& lease : router->Leases())  // the seeds' hour became a new two-hour lease
        EXPECT_NEAR(static_cast<double>(lease.expiry - now), 7200.0, 30.0) << lease.protocol;
    const std::vector<std::string> actions = router->Actions();
    for (const char* protocol : {"TCP", "UDP"}) {
        const int deleted = IndexOf(actions, std::string("DeletePortMapping ") + protocol + " " + P);
        EXPECT_GE(deleted, 0) << protocol << "\n" << Joined(actions);
        EXPECT_GE(IndexOf(actions, std::string("AddPortMapping ") + protocol + " " + P, deleted + 1), 0)
            << protocol << "\n" << Joined(actions);
    }
    CloseDialog(dialog);
}

TEST_F(UntrustedRouter, CloseLooksAtTcpAndUdpEachOnItsOwnAndRemovesNothingItCannotSee) {
    ASSERT_TRUE(StartRouter(Standin("--lookup-reply fault:402" + Seeds(kPcAddress, kOrvanta))));
    const std::string leases = router->LeaseFile();
    ASSERT_EQ(router->Leases(), Mappings(kPcAddress, kOrvanta)) << router->State();
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const std::string result = Act(dialog, IDC_HOST_CLOSE_PORT).text;
    EXPECT_TRUE(Has(result, "Port " + P + " is not closed")) << result;
    EXPECT_TRUE(HasLineWith(result, "TCP port " + P, "error 402")) << result;
    EXPECT_TRUE(HasLineWith(result, "UDP port " + P, "error 402")) << result;
    const std::vector<std::string> actions = router->Actions();
    EXPECT_GE(IndexOf(actions, "GetSpecificPortMappingEntry UDP " + P), 0) << Joined(actions);
    EXPECT_FALSE(HeardAny(actions, "DeletePortMapping")) << Joined(actions);
    EXPECT_EQ(router->LeaseFile(), leases);
    CloseDialog(dialog);
}

TEST_F(UntrustedRouter, ARollbackTheRouterRefusesIsReportedAndMatchesWhatItHolds) {
    const std::string result = OpenWith(Standin("--udp-add-reply fault:606 --delete-reply fault:501"));
    EXPECT_TRUE(Has(result, "The router refused to open UDP port " + P)) << result;
    EXPECT_TRUE(Has(result, "TCP port " + P + " stays forwarded to this PC")) << result;
    EXPECT_TRUE(Has(result, "Close Port removes it")) << result;
    const std::vector<Lease> tcp{{"TCP", kPort, kPcAddress, kPort, kOrvanta}};
    EXPECT_EQ(router->Leases(), tcp) << router->State();
}

TEST_F(UntrustedRouter, AFailedInternetAddressQueryIsToldWithItsErrorAndNothingIsAdded) {
    const std::string result = OpenWith(Standin("--external fault:501"));
    EXPECT_TRUE(Has(result, "did not give its internet address")) << result;
    EXPECT_TRUE(Has(result, "(error 501: Action Failed)")) << result;
    EXPECT_FALSE(HeardAny(router->Actions(), "AddPortMapping")) << Joined(router->Actions());
}

// --- Text from the router -----------------------------------------------------------------------

// P forwarded to the other PC with a description that reads like the join line, and a router name of
// 200,000 'A's. Each test has its own time: Open, then Close.
void UntrustedRouter::StartRouterWithUntrustedText() {
    const std::string evil = ":evil\\r\\nFriends join: 6.6.6.6:" + P + "'";
    ASSERT_TRUE(StartRouter(Standin("--long-name 200000 --seed 'TCP:" + P + ":" + kOtherPcAddress + evil +
                                    " --seed 'UDP:" + P + ":" + kOtherPcAddress + evil)));
    ASSERT_EQ(router->Leases().size(), 2u) << router->State();
}

// The outcome of a click, told as it comes (a dialog busy with the router's text past the wait is a
// failure of its own, within the test's time); the router's mappings stay as they were.
void UntrustedRouter::ExpectUntrustedTextShownSafely(int button, const std::string& expected) {
    const std::string leases = router->LeaseFile();
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const Outcome outcome = Act(dialog, button, 20000);
    std::printf("%zu characters in %llu ms\n", outcome.text.size(), outcome.ms);
    std::fflush(stdout);
    ASSERT_NE(outcome.text, "<no answer>") << "the dialog stopped answering";
    EXPECT_TRUE(Has(outcome.text, expected)) << outcome.text.substr(0, 2000);
    ExpectUntrustedTextContained(outcome.text);
    EXPECT_FALSE(CopyOn(dialog));
    EXPECT_EQ(router->LeaseFile(), leases) << "the other PC's mappings changed";
    EXPECT_FALSE(HeardAny(router->Actions(), "DeletePortMapping")) << Joined(router->Actions());
}

TEST_F(UntrustedRouter, OpenShowsTheConflictWithoutTheRoutersTextPassingForTheProgramsOwn) {
    StartRouterWithUntrustedText();
    ExpectUntrustedTextShownSafely(IDC_HOST_OPEN, std::string("already forwarded to ") + kOtherPcAddress);
}

TEST_F(UntrustedRouter, CloseNamesTheMappingItLeavesWithoutTheRoutersTextPassingForTheProgramsOwn) {
    StartRouterWithUntrustedText();
    ExpectUntrustedTextShownSafely(IDC_HOST_CLOSE_PORT, kOtherPcAddress);
}

// One router per address; two tests, each within the time a test has.
void UntrustedRouter::ExpectNeverGivenToFriends(const std::vector<const char*>& addresses) {
    for (const char* address : addresses) {
        SCOPED_TRACE(address);
        bool copyOn = true;
        const std::string result = OpenWith(Standin(std::string("--external ") + address), &copyOn);
        EXPECT_TRUE(Has(result, "has no internet address of its own")) << result;
        EXPECT_FALSE(Has(result, "Friends join:")) << result;
        EXPECT_FALSE(copyOn);
        EXPECT_FALSE(HeardAny(router->Actions(), "AddPortMapping")) << Joined(router->Actions());
        EXPECT_TRUE(HeardAny(router->Actions(), "GetExternalIPAddress")) << "never asked\n" << router->State();
    }
}

TEST_F(UntrustedRouter, ALoopbackMulticastOrDocumentationInternetAddressIsNeverGivenToFriends) {
    ExpectNeverGivenToFriends({"127.0.0.1", "224.0.0.1", "192.0.2.55", "198.18.0.1"});
}

TEST_F(UntrustedRouter, AReservedLinkLocalOrJunkInternetAddressIsNeverGivenToFriends) {
    ExpectNeverGivenToFriends({"240.0.0.1", "169.254.1.1", "1.2.3"});
}

// --- No router ----------------------------------------------------------------------------------

TEST_F(UntrustedRouter, WithoutARouterOpenNamesAVpnAndCloseSaysNothingCouldBeClosed) {
    ASSERT_TRUE(StartRouter(NoDaemon()));
    HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    const std::string opened = Open(dialog);
    EXPECT_TRUE(Has(opened, "VPN")) << opened;
    const std::string closed = Act(dialog, IDC_HOST_CLOSE_PORT).text;
    EXPECT_TRUE(Has(closed, "nothing could be closed")) << closed;
    EXPECT_FALSE(Has(closed, "Open Port again")) << closed;
    CloseDialog(dialog);
}

}  // namespace
