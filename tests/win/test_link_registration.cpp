// Registration of mhtoolkit:// links: --register-links, --unregister-links and the system-menu item.
#include <gtest/gtest.h>

#include <map>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kClasses[] = "Software\\Classes";
const char kScheme[] = "Software\\Classes\\mhtoolkit";
const UINT kLinksItem = 0x30;

// Every key and value under a key of HKEY_CURRENT_USER: "<key>" for a key, "<key>|<value name>" for a
// value, mapped to its type and data.
using Snapshot = std::map<std::string, std::string>;

void Collect(HKEY parent, const std::string& path, Snapshot& into) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    into[path] = "";
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name, type = 0, dataSize = 0;
        if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        std::string data(dataSize, '\0');
        nameSize = sizeof name;
        ::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &dataSize);
        into[path + "|" + name] = std::to_string(type) + ":" + data.substr(0, dataSize);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    ::RegCloseKey(key);
    for (const std::string& child : children) Collect(parent, path + "\\" + child, into);
}

Snapshot TakeSnapshot() {
    Snapshot snapshot;
    Collect(HKEY_CURRENT_USER, kClasses, snapshot);
    return snapshot;
}

std::string Sz(const std::string& text) { return std::to_string(REG_SZ) + ":" + text + std::string(1, '\0'); }

bool SchemeExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kScheme, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

void RemoveScheme() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kScheme); }

std::string AppExe() { return Join(Join(TestDir(), "app"), "MHToolkit.exe"); }

bool LinksItemChecked(HWND main) {
    for (const MenuItem& item : SystemMenu(main))
        if (item.id == kLinksItem) return (item.state & MFS_CHECKED) != 0;
    ADD_FAILURE() << "no links item";
    return false;
}

class LinkRegistration : public ::testing::Test {
protected:
    LinkRegistration() {
        RemoveScheme();
        // Always there on Windows; a new Wine prefix makes it with its first class.
        HKEY classes = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kClasses, 0, nullptr, 0, KEY_READ, nullptr, &classes, nullptr);
        if (classes) ::RegCloseKey(classes);
    }
    ~LinkRegistration() override { RemoveScheme(); }

    Toolkit::Outcome Run(const std::string& option) {
        Toolkit app(sandbox.work, Args({option}));
        const Toolkit::Outcome outcome = app.WatchUntilExit();
        EXPECT_TRUE(app.NoMessageWindow());
        return outcome;
    }

    Sandbox sandbox;
};

TEST_F(LinkRegistration, RegisterWritesTheOneKeyTreeAndUnregisterRemovesIt) {
    const Snapshot before = TakeSnapshot();
    ASSERT_EQ(before.count(kScheme), 0u);

    Toolkit::Outcome outcome = Run("--register-links");
    EXPECT_EQ(outcome.exitCode, std::optional<DWORD>(0));
    EXPECT_FALSE(outcome.showedWindow) << outcome.shown;
    Snapshot registered = TakeSnapshot();
    Snapshot added;
    for (const auto& entry : registered)
        if (!before.count(entry.first)) added.insert(entry);
    for (const auto& entry : before) EXPECT_EQ(registered.count(entry.first), 1u) << entry.first << " went away";
    const std::string s = kScheme;
    const std::string command = "\"" + AppExe() + "\" \"%1\"";
    const Snapshot expected = {{s, ""},
                               {s + "|", Sz("URL:MH Toolkit link")},
                               {s + "|URL Protocol", Sz("")},
                               {s + "\\shell", ""},
                               {s + "\\shell\\open", ""},
                               {s + "\\shell\\open\\command", ""},
                               {s + "\\shell\\open\\command|", Sz(command)}};
    std::string addedNames;
    for (const auto& entry : added) addedNames += entry.first + "\n";
    ASSERT_EQ(added.size(), expected.size()) << addedNames;
    for (const auto& entry : expected) {
        ASSERT_EQ(added.count(entry.first), 1u) << entry.first;
        EXPECT_EQ(::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, added[entry.first].c_str(), -1,
                                   entry.second.c_str(), -1),
                  CSTR_EQUAL)
            << entry.first << ": " << added[entry.first];
    }
    // Registering again changes nothing.
    EXPECT_EQ(Run("--register-links").exitCode, std::optional<DWORD>(0));
    EXPECT_EQ(TakeSnapshot(), registered);

    outcome = Run("--unregister-links");
    EXPECT_EQ(outcome.exitCode, std::optional<DWORD>(0));
    EXPECT_FALSE(outcome.showedWindow) << outcome.shown;
    EXPECT_EQ(TakeSnapshot(), before);
    // Unregistering what is not there succeeds and changes nothing.
    EXPECT_EQ(Run("--unregister-links").exitCode, std::optional<DWORD>(0));
    EXPECT_EQ(TakeSnapshot(), before);
}

TEST_F(LinkRegistration, RegisterReplacesWhatWasThereBefore) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kScheme) + "\\shell\\print\\command").c_str(), 0,
                                nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_EQ(Run("--register-links").exitCode, std::optional<DWORD>(0));
    const Snapshot after = TakeSnapshot();
    EXPECT_EQ(after.count(std::string(kScheme) + "\\shell\\print"), 0u);
    EXPECT_EQ(after.count(std::string(kScheme) + "\\shell\\open\\command|"), 1u);
}

TEST_F(LinkRegistration, TheMenuItemShowsTheRegistrationOfThisProgramAndTogglesIt) {
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    EXPECT_FALSE(LinksItemChecked(main));

    ::PostMessageA(main, WM_SYSCOMMAND, kLinksItem, 0);
    EXPECT_TRUE(WaitFor(SchemeExists));
    EXPECT_TRUE(LinksItemChecked(main));

    ::PostMessageA(main, WM_SYSCOMMAND, kLinksItem, 0);
    EXPECT_TRUE(WaitFor([] { return !SchemeExists(); }));
    EXPECT_FALSE(LinksItemChecked(main));

    // Registered meanwhile by another start, for this program: checked when the menu opens.
    EXPECT_EQ(Run("--register-links").exitCode, std::optional<DWORD>(0));
    ASSERT_TRUE(PressKeys(main, "alt+space"));
    EXPECT_TRUE(WaitFor([&] { return LinksItemChecked(main); }, 3000));
    ASSERT_TRUE(PressKeys(main, "Escape"));
    RoundTrip(main);

    // A registration for another copy of the program is not this one's: unchecked, and the item
    // registers this one.
    const std::string other = Join(sandbox.root, "Other.exe");
    ASSERT_TRUE(::CopyFileA(AppExe().c_str(), other.c_str(), FALSE));
    {
        Toolkit copy(sandbox.work, Args({"--register-links"}), other);
        EXPECT_EQ(copy.WaitExit(), std::optional<DWORD>(0));
    }
    ASSERT_TRUE(PressKeys(main, "alt+space"));
    EXPECT_TRUE(WaitFor([&] { return !LinksItemChecked(main); }, 3000));
    ASSERT_TRUE(PressKeys(main, "Escape"));
    RoundTrip(main);
    ::PostMessageA(main, WM_SYSCOMMAND, kLinksItem, 0);
    EXPECT_TRUE(WaitFor([&] { return LinksItemChecked(main); }));
    EXPECT_NE(TakeSnapshot()[std::string(kScheme) + "\\shell\\open\\command|"].find("MHToolkit.exe"),
              std::string::npos);
    EXPECT_TRUE(app.NoMessageWindow());
}

}  // namespace
