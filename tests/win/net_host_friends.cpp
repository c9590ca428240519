// Host for Friends against a real router (miniupnpd in namespaces, tests/net/router.sh): what the
// router holds afterwards (its lease file and nftables rules, what it heard from this PC), what a
// friend on the internet side reaches, and what the dialog says.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "harness.h"
#include "host_friends_ids.h"
#include "network.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {


std::string Description(const std::string& game) { return "MH Toolkit: " + game + " server"; }

std::vector<Lease> Ours(int port, const std::string& description) {
    return {{"TCP", port, kPcAddress, port, description}, {"UDP", port, kPcAddress, port, description}};
}

RouterSetup Wan(const char* mode) {
    RouterSetup setup;
    setup.wan = mode;
    return setup;
}
RouterSetup NoDaemon() {
    RouterSetup setup;
    setup.daemon = false;  // no router answers, the search runs its full time
    return setup;
}
RouterSetup Rule(const char* rule) {
    RouterSetup setup;
    setup.rules.push_back(rule);
    return setup;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int ThreadCount(DWORD pid) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid) ++count;
    ::CloseHandle(snapshot);
    return count;
}

class HostForFriends : public HostingOnTheNetwork {
protected:
    static std::string Act(HWND dialog, int button) { return HostingOnTheNetwork::Act(dialog, button).text; }

    // Clicks a Copy button and returns the clipboard's text in both formats, once the dialog has
    // told of the copy (the clipboard is not opened meanwhile: that would keep the program out).
    static std::pair<std::string, std::string> Copy(HWND dialog, int button) {
        SetClipboardText("before");
        SetText(Item(dialog, IDC_HOST_RESULT), "");
        Click(Item(dialog, button));
        WaitFor([&] { return !Result(dialog).empty(); });
        return {ClipboardText(CF_UNICODETEXT), ClipboardText(CF_TEXT)};
    }

};

TEST_F(HostForFriends, OpenForwardsTcpAndUdpToThisPcSoAFriendGetsThroughAndCloseTakesThemBack) {
    ASSERT_TRUE(StartRouter());
    const std::string external = router->ExternalAddress();
    HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Text(Item(dialog, IDC_HOST_GAME)), "Orvanta");
    EXPECT_EQ(Text(Item(dialog, IDC_HOST_PORT)), "2350");
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_ADDRESS));
    EXPECT_TRUE(router->HeardFrom(kPcAddress).empty()) << "the router was asked before Open Port";

    const std::string opened = Act(dialog, IDC_HOST_OPEN);
    EXPECT_TRUE(Has(opened, "Friends join: " + external + ":2350")) << opened;
    EXPECT_TRUE(Has(opened, kRouterName)) << opened;
    EXPECT_EQ(router->Leases(), Ours(2350, Description("Orvanta"))) << router->State();
    // The lease asked for is two hours: the lease file's expiry is the time of the add plus 7200 s.
    const long long now = UnixNow();
    for (const Lease& lease : router->Leases())
        EXPECT_NEAR(static_cast<double>(lease.expiry - now), 7200.0, 30.0) << lease.protocol << "\n" << router->State();
    EXPECT_EQ(router->Rules(), ForwardRules(2350, kPcAddress)) << router->State();
    EXPECT_TRUE(Enabled(dialog, IDC_HOST_COPY_LINK));
    EXPECT_TRUE(Enabled(dialog, IDC_HOST_COPY_ADDRESS));
    const UnixRun through = router->FriendEcho(2350);
    EXPECT_EQ(through.status, 0) << "the friend's TCP and UDP echo:\n" << through.output << router->State();

    const std::string closed = Act(dialog, IDC_HOST_CLOSE_PORT);
    EXPECT_TRUE(Has(closed, "Port 2350 is closed")) << closed;
    EXPECT_TRUE(router->Leases().empty()) << router->State();
    EXPECT_TRUE(router->Rules().empty()) << router->State();
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));
    const UnixRun blocked = router->FriendEcho(2350);
    EXPECT_NE(blocked.status, 0) << "the friend still gets through:\n" << blocked.output;
    EXPECT_TRUE(app->NoMessageWindow());
    CloseDialog(dialog);
}

TEST_F(HostForFriends, CopyLinkAndCopyAddressGiveTheRoutersAddressAndEachGameDescribesItsMapping) {
    ASSERT_TRUE(StartRouter());
    const std::string external = router->ExternalAddress();
    struct Case {
        int radio;
        const char *game, *code;
        int port;
    };
    const Case cases[] = {{IDC_SELECT_OV, "Orvanta", "ov", 2351},
                          {IDC_SELECT_BM, "Brightmoor", "bm", 2352},
                          {IDC_SELECT_MH, "Mireholt", "mh", 23530}};
    std::vector<Lease> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.game);
        HWND dialog = OpenDialog(c.radio, std::to_string(c.port));
        ASSERT_TRUE(dialog);
        EXPECT_EQ(Text(Item(dialog, IDC_HOST_GAME)), c.game);
        const std::string opened = Act(dialog, IDC_HOST_OPEN);
        const std::string address = external + ":" + std::to_string(c.port);
        EXPECT_TRUE(Has(opened, "Friends join: " + address)) << opened;
        for (const Lease& lease : Ours(c.port, Description(c.game))) expected.push_back(lease);
        std::sort(expected.begin(), expected.end(), [](const Lease& a, const Lease& b) {
            return a.protocol != b.protocol ? a.protocol < b.protocol : a.externalPort < b.externalPort;
        });
        EXPECT_EQ(router->Leases(), expected) << router->State();

        const std::string link = std::string("mhtoolkit://join/") + c.code + "/" + address;
        EXPECT_EQ(Copy(dialog, IDC_HOST_COPY_LINK), std::make_pair(link, link));
        EXPECT_EQ(Copy(dialog, IDC_HOST_COPY_ADDRESS), std::make_pair(address, address));
        CloseDialog(dialog);  // the mapping stays
    }
    EXPECT_TRUE(app->NoMessageWindow());
}

TEST_F(HostForFriends, WithoutARouterItSaysSoAndHowToForwardThePortByHand) {
    ASSERT_TRUE(StartRouter(NoDaemon()));
    HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
    ASSERT_TRUE(dialog);
    const std::string result = Act(dialog, IDC_HOST_OPEN);
    EXPECT_TRUE(Has(result, "No router answered")) << result;
    EXPECT_TRUE(Has(result, "TCP and UDP port 2350")) << result;
    EXPECT_TRUE(Has(result, kPcAddress)) << result;
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));
    EXPECT_TRUE(app->NoMessageWindow());
    CloseDialog(dialog);
}

TEST_F(HostForFriends, ARouterWithoutAnInternetAddressOfItsOwnIsToldAndLeftWithoutMappings) {
    for (const char* wan : {"cgnat", "private"}) {
        SCOPED_TRACE(wan);
        ASSERT_TRUE(StartRouter(Wan(wan)));
        HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
        ASSERT_TRUE(dialog);
        const std::string result = Act(dialog, IDC_HOST_OPEN);
        EXPECT_TRUE(Has(result, "has no internet address of its own")) << result;
        EXPECT_TRUE(Has(result, "VPN")) << result;
        EXPECT_FALSE(router->HeardFrom(kPcAddress).empty()) << "the router was never asked";
        EXPECT_TRUE(router->Leases().empty()) << router->State();
        EXPECT_TRUE(router->Rules().empty()) << router->State();
        EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));
        CloseDialog(dialog);
        app.reset();
        router.reset();
    }
}

TEST_F(HostForFriends, APortAnotherPcHoldsIsNamedAndItsMappingStaysThroughOpenAndClose) {
    ASSERT_TRUE(StartRouter());
    ASSERT_TRUE(router->MapFrom("pc2", 2350, "the other PC")) << router->State();
    const std::vector<Lease> before = router->Leases();
    const std::vector<std::string> rules = router->Rules();
    ASSERT_EQ(before.size(), 2u) << router->State();
    HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
    ASSERT_TRUE(dialog);

    const std::string opened = Act(dialog, IDC_HOST_OPEN);
    EXPECT_TRUE(Has(opened, std::string("already forwarded to ") + kOtherPcAddress)) << opened;
    EXPECT_EQ(router->Leases(), before) << router->State();
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));

    const std::string closed = Act(dialog, IDC_HOST_CLOSE_PORT);
    EXPECT_TRUE(Has(closed, "Port 2350 is closed")) << closed;
    EXPECT_EQ(router->Leases(), before) << router->State();
    EXPECT_EQ(router->Rules(), rules) << router->State();
    CloseDialog(dialog);
}

TEST_F(HostForFriends, CloseLeavesAMappingOfThisPcThatAnotherProgramMade) {
    ASSERT_TRUE(StartRouter());
    ASSERT_TRUE(router->MapFrom("pc", 2350, "another program")) << router->State();
    const std::vector<Lease> before = router->Leases();
    ASSERT_EQ(before, Ours(2350, "another program")) << router->State();
    HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
    ASSERT_TRUE(dialog);
    const std::string closed = Act(dialog, IDC_HOST_CLOSE_PORT);
    EXPECT_TRUE(Has(closed, "Port 2350 is closed")) << closed;
    EXPECT_EQ(router->Leases(), before) << router->State();
    EXPECT_EQ(router->Rules(), ForwardRules(2350, kPcAddress)) << router->State();
    CloseDialog(dialog);
}

TEST_F(HostForFriends, ARefusalShowsTheRoutersErrorCodeAndText) {
    ASSERT_TRUE(StartRouter(Rule("deny 2350 0.0.0.0/0 0-65535")));
    HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
    ASSERT_TRUE(dialog);
    const std::string result = Act(dialog, IDC_HOST_OPEN);
    EXPECT_TRUE(Has(result, "The router refused")) << result;
    EXPECT_TRUE(std::regex_search(result, std::regex(R"(\(error 606: [^)]+\))"))) << result;
    EXPECT_TRUE(router->Leases().empty()) << router->State();
    EXPECT_TRUE(router->Rules().empty()) << router->State();
    EXPECT_FALSE(Enabled(dialog, IDC_HOST_COPY_LINK));
    CloseDialog(dialog);
}

TEST_F(HostForFriends, AWrongPortIsRefusedWithAMessageBeforeAnythingIsSent) {
    ASSERT_TRUE(StartRouter());
    ASSERT_TRUE(router->MapFrom("pc2", 2350, "the other PC")) << router->State();
    const std::string leases = router->LeaseFile();
    HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
    ASSERT_TRUE(dialog);
    const std::string shown = Result(dialog);
    for (const char* port : {"", "0", "65536", "99999", "02350", "-1", "23 50", "2350x", "abc"}) {
        for (int button : {IDC_HOST_OPEN, IDC_HOST_CLOSE_PORT}) {
            SCOPED_TRACE(std::string("port \"") + port + "\", button " + std::to_string(button));
            SetText(Item(dialog, IDC_HOST_PORT), port);
            Click(Item(dialog, button));
            const MessageBoxInfo box = app->WaitMessageBox();
            ASSERT_TRUE(box.hWnd);
            EXPECT_EQ(box.text, "The port must be a number from 1 to 65535.");
            EXPECT_EQ(box.owner, dialog);
            EXPECT_EQ(IconOf(box), BoxIcon::Exclamation);
            app->Dismiss(box);
            EXPECT_EQ(Result(dialog), shown);
        }
    }
    EXPECT_EQ(router->LeaseFile(), leases);
    EXPECT_TRUE(router->HeardFrom(kPcAddress).empty()) << router->State();
    CloseDialog(dialog);
}

TEST_F(HostForFriends, ClosingTheDialogDuringTheSearchEndsItAtOnce) {
    ASSERT_TRUE(StartRouter(NoDaemon()));  // the search runs its full time
    struct Case {
        const char* how;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {{"Close button", WM_COMMAND, IDCANCEL}, {"WM_CLOSE", WM_CLOSE, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        HWND dialog = OpenDialog(IDC_SELECT_OV, "2350");
        ASSERT_TRUE(dialog);
        const int threads = ThreadCount(app->Pid());
        Click(Item(dialog, IDC_HOST_OPEN));
        ASSERT_TRUE(WaitFor([&] { return Result(dialog) == kLooking; })) << Result(dialog);
        EXPECT_FALSE(Enabled(dialog, IDC_HOST_OPEN));
        EXPECT_FALSE(Enabled(dialog, IDC_HOST_CLOSE_PORT));
        ::PostMessageA(dialog, c.message, c.wParam, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, 1000)) << "the dialog is still there";
        DWORD_PTR ignored = 0;
        EXPECT_TRUE(::SendMessageTimeoutA(app->Main(), WM_NULL, 0, 0, SMTO_NORMAL, 3000, &ignored))
            << "the main window does not answer";
        // The search's thread ends on its own; the program goes on.
        EXPECT_TRUE(WaitFor([&] { return ThreadCount(app->Pid()) <= threads; }, 15000));
        EXPECT_EQ(::WaitForSingleObject(app->Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the program ended";
        EXPECT_TRUE(app->NoMessageWindow());
    }
}

}  // namespace
