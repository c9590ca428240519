// Hosting for friends over each protocol a router may speak (miniupnpd with NAT-PMP and PCP, with
// one of them dropped, or UPnP alone, in namespaces: tests/net/router.sh): the port a friend gets
// through, the walls told apart, leases kept while the program runs and remade after a router
// restart, the quit that closes them, and what a killed program leaves.
#include <windows.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "host_friends_ids.h"
#include "network.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const std::string P = "2360";
constexpr int kPortNumber = 2360;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Speaking {
    const char* name;  // as the result names it
    RouterSetup setup;
};

RouterSetup Speaks(bool natpmp, const char* only = "", const char* wan = "public") {
    RouterSetup setup;
    setup.natpmp = natpmp;
    setup.only = only;
    setup.wan = wan;
    return setup;
}

// Each protocol chosen by a router that speaks it: PCP when it speaks all three.
const Speaking kProtocols[] = {
    {"PCP", Speaks(true)},
    {"NAT-PMP", Speaks(true, "natpmp")},
    {"UPnP", Speaks(false)},
};

// A router that grants PCP lifetimes of 10 s: a lease is renewed every 5 s.
RouterSetup ShortLeases() {
    RouterSetup setup = Speaks(true);
    setup.minLifetime = 4;
    setup.maxLifetime = 10;
    return setup;
}

class Hosting : public HostingOnTheNetwork {
protected:
    // The system menu's Host for Friends item as the main window shows it.
    std::string HostItem() {
        for (const harness::MenuItem& item : SystemMenu(app->Main()))
            if (item.id == IDM_HOST_FRIENDS) return item.text;
        return "<no item>";
    }

    // Opens the port from a dialog of its own, which is closed again; the result.
    std::string OpenAndLeave() {
        HWND dialog = OpenDialog(IDC_SELECT_OV, P);
        if (!dialog) return "<no dialog>";
        const std::string opened = Act(dialog, IDC_HOST_OPEN).text;
        CloseDialog(dialog);
        return opened;
    }

    // Asks the main window to end as Esc does; the question asked.
    MessageBoxInfo AskToQuit() {
        ::PostMessageA(app->Main(), WM_COMMAND, IDCANCEL, 0);
        return app->WaitMessageBox();
    }

    bool Forwarded() { return router->Rules() == ForwardRules(kPortNumber, kPcAddress); }
};

TEST_F(Hosting, EachProtocolOpensAVerifiedPortThatAFriendGetsThroughAndCloseTakesBack) {
    for (const Speaking& protocol : kProtocols) {
        SCOPED_TRACE(protocol.name);
        ASSERT_TRUE(StartRouter(protocol.setup));
        HWND dialog = OpenDialog(IDC_SELECT_OV, P);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(HostItem(), "Host for Friends...");
        const Outcome opened = Act(dialog, IDC_HOST_OPEN);
        EXPECT_TRUE(Has(opened.text, "Port " + P + " is open")) << opened.text;
        EXPECT_TRUE(Has(opened.text, std::string("asked with ") + protocol.name)) << opened.text;
        EXPECT_TRUE(Has(opened.text, "Friends join: " + router->ExternalAddress() + ":" + P)) << opened.text;
        EXPECT_TRUE(Forwarded()) << router->State();
        const UnixRun echo = router->FriendEcho(kPortNumber);
        EXPECT_EQ(echo.status, 0) << echo.output << router->State();
        EXPECT_EQ(HostItem(), "Host for Friends... (port " + P + " open)");

        const Outcome closed = Act(dialog, IDC_HOST_CLOSE_PORT);
        EXPECT_TRUE(Has(closed.text, "Port " + P + " is closed")) << closed.text;
        EXPECT_TRUE(router->Rules().empty()) << router->State();
        EXPECT_EQ(HostItem(), "Host for Friends...");
        CloseDialog(dialog);
        EXPECT_TRUE(app->NoMessageWindow());
    }
}

TEST_F(Hosting, CarrierGradeNatAndARouterBehindARouterGetTheirOwnAdvice) {
    // PCP's refusal names the router's WAN address. miniupnpd's NAT-PMP (result 3) and UPnP (an empty
    // address) name none: the text then names both walls and both remedies, and claims neither.
    struct Wall {
        const char* wan;
        const Speaking& protocol;
        std::vector<std::string> phrases, absent;
    };
    const std::vector<std::string> unknown = {"reports none", "carrier-grade NAT or another router", "bridge mode",
                                              "ask it for a public IPv4 address"};
    const Wall walls[] = {
        {"cgnat", kProtocols[0], {"100.64.10.1", "carrier-grade NAT", "Ask your provider for a public IPv4 address"},
         {"bridge mode"}},
        {"private", kProtocols[0], {"10.99.0.1", "another router", "on that first router as well", "bridge mode"},
         {"IPv4 address"}},
        {"cgnat", kProtocols[1], unknown, {"100.64"}},
        {"private", kProtocols[1], unknown, {"10.99"}},
        {"cgnat", kProtocols[2], unknown, {"100.64"}},
        {"private", kProtocols[2], unknown, {"10.99"}},
    };
    for (const Wall& wall : walls) {
        SCOPED_TRACE(std::string(wall.wan) + " " + wall.protocol.name);
        RouterSetup setup = wall.protocol.setup;
        setup.wan = wall.wan;
        ASSERT_TRUE(StartRouter(setup));
        const std::string result = OpenAndLeave();
        for (const std::string& phrase : wall.phrases) EXPECT_TRUE(Has(result, phrase)) << phrase << "\n" << result;
        for (const std::string& phrase : wall.absent) EXPECT_FALSE(Has(result, phrase)) << phrase << "\n" << result;
        EXPECT_TRUE(router->Rules().empty()) << router->State();
        EXPECT_EQ(HostItem(), "Host for Friends...");
    }
}

TEST_F(Hosting, ALeaseIsRenewedWhileTheProgramRunsAndMadeAgainAfterTheRouterRestarts) {
    // PCP: miniupnpd granting 10 s leases; UPnP: the stand-in router granting 10 s leases and removing
    // a mapping whose lease ran out. Each forgets every mapping when it restarts.
    RouterSetup upnp;
    upnp.standin = "--max-lease 10";
    struct Case {
        const char* protocol;
        RouterSetup setup;
        bool nftables;  // miniupnpd's forwarding rules; the stand-in's lease file otherwise
    };
    const Case cases[] = {{"PCP", ShortLeases(), true}, {"UPnP", upnp, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        ASSERT_TRUE(StartRouter(c.setup));
        const std::vector<Lease> ours = {{"TCP", kPortNumber, kPcAddress, kPortNumber, "MH Toolkit: Orvanta server"},
                                         {"UDP", kPortNumber, kPcAddress, kPortNumber, "MH Toolkit: Orvanta server"}};
        auto held = [&] { return c.nftables ? Forwarded() : router->Leases() == ours; };
        EXPECT_TRUE(Has(OpenAndLeave(), std::string("asked with ") + c.protocol));
        ASSERT_TRUE(held()) << router->State();
        // Three lifetimes later, with no dialog open, the forwarding is still there. miniupnpd makes its
        // rules anew at each renewal, so they may be missing for a moment: an expired mapping's never
        // come back.
        ::Sleep(30000);
        EXPECT_TRUE(WaitFor(held, 3000)) << "not renewed\n" << router->State();

        // The restart empties the router's rules and lease file; a renewal makes them again.
        ASSERT_TRUE(router->Restart());
        EXPECT_TRUE(WaitFor(held, 15000)) << "not made again\n" << router->State();
        HWND dialog = OpenDialog(IDC_SELECT_OV, P);
        ASSERT_TRUE(dialog);
        std::string shown;  // the dialog's status is kept up to date every second
        WaitFor([&] { return Has(shown = Result(dialog), "had lost the forwarding"); }, 3000);
        for (const std::string& phrase : {std::string("is open for friends"), std::string("asked with ") + c.protocol,
                                          std::string("at a time; the next renewal is due in"),
                                          std::string("had lost the forwarding")})
            EXPECT_TRUE(Has(shown, phrase)) << phrase << "\n" << shown;
        EXPECT_TRUE(Has(shown, "Friends join: " + router->ExternalAddress() + ":" + P)) << shown;
        EXPECT_TRUE(Enabled(dialog, IDC_HOST_COPY_LINK));
        if (c.nftables) {
            const UnixRun echo = router->FriendEcho(kPortNumber);
            EXPECT_EQ(echo.status, 0) << echo.output << router->State();
        }
        CloseDialog(dialog);
    }
}

TEST_F(Hosting, TheDialogShowsAHeldPortWhenTheMainWindowHasNoneOrItIsTyped) {
    ASSERT_TRUE(StartRouter(Speaks(true)));
    ASSERT_TRUE(Has(OpenAndLeave(), "is open"));
    HWND dialog = OpenDialog(IDC_SELECT_MH, "");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Text(Item(dialog, IDC_HOST_PORT)), P);
    EXPECT_TRUE(Has(Result(dialog), "Port " + P + " is open for friends")) << Result(dialog);
    EXPECT_TRUE(Enabled(dialog, IDC_HOST_COPY_LINK));
    SetText(Item(dialog, IDC_HOST_PORT), "2361");
    EXPECT_EQ(Result(dialog), "");
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));
    SetText(Item(dialog, IDC_HOST_PORT), P);
    EXPECT_TRUE(Has(Result(dialog), "asked with PCP")) << Result(dialog);
    // The link names the game the port was opened for (Orvanta), not the one chosen now.
    SetClipboardText("before");
    Click(Item(dialog, IDC_HOST_COPY_LINK));
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() != "before"; })) << ClipboardText();
    EXPECT_EQ(ClipboardText(), "mhtoolkit://join/ov/" + router->ExternalAddress() + ":" + P);
    CloseDialog(dialog);
}

TEST_F(Hosting, ARenewalThatFailsIsToldInTheMenuAndTheDialog) {
    ASSERT_TRUE(StartRouter(ShortLeases()));
    ASSERT_TRUE(Has(OpenAndLeave(), "is open"));
    ASSERT_TRUE(router->Stop());
    // The renewal due 5 s after Open finds no router: within its 2 s request time, and the search's.
    EXPECT_TRUE(WaitFor([&] { return HostItem() == "Host for Friends... (port " + P + ": renewal failed)"; }, 20000))
        << HostItem();
    HWND dialog = OpenDialog(IDC_SELECT_OV, P);
    ASSERT_TRUE(dialog);
    const std::string shown = Result(dialog);
    for (const char* phrase : {"may no longer be open for friends", "The last renewal failed", "tries again in",
                               "friends may not get through"})
        EXPECT_TRUE(Has(shown, phrase)) << phrase << "\n" << shown;
    EXPECT_FALSE(Has(shown, "is open for friends")) << shown;
    CloseDialog(dialog);
}

TEST_F(Hosting, QuitAsksFirstNoKeepsThePortAndYesClosesItWithinThreeSeconds) {
    ASSERT_TRUE(StartRouter(Speaks(true)));
    ASSERT_TRUE(Has(OpenAndLeave(), "is open"));
    MessageBoxInfo box = AskToQuit();
    EXPECT_EQ(box.text, "Port " + P + " is open for friends. Close it and quit?");
    // Yes and No, Yes the default.
    EXPECT_TRUE(::GetDlgItem(box.hWnd, IDYES) && ::GetDlgItem(box.hWnd, IDNO));
    EXPECT_FALSE(::GetDlgItem(box.hWnd, IDCANCEL));
    EXPECT_EQ(::GetWindowLongA(::GetDlgItem(box.hWnd, IDYES), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    app->Dismiss(box, IDNO);
    EXPECT_FALSE(app->WaitExit(1000).has_value()) << "No ended the program";
    EXPECT_TRUE(Forwarded()) << router->State();

    box = AskToQuit();
    const ULONGLONG start = ::GetTickCount64();
    app->Dismiss(box, IDYES);
    EXPECT_TRUE(app->WaitExit(10000).has_value());
    EXPECT_LE(::GetTickCount64() - start, 3500u);
    EXPECT_TRUE(router->Rules().empty()) << router->State();
    EXPECT_TRUE(router->Leases().empty()) << router->State();
}

TEST_F(Hosting, AKilledProgramsMappingIsFoundByTheNextOnesCloseOrEndsWithItsLease) {
    ASSERT_TRUE(StartRouter(ShortLeases()));
    ASSERT_TRUE(Has(OpenAndLeave(), "is open"));
    app.reset();  // killed: nothing is closed
    EXPECT_TRUE(Forwarded()) << router->State();
    HWND dialog = OpenDialog(IDC_SELECT_OV, P);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(HostItem(), "Host for Friends...");
    const std::string closed = Act(dialog, IDC_HOST_CLOSE_PORT).text;
    EXPECT_TRUE(Has(closed, "Port " + P + " is closed")) << closed;
    EXPECT_TRUE(router->Rules().empty()) << router->State();

    ASSERT_TRUE(Has(Act(dialog, IDC_HOST_OPEN).text, "is open"));
    app.reset();
    const ULONGLONG killed = ::GetTickCount64();
    EXPECT_TRUE(Forwarded()) << router->State();
    EXPECT_TRUE(WaitFor([&] { return router->Rules().empty(); }, 25000)) << router->State();
    // Gone with its 10 s lease (the router sweeps a few seconds late), not at once.
    EXPECT_GE(::GetTickCount64() - killed, 8000u);
}

TEST_F(Hosting, NothingIsSentBeforeOpenPortNorAfterClosePort) {
    ASSERT_TRUE(StartRouter(ShortLeases()));
    HWND dialog = OpenDialog(IDC_SELECT_OV, P);
    ASSERT_TRUE(dialog);
    ::Sleep(1000);
    EXPECT_TRUE(router->HeardFrom(kPcAddress).empty()) << router->State();
    ASSERT_TRUE(Has(Act(dialog, IDC_HOST_OPEN).text, "is open"));
    ASSERT_TRUE(Has(Act(dialog, IDC_HOST_CLOSE_PORT).text, "is closed"));
    const size_t heard = router->HeardFrom(kPcAddress).size();
    EXPECT_GT(heard, 0u);
    // Two renewals' time: nothing more.
    ::Sleep(12000);
    EXPECT_EQ(router->HeardFrom(kPcAddress).size(), heard) << router->State();
    CloseDialog(dialog);
}

}  // namespace
