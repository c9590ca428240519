// Join, Create, Ping and Telnet of the real program, started for real through the stand-ins.
#include <gtest/gtest.h>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

struct Target {
    int radio;
    const char* name;
    const char* exe;
    GameFamily family;
};
const Target kTargets[] = {{IDC_SELECT_OV, "OV", "orvanta.exe", GameFamily::Orvanta},
                           {IDC_SELECT_BM, "BM", "orvantaMP.exe", GameFamily::Orvanta},
                           {IDC_SELECT_MH, "MH", "Mireholt.exe", GameFamily::Mireholt}};

class Launch : public ::testing::Test {
protected:
    // Both games installed, each key holding a stored server of its own.
    void InstallBoth() {
        sandbox.SeedServer(GameFamily::Orvanta, "198.51.100.1", "1111");
        sandbox.SeedServer(GameFamily::Mireholt, "203.0.113.5", "2222");
    }
    std::string DirOf(GameFamily family) const {
        return family == GameFamily::Orvanta ? sandbox.orvantaDir : sandbox.mireholtDir;
    }

    Sandbox sandbox;
};

void Fill(Toolkit& app, const std::string& address, const std::string& port) {
    SetText(app.Item(IDC_SERVER_ADDRESS), address);
    SetText(app.Item(IDC_PORT), port);
}

// Clicks a launch button and returns what it started.
Started Launched(Toolkit& app, int buttonId) {
    const size_t before = ReadStarted().size();
    Click(app.Item(buttonId));
    auto started = WaitStarted(before + 1);
    return started.size() > before ? started.back() : Started{"<nothing started>", "", ""};
}

TEST_F(Launch, JoinStartsEachTargetsClientWithAddressAndPort) {
    InstallBoth();
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    for (const Target& target : kTargets) {
        SCOPED_TRACE(target.name);
        Choose(app, target.radio);
        Fill(app, "192.0.2.7", "2346");
        Started started = Launched(app, IDC_JOIN);
        EXPECT_EQ(started.exe, target.exe);
        EXPECT_EQ(started.commandLine, std::string(target.exe) + " -client 192.0.2.7 2346");
        EXPECT_EQ(started.directory, DirOf(target.family));
        // Written into the chosen family's key, as REG_EXPAND_SZ.
        EXPECT_EQ(GetText(target.family, kAddressValue), "192.0.2.7");
        EXPECT_EQ(GetText(target.family, kPortValue), "2346");
        EXPECT_EQ(TypeOf(target.family, kAddressValue), static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(TypeOf(target.family, kPortValue), static_cast<DWORD>(REG_EXPAND_SZ));
        if (target.family == GameFamily::Orvanta) {
            EXPECT_EQ(TypeOf(GameFamily::Mireholt, kAddressValue), static_cast<DWORD>(REG_SZ));
        }
    }
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(Launch, CreateStartsEachTargetsServerOnThePortWithoutAnAddress) {
    InstallBoth();
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    for (const Target& target : kTargets) {
        SCOPED_TRACE(target.name);
        Choose(app, target.radio);
        Fill(app, "", "2346");
        Started started = Launched(app, IDC_CREATE);
        EXPECT_EQ(started.commandLine, std::string(target.exe) + " -server 2346");
        EXPECT_EQ(started.directory, DirOf(target.family));
        // Only the port is stored; the stored address is left alone.
        EXPECT_EQ(GetText(target.family, kPortValue), "2346");
        EXPECT_EQ(TypeOf(target.family, kPortValue), static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(TypeOf(target.family, kAddressValue), static_cast<DWORD>(REG_SZ));
    }
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(Launch, FieldTextsGoInAsTheyAreWithOneBlankBetweenParts) {
    InstallBoth();
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    Fill(app, "192.0.2.7", "23");
    EXPECT_EQ(Launched(app, IDC_PING).commandLine, "ping.exe 192.0.2.7");
    EXPECT_EQ(Launched(app, IDC_TELNET).commandLine, "telnet.exe 192.0.2.7 23");

    // A blank is content: prefix, the blank, the separating blank, the port.
    Fill(app, " ", "2346");
    EXPECT_EQ(Launched(app, IDC_JOIN).commandLine, "Mireholt.exe -client   2346");
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), " ");

    // Neither trimmed nor quoted.
    Fill(app, "host name ", "80");
    EXPECT_EQ(Launched(app, IDC_TELNET).commandLine, "telnet.exe host name  80");
    Fill(app, "-n 1 192.0.2.7", "");
    EXPECT_EQ(Launched(app, IDC_PING).commandLine, "ping.exe -n 1 192.0.2.7");
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(Launch, NotInstalledTargetStopsJoinAndCreateBeforeAnyFieldCheck) {
    sandbox.InstallGame(GameFamily::Orvanta);  // no Mireholt key: start-up clears its flag
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    for (int button : {IDC_JOIN, IDC_CREATE}) {
        Fill(app, "", "");
        Click(app.Item(button));
        EXPECT_EQ(app.TakeMessage(), "Mireholt is not installed!");
    }
    Fill(app, "192.0.2.7", "2346");
    Click(app.Item(IDC_JOIN));
    EXPECT_EQ(app.TakeMessage(), "Mireholt is not installed!");

    // Nothing was started or written: the next start is the only one.
    EXPECT_EQ(Launched(app, IDC_PING).commandLine, "ping.exe 192.0.2.7");
    EXPECT_EQ(ReadStarted().size(), 1u);
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_FALSE(GameKeyExists(GameFamily::Mireholt));
    EXPECT_EQ(ValueCount(GameFamily::Orvanta), 1);
}

TEST_F(Launch, EmptyFieldsStopEachActionWithItsOneMessage) {
    InstallBoth();
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);

    struct Case {
        int button;
        const char *address, *port, *message;
    };
    const Case cases[] = {
        {IDC_JOIN, "", "", "Please enter an IP address to connect to!"},
        {IDC_JOIN, "", "2346", "Please enter an IP address to connect to!"},
        {IDC_JOIN, "192.0.2.7", "", "Please enter a port (2346 is default)"},
        {IDC_CREATE, "192.0.2.7", "", "Please enter a port (2346 is default)"},
        {IDC_CREATE, "", "", "Please enter a port (2346 is default)"},
        {IDC_PING, "", "23", "Please enter an IP address first!"},
        {IDC_TELNET, "", "", "Please enter an IP address first!"},
        {IDC_TELNET, "", "23", "Please enter an IP address first!"},
        {IDC_TELNET, "192.0.2.7", "", "Please enter a port (Default is 2346)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.message) + " [" + c.address + "|" + c.port + "]");
        Fill(app, c.address, c.port);
        Click(app.Item(c.button));
        MessageBoxInfo box = app.WaitMessageBox();
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.caption, "MHToolkit");
        EXPECT_EQ(box.owner, main);
        EXPECT_FALSE(box.hasIcon);
        app.Dismiss(box);
    }
    // None of them started or wrote anything, nor showed a second message.
    Fill(app, "192.0.2.7", "");
    EXPECT_EQ(Launched(app, IDC_PING).commandLine, "ping.exe 192.0.2.7");
    EXPECT_EQ(ReadStarted().size(), 1u);
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), "203.0.113.5");
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kAddressValue), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kPortValue), static_cast<DWORD>(REG_SZ));
}

TEST_F(Launch, ValuesAreStoredEvenWhenTheGameFailsToStartWhichIsSaidAndShowNextTime) {
    InstallBoth();
    ASSERT_TRUE(::DeleteFileA(Join(sandbox.mireholtDir, "Mireholt.exe").c_str()));
    ASSERT_TRUE(::DeleteFileA(Join(sandbox.orvantaDir, "orvanta.exe").c_str()));
    const std::string checkIt = ".\n\nCheck the game's installation in that folder, or reinstall the game.";
    {
        Toolkit app(sandbox.work);
        ASSERT_TRUE(app.Main());
        Fill(app, "192.0.2.7", "2346");
        Click(app.Item(IDC_JOIN));
        EXPECT_EQ(app.TakeMessage(), "Mireholt.exe was not found in " + sandbox.mireholtDir + checkIt);
        EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2346");
        EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), "192.0.2.7");

        Choose(app, IDC_SELECT_OV);
        Fill(app, "192.0.2.8", "2347");
        Click(app.Item(IDC_CREATE));
        EXPECT_EQ(app.TakeMessage(), "orvanta.exe was not found in " + sandbox.orvantaDir + checkIt);
        EXPECT_EQ(GetText(GameFamily::Orvanta, kPortValue), "2347");
        EXPECT_EQ(GetText(GameFamily::Orvanta, kAddressValue), "198.51.100.1");

        // The next radio choice shows the stored values.
        EXPECT_EQ(Launched(app, IDC_PING).commandLine, "ping.exe 192.0.2.8");
        EXPECT_EQ(ReadStarted().size(), 1u);
        EXPECT_TRUE(app.NoMessageWindow());
        Choose(app, IDC_SELECT_MH);
        Choose(app, IDC_SELECT_OV);
        EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), "198.51.100.1");
        EXPECT_EQ(Text(app.Item(IDC_PORT)), "2347");
    }
    // The next start of the program shows what Join stored.
    Toolkit next(sandbox.work);
    ASSERT_TRUE(next.Main());
    EXPECT_EQ(Text(next.Item(IDC_SERVER_ADDRESS)), "192.0.2.7");
    EXPECT_EQ(Text(next.Item(IDC_PORT)), "2346");
}

TEST_F(Launch, MireholtActionsFollowItsInstallationPathAnewOrvantasDoNot) {
    InstallBoth();
    const std::string second = Join(sandbox.root, "Mireholt2"), third = Join(sandbox.root, "Mireholt3");
    for (const std::string& dir : {second, third}) {
        MakeDir(dir);
        PlaceStandIn("Mireholt.exe", dir);
    }
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    SetString(GameFamily::Mireholt, kPathValue, second);
    Fill(app, "192.0.2.7", "2346");
    EXPECT_EQ(Launched(app, IDC_JOIN).directory, second);

    // The folder changes before the field checks, so also when a check stops the action.
    SetString(GameFamily::Mireholt, kPathValue, third);
    Fill(app, "", "2346");
    Click(app.Item(IDC_JOIN));
    EXPECT_EQ(app.TakeMessage(), "Please enter an IP address to connect to!");
    Fill(app, "192.0.2.7", "2346");
    EXPECT_EQ(Launched(app, IDC_PING).directory, third);

    // Without an InstallationPath the folder stays and the action goes on.
    DeleteValue(GameFamily::Mireholt, kPathValue);
    ASSERT_FALSE(GetValue(GameFamily::Mireholt, kPathValue));
    Started created = Launched(app, IDC_CREATE);
    EXPECT_EQ(created.commandLine, "Mireholt.exe -server 2346");
    EXPECT_EQ(created.directory, third);

    // Orvanta's games run in the folder set when the radio was chosen.
    Choose(app, IDC_SELECT_BM);
    SetString(GameFamily::Orvanta, kPathValue, second);
    Fill(app, "192.0.2.7", "2346");
    Started joined = Launched(app, IDC_JOIN);
    EXPECT_EQ(joined.exe, "orvantaMP.exe");
    EXPECT_EQ(joined.directory, sandbox.orvantaDir);
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(Launch, PingAndTelnetWorkAlikeForEveryTargetInstalledOrNot) {
    sandbox.InstallGame(GameFamily::Mireholt);  // no Orvanta key
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    for (const Target& target : kTargets) {
        SCOPED_TRACE(target.name);
        Click(app.Item(target.radio));
        if (target.family == GameFamily::Orvanta) app.TakeMessage();  // not installed
        EXPECT_TRUE(WaitFor([&] { return IsChecked(app.Item(target.radio)); }));
        Fill(app, "192.0.2.7", "23");
        Started ping = Launched(app, IDC_PING);
        Started telnet = Launched(app, IDC_TELNET);
        EXPECT_EQ(ping.commandLine, "ping.exe 192.0.2.7");
        EXPECT_EQ(telnet.commandLine, "telnet.exe 192.0.2.7 23");
        // Orvanta's folder cannot be read, so the Mireholt folder stays current throughout.
        EXPECT_EQ(ping.directory, sandbox.mireholtDir);
        EXPECT_EQ(telnet.directory, sandbox.mireholtDir);
    }
    // Neither reads the folder again.
    const std::string elsewhere = Join(sandbox.root, "elsewhere");
    MakeDir(elsewhere);
    SetString(GameFamily::Mireholt, kPathValue, elsewhere);
    EXPECT_EQ(Launched(app, IDC_PING).directory, sandbox.mireholtDir);
    EXPECT_EQ(Launched(app, IDC_TELNET).directory, sandbox.mireholtDir);

    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
    EXPECT_EQ(ValueCount(GameFamily::Mireholt), 1);  // InstallationPath alone: nothing written
}

}  // namespace
