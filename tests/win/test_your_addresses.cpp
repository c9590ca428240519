// The system menu's own items, and Your Addresses: the machine's addresses and the Copy buttons.
// winsock2.h goes before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "toolkit_dlg_ids.h"
#include "your_addresses_ids.h"

using namespace harness;

namespace {

const UINT kYourAddresses = 0x20;

struct Row {
    std::string adapter, address;
};

// The up adapters' IPv4 addresses other than loopback, as the system lists them.
std::vector<Row> ExpectedRows() {
    std::vector<Row> rows;
    ULONG size = 64 * 1024;
    std::vector<unsigned char> buffer(size);
    auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (::GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                               nullptr, first, &size) != NO_ERROR)
        return rows;
    for (auto* adapter = first; adapter; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) continue;
        char name[256] = {};
        ::WideCharToMultiByte(CP_ACP, 0, adapter->FriendlyName, -1, name, sizeof name, nullptr, nullptr);
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
            if (std::string(text).rfind("127.", 0) != 0) rows.push_back(Row{name, text});
        }
    }
    return rows;
}

class YourAddresses : public ::testing::Test {
protected:
    HWND Start() {
        app = std::make_unique<Toolkit>(sandbox.work);
        return app->Main();
    }
    // Opens the dialog from the system menu with the main window's fields set as given.
    HWND Open(const std::string& shownIp, const std::string& server, const std::string& port) {
        SetText(app->Item(IDC_LOCAL_IP), shownIp);
        SetText(app->Item(IDC_SERVER_ADDRESS), server);
        SetText(app->Item(IDC_PORT), port);
        ::PostMessageA(app->Main(), WM_SYSCOMMAND, kYourAddresses, 0);
        return app->WaitDialog("Your Addresses");
    }
    void Close(HWND dialog) {
        Click(::GetDlgItem(dialog, IDOK));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    }
    std::string Status(HWND dialog) { return Text(::GetDlgItem(dialog, IDC_ADDR_STATUS)); }
    // Clicks a button and waits for the status line to change.
    void ClickAndWait(HWND dialog, int id) {
        SetText(::GetDlgItem(dialog, IDC_ADDR_STATUS), "");
        Click(::GetDlgItem(dialog, id));
        WaitFor([&] { return !Status(dialog).empty(); });
    }

    Sandbox sandbox;
    std::unique_ptr<Toolkit> app;
};

TEST_F(YourAddresses, SystemMenuHasItsOwnGroupJustBeforeTheAboutItem) {
    ASSERT_TRUE(Start());
    const std::vector<MenuItem> items = SystemMenu(app->Main());
    ASSERT_GE(items.size(), 8u);
    const size_t n = items.size();
    EXPECT_EQ(items[n - 1].id, 16u);
    EXPECT_TRUE(items[n - 2].type & MFT_SEPARATOR);
    EXPECT_EQ(items[n - 3].id, 0x50u);
    EXPECT_EQ(items[n - 3].text, "Host for Friends...");
    EXPECT_EQ(items[n - 4].id, 0x40u);
    EXPECT_EQ(items[n - 4].text, "Settings Location...");
    EXPECT_EQ(items[n - 5].id, 0x30u);
    EXPECT_EQ(items[n - 5].text, "Open mhtoolkit:// links with MH Toolkit");
    EXPECT_EQ(items[n - 6].id, 0x20u);
    EXPECT_EQ(items[n - 6].text, "Your Addresses...");
    EXPECT_TRUE(items[n - 7].type & MFT_SEPARATOR);
    EXPECT_GE(items[n - 8].id, static_cast<UINT>(SC_SIZE));  // the standard commands come first
    for (UINT id : {0x20u, 0x30u, 0x40u, 0x50u})
        EXPECT_EQ(std::count_if(items.begin(), items.end(), [&](const MenuItem& item) { return item.id == id; }), 1);
}

TEST_F(YourAddresses, ListsEveryUpAdapterWithItsAddressesAndMarksTheShownOne) {
    const std::vector<Row> expected = ExpectedRows();
    if (!SuiteAddress().empty()) {  // the namespace's one adapter
        ASSERT_EQ(expected.size(), 1u);
        EXPECT_EQ(expected[0].address, SuiteAddress());
    }
    ASSERT_TRUE(Start());
    for (size_t marked : {expected.size(), size_t{0}}) {  // none of them shown, then the first
        const std::string shown = marked < expected.size() ? expected[marked].address : "192.0.2.250";
        HWND dialog = Open(shown, "", "");
        ASSERT_TRUE(dialog);
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), app->Main());
        if (expected.empty()) {
            EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_ADDR_ROW_FIRST)), "No network adapter with an IPv4 address is up.");
            EXPECT_FALSE(::GetDlgItem(dialog, IDC_ADDR_COPY_FIRST));
        }
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].address);
            const std::string mark = i == marked ? "* " : "";
            EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_ADDR_ROW_FIRST + static_cast<int>(i))),
                      mark + expected[i].adapter + ": " + expected[i].address);
            EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_ADDR_COPY_FIRST + static_cast<int>(i))), "Copy");
        }
        const int after = static_cast<int>(expected.empty() ? 1 : expected.size());
        EXPECT_FALSE(::GetDlgItem(dialog, IDC_ADDR_ROW_FIRST + after));
        Close(dialog);
    }
    EXPECT_TRUE(app->NoMessageWindow());
}

TEST_F(YourAddresses, EachRowsCopyButtonStandsBesideItAndAllFitsTheDialog) {
    const std::vector<Row> expected = ExpectedRows();
    ASSERT_FALSE(expected.empty()) << "the machine shows no adapter";
    ASSERT_TRUE(Start());
    HWND dialog = Open("", "", "");
    ASSERT_TRUE(dialog);
    RECT client;
    ::GetClientRect(dialog, &client);
    ::MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    auto rectOf = [&](int id) {
        RECT rect{};
        ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
        return rect;
    };
    auto inside = [&](const RECT& r) {
        return r.left >= client.left && r.right <= client.right && r.top >= client.top && r.bottom <= client.bottom;
    };
    LONG previousBottom = rectOf(IDC_ADDR_INTRO).bottom;
    for (size_t i = 0; i < expected.size(); ++i) {
        const RECT label = rectOf(IDC_ADDR_ROW_FIRST + static_cast<int>(i));
        const RECT copy = rectOf(IDC_ADDR_COPY_FIRST + static_cast<int>(i));
        EXPECT_TRUE(inside(label) && inside(copy));
        EXPECT_GE(copy.left, label.right);                       // beside it, on the right
        const LONG middle = (label.top + label.bottom) / 2;      // on the same line
        EXPECT_TRUE(middle > copy.top && middle < copy.bottom);
        EXPECT_GE(std::min(label.top, copy.top), previousBottom);  // below the row before
        previousBottom = std::max(label.bottom, copy.bottom);
    }
    for (int id : {IDC_ADDR_LEGEND, IDC_ADDR_STATUS, IDC_ADDR_COPY_SERVER, IDOK}) {
        EXPECT_TRUE(inside(rectOf(id))) << id;
        EXPECT_GE(rectOf(id).top, previousBottom) << id;
    }
    // Tab order follows the rows: each Copy button comes right after its row text.
    EXPECT_EQ(::GetWindow(::GetDlgItem(dialog, IDC_ADDR_ROW_FIRST), GW_HWNDNEXT),
              ::GetDlgItem(dialog, IDC_ADDR_COPY_FIRST));
    Close(dialog);
}

TEST_F(YourAddresses, CopyPutsAddressAndPortOnTheClipboardAndCopyServerTheServer) {
    const std::vector<Row> expected = ExpectedRows();
    ASSERT_FALSE(expected.empty()) << "the machine shows no adapter";
    const std::string last = expected.back().address;
    const int lastCopy = IDC_ADDR_COPY_FIRST + static_cast<int>(expected.size()) - 1;
    ASSERT_TRUE(Start());

    struct Case {
        const char* server;
        const char* port;  // the main window's fields as typed, not saved
        std::string copied, server_copied;
    };
    const Case cases[] = {
        {"play.example.org", "2346", last + ":2346", "play.example.org:2346"},
        {"203.0.113.7", "", last, "203.0.113.7"},
        {"203.0.113.7", "27015", last + ":27015", "203.0.113.7:27015"},  // no save, so no length message
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.copied);
        HWND dialog = Open("", c.server, c.port);
        ASSERT_TRUE(dialog);
        ClickAndWait(dialog, lastCopy);
        EXPECT_EQ(Status(dialog), "Copied " + c.copied);
        EXPECT_EQ(ClipboardText(CF_UNICODETEXT), c.copied);
        EXPECT_EQ(ClipboardText(CF_TEXT), c.copied);
        ClickAndWait(dialog, IDC_ADDR_COPY_SERVER);
        EXPECT_EQ(Status(dialog), "Copied " + c.server_copied);
        EXPECT_EQ(ClipboardText(CF_UNICODETEXT), c.server_copied);
        Close(dialog);
    }

    // No server to copy: said, and the clipboard keeps what it had.
    ASSERT_TRUE(SetClipboardText("kept"));
    HWND dialog = Open("", "", "2346");
    ASSERT_TRUE(dialog);
    ClickAndWait(dialog, IDC_ADDR_COPY_SERVER);
    EXPECT_EQ(Status(dialog), "There is no server address to copy.");
    EXPECT_EQ(ClipboardText(), "kept");
    Close(dialog);
    EXPECT_TRUE(app->NoMessageWindow());
    // Nothing was saved: the stored server is untouched.
    EXPECT_EQ(GetText(GameFamily::Mireholt, "MultiplayerManualHostAddress"), "<missing>");
}

}  // namespace
