// Choosing a game with the radios of the real program: which key the reads go to, which program
// the launch actions start, the installed flags and their messages.
#include <gtest/gtest.h>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kOrvantaAddress[] = "198.51.100.1";
const char kOrvantaPort[] = "1111";
const char kMireholtAddress[] = "192.0.2.7";
const char kMireholtPort[] = "2346";

class GameChoice : public ::testing::Test {
protected:
    void SeedOrvanta() { sandbox.SeedServer(GameFamily::Orvanta, kOrvantaAddress, kOrvantaPort); }
    void SeedMireholt(const std::string& port = kMireholtPort) {
        sandbox.SeedServer(GameFamily::Mireholt, kMireholtAddress, port);
    }

    Sandbox sandbox;
};

// The radios that are on, as "OV", "BM", "MH" joined by "+".
std::string RadiosOn(Toolkit& app) {
    std::string on;
    for (auto radio : {std::make_pair(IDC_SELECT_OV, "OV"), std::make_pair(IDC_SELECT_BM, "BM"),
                       std::make_pair(IDC_SELECT_MH, "MH")}) {
        if (!IsChecked(app.Item(radio.first))) continue;
        if (!on.empty()) on += "+";
        on += radio.second;
    }
    return on;
}

// Pings a marker address and waits for it: whatever the program did before is over by then.
void PingMarker(Toolkit& app, size_t startsBefore) {
    SetText(app.Item(IDC_SERVER_ADDRESS), "marker");
    Click(app.Item(IDC_PING));
    auto started = WaitStarted(startsBefore + 1);
    ASSERT_EQ(started.size(), startsBefore + 1);
    EXPECT_EQ(started.back().commandLine, "ping.exe marker");
}

TEST_F(GameChoice, EachRadioSelectsItsFamilysKeyAndItsOwnProgram) {
    SeedOrvanta();
    SeedMireholt();
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    EXPECT_EQ(RadiosOn(app), "MH");

    struct Row {
        int radio;
        const char* on;
        const char *address, *port, *exe;
        std::string directory;
    };
    // Every row of the selection table, reached from each other row.
    const Row rows[] = {
        {IDC_SELECT_OV, "OV", kOrvantaAddress, kOrvantaPort, "orvanta.exe", sandbox.orvantaDir},
        {IDC_SELECT_BM, "BM", kOrvantaAddress, kOrvantaPort, "orvantaMP.exe", sandbox.orvantaDir},
        {IDC_SELECT_MH, "MH", kMireholtAddress, kMireholtPort, "Mireholt.exe", sandbox.mireholtDir},
        {IDC_SELECT_BM, "BM", kOrvantaAddress, kOrvantaPort, "orvantaMP.exe", sandbox.orvantaDir},
        {IDC_SELECT_OV, "OV", kOrvantaAddress, kOrvantaPort, "orvanta.exe", sandbox.orvantaDir},
        {IDC_SELECT_MH, "MH", kMireholtAddress, kMireholtPort, "Mireholt.exe", sandbox.mireholtDir},
    };
    size_t starts = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.on);
        SetText(app.Item(IDC_SERVER_ADDRESS), "typed");
        Choose(app, row.radio);
        EXPECT_EQ(RadiosOn(app), row.on);
        EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), row.address);
        EXPECT_EQ(Text(app.Item(IDC_PORT)), row.port);

        Click(app.Item(IDC_JOIN));
        auto started = WaitStarted(++starts);
        ASSERT_EQ(started.size(), starts);
        EXPECT_EQ(started.back().exe, row.exe);
        EXPECT_EQ(started.back().commandLine, std::string(row.exe) + " -client " + row.address + " " + row.port);
        EXPECT_EQ(started.back().directory, row.directory);
    }
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(GameChoice, MissingKeyReportsTheChosenTargetOncePerClick) {
    SeedMireholt();  // no Orvanta key
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    size_t starts = 0;

    // BM's own flag goes, then OV's at its own first failed read; each click shows one message.
    const std::pair<int, const char*> clicks[] = {{IDC_SELECT_BM, "Brightmoor is not installed!"},
                                                  {IDC_SELECT_BM, "Brightmoor is not installed!"},
                                                  {IDC_SELECT_OV, "Orvanta is not installed!"},
                                                  {IDC_SELECT_OV, "Orvanta is not installed!"}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.second);
        SetText(app.Item(IDC_SERVER_ADDRESS), "typed");
        Click(app.Item(click.first));
        MessageBoxInfo box = app.WaitMessageBox();
        EXPECT_EQ(box.text, click.second);
        EXPECT_EQ(box.caption, "MHToolkit");
        EXPECT_EQ(box.owner, app.Main());
        EXPECT_FALSE(box.hasIcon);
        // The fields were reloaded before the message: empty, as nothing could be read.
        EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), "");
        EXPECT_EQ(Text(app.Item(IDC_PORT)), "");
        app.Dismiss(box);
        PingMarker(app, starts++);
        EXPECT_TRUE(app.NoMessageWindow());
    }

    // Mireholt stays usable.
    Choose(app, IDC_SELECT_MH);
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), kMireholtAddress);
    Click(app.Item(IDC_JOIN));
    auto started = WaitStarted(++starts);
    ASSERT_EQ(started.size(), starts);
    EXPECT_EQ(started.back().exe, "Mireholt.exe");
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
}

TEST_F(GameChoice, ClearedFlagStaysClearedAfterTheKeyAppears) {
    SeedMireholt();
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    Click(app.Item(IDC_SELECT_BM));
    EXPECT_EQ(app.TakeMessage(), "Brightmoor is not installed!");

    SeedOrvanta();
    // The reads succeed now, yet Brightmoor still counts as not installed.
    Click(app.Item(IDC_SELECT_BM));
    MessageBoxInfo box = app.WaitMessageBox();
    EXPECT_EQ(box.text, "Brightmoor is not installed!");
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), kOrvantaAddress);
    EXPECT_EQ(Text(app.Item(IDC_PORT)), kOrvantaPort);
    app.Dismiss(box);

    Click(app.Item(IDC_JOIN));
    EXPECT_EQ(app.TakeMessage(), "Brightmoor is not installed!");
    EXPECT_EQ(GetValue(GameFamily::Orvanta, kAddressValue)->type, static_cast<DWORD>(REG_SZ));  // not written

    // Orvanta's flag was never cleared: it was never chosen while the key was missing.
    Choose(app, IDC_SELECT_OV);
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), kOrvantaAddress);
    Click(app.Item(IDC_JOIN));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "orvanta.exe -client 198.51.100.1 1111");
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(GameChoice, MissingValuesEmptyTheFieldsSilentlyAndTheFolderStillFollows) {
    SeedMireholt();
    sandbox.InstallGame(GameFamily::Orvanta);  // the key and its InstallationPath only
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    SetText(app.Item(IDC_SERVER_ADDRESS), "203.0.113.9");
    SetText(app.Item(IDC_PORT), "77");
    Choose(app, IDC_SELECT_OV);
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), "");
    EXPECT_EQ(Text(app.Item(IDC_PORT)), "");

    PingMarker(app, 0);
    EXPECT_EQ(ReadStarted()[0].directory, sandbox.orvantaDir);
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_EQ(ValueCount(GameFamily::Orvanta), 1);  // nothing written on switching
}

TEST_F(GameChoice, ChoosingTheRadioThatIsOnRepeatsTheWholeReload) {
    SeedMireholt();
    const std::string otherDir = Join(sandbox.root, "Mireholt2");
    MakeDir(otherDir);
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    SetText(app.Item(IDC_SERVER_ADDRESS), "203.0.113.9");
    SetText(app.Item(IDC_PORT), "77");
    SetString(GameFamily::Mireholt, kPathValue, otherDir);
    Click(app.Item(IDC_SELECT_MH));
    EXPECT_TRUE(WaitFor([&] { return Text(app.Item(IDC_SERVER_ADDRESS)) == kMireholtAddress; }));
    EXPECT_EQ(Text(app.Item(IDC_PORT)), kMireholtPort);
    EXPECT_EQ(RadiosOn(app), "MH");

    PingMarker(app, 0);
    EXPECT_EQ(ReadStarted()[0].directory, otherDir);
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), kMireholtAddress);
    EXPECT_EQ(GetValue(GameFamily::Mireholt, kAddressValue)->type, static_cast<DWORD>(REG_SZ));
}

TEST_F(GameChoice, StoredPortOverFourCharactersFailsEverySaveAndKeepsTheStartUpSelection) {
    SeedMireholt("234678");  // no Orvanta key: a read there would clear a flag and say so
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    EXPECT_EQ(Text(app.Item(IDC_PORT)), "234678");  // shown whole

    // The click's save fails: the selection stays as start-up left it, so the reads go to
    // Mireholt's key and Mireholt's radio comes back on.
    Click(app.Item(IDC_SELECT_OV));
    EXPECT_EQ(app.TakeMessage(), "This field holds at most 4 characters.");
    EXPECT_TRUE(WaitFor([&] { return RadiosOn(app) == "MH"; })) << RadiosOn(app);
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), kMireholtAddress);
    EXPECT_EQ(Text(app.Item(IDC_PORT)), "234678");
    EXPECT_TRUE(WaitForFocus(main, app.Item(IDC_PORT))) << FocusReport(main);

    // Join fails its save the same way and goes on with the long text, for Mireholt.
    SetText(app.Item(IDC_SERVER_ADDRESS), "192.0.2.99");
    Click(app.Item(IDC_JOIN));
    EXPECT_EQ(app.TakeMessage(), "This field holds at most 4 characters.");
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "Mireholt.exe -client 192.0.2.99 234678");
    EXPECT_EQ(started[0].directory, sandbox.mireholtDir);
    EXPECT_TRUE(WaitFor([&] { return GetText(GameFamily::Mireholt, kAddressValue) == "192.0.2.99"; }));
    EXPECT_EQ(GetValue(GameFamily::Mireholt, kPortValue)->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "234678");
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
}

}  // namespace
