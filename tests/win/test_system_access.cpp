// The program's own handles and late-loaded system DLLs: registry keys are closed again however the
// program reads them, and a DLL comes from the system folder or not at all.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <vector>

#include "harness.h"
#include "host_friends_ids.h"
#include "settings_location_ids.h"
#include "toolkit_dlg_ids.h"
#include "win32/SystemLibrary.h"

using namespace harness;

namespace {

// The handles a process holds, as the system lists them; -1 when it cannot tell.
int HandleCount(DWORD pid) {
    struct Entry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
        USHORT process, backTrace;
        UCHAR type, attributes;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    typedef LONG(NTAPI * Query)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    const ULONG kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(1 << 16);
    LONG status = kInfoLengthMismatch;
    while (query && (status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                    nullptr)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
    int held = 0;
    for (ULONG i = 0; i < count; ++i) held += entries[i].process == static_cast<USHORT>(pid);
    return held;
}

TEST(ProgramHandles, ReadingBothCopiesAndTheLayersLeavesNoKeyOpen) {
    Sandbox sandbox;
    sandbox.SeedBothFamilies();
    for (GameFamily family : {GameFamily::Orvanta, GameFamily::Mireholt}) {
        SetUserCopyString(family, kAddressValue, "203.0.113.9");
        SetUserCopyString(family, "Mine", "only here");
    }
    SetLayers(HKEY_CURRENT_USER, 0, Join(sandbox.mireholtDir, "Mireholt.exe"), "~ RUNASADMIN");
    SetLayers(HKEY_CURRENT_USER, 0, Join(sandbox.orvantaDir, "orvanta.exe"), "~ RUNASADMIN");
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    // Each round reads every key the program reads: both families' keys and copies, the layers (the
    // menu item's label at each change of family), all of them again in Settings Location, and the
    // links' registration as the system menu opens.
    auto round = [&] {
        Choose(app, IDC_SELECT_OV);
        Choose(app, IDC_SELECT_BM);
        Choose(app, IDC_SELECT_MH);
        ::PostMessageA(app.Main(), WM_SYSCOMMAND, IDM_SETTINGS_LOCATION, 0);
        HWND dialog = app.WaitDialog("Settings Location");
        ASSERT_TRUE(dialog);
        Click(::GetDlgItem(dialog, IDCANCEL));
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
        Query(app.Main(), WM_INITMENUPOPUP, 0, MAKELPARAM(0, TRUE));
    };
    round();  // what the first use loads stays
    const int before = HandleCount(app.Pid());
    ASSERT_GT(before, 0);
    for (int i = 0; i < 5; ++i) round();
    EXPECT_EQ(HandleCount(app.Pid()), before);
    EXPECT_TRUE(app.NoMessageWindow());
}

// The file of the process's DLL of this name; empty when it has none loaded.
std::string ModuleFile(DWORD pid, const char* name) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return std::string();
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    std::string file;
    for (BOOL more = ::Module32First(snapshot, &module); more && file.empty(); more = ::Module32Next(snapshot, &module))
        if (::lstrcmpiA(module.szModule, name) == 0) file = module.szExePath;
    ::CloseHandle(snapshot);
    return file;
}

bool HasModule(DWORD pid, const char* name) { return !ModuleFile(pid, name).empty(); }

TEST(SystemLibrary, TheShellIsLoadedOnlyForArgumentsToSplit) {
    Sandbox sandbox;
    sandbox.InstallGame(GameFamily::Mireholt);
    {
        Toolkit app(sandbox.work);
        ASSERT_TRUE(app.Main());
        EXPECT_FALSE(HasModule(app.Pid(), "shell32.dll"));
    }
    // Join stops for want of a port; the window stays open with its message.
    Toolkit app(sandbox.work, Args({"--join", "mh", "192.0.2.9"}));
    EXPECT_EQ(app.TakeMessage(), "Please enter a port (2346 is default)");
    EXPECT_TRUE(HasModule(app.Pid(), "shell32.dll"));
}

TEST(SystemLibrary, ADllOrExportThatIsMissingIsReportedAndAPlantedCopyIsNotLoaded) {
    const SystemLibrary kernel("kernel32.dll");
    decltype(&::GetTickCount) tickCount;
    EXPECT_TRUE(kernel.Find("GetTickCount", &tickCount));
    EXPECT_TRUE(tickCount());
    void (*missing)() = reinterpret_cast<void (*)()>(1);
    EXPECT_FALSE(kernel.Find("NoSuchExportOfKernel32", &missing));
    EXPECT_EQ(missing, nullptr);

    const SystemLibrary absent("mht-no-such-library.dll");
    EXPECT_FALSE(absent.IsLoaded());
    missing = reinterpret_cast<void (*)()>(1);
    EXPECT_FALSE(absent.Find("GetTickCount", &missing));
    EXPECT_EQ(missing, nullptr);

    // A DLL beside the program, where the default search order looks first, is not taken for a
    // system DLL of that name.
    const std::string planted = Join(TestDir(), "mhtplanted.dll");
    ASSERT_TRUE(::CopyFileA(Join(TestDir(), "probe.dll").c_str(), planted.c_str(), FALSE));
    HMODULE asData = ::LoadLibraryExA("mhtplanted.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_TRUE(asData);  // the default search finds it
    if (asData) ::FreeLibrary(asData);
    EXPECT_FALSE(SystemLibrary("mhtplanted.dll").IsLoaded());
    ::DeleteFileA(planted.c_str());
}

// Open Port's first calls into the network DLLs, through the delay-load helper, run the system's
// copies, not those planted in the program's folder (planted.dll, which leaves "<name>.loaded" beside
// itself when it runs). Wine runs its built-in copy of these DLLs wherever it finds one, and may report
// it under the planted file's path, so what counts is that no planted copy ran.
TEST(SystemLibrary, OpenPortRunsTheSystemsNetworkDllsNotThosePlantedBesideTheProgram) {
    if (SuiteAddress().empty())
        GTEST_SKIP() << "Open Port sends a router search: only in the suite's own network namespace "
                        "(MHT_SUITE_ADDRESS unset)";
    Sandbox sandbox;
    sandbox.SeedBothFamilies();
    const std::string folder = Join(sandbox.root, "program"), exe = Join(folder, "MHToolkit.exe");
    MakeDir(folder);
    ASSERT_TRUE(::CopyFileA(Join(Join(TestDir(), "app"), "MHToolkit.exe").c_str(), exe.c_str(), FALSE));
    for (const char* dll : {"ws2_32.dll", "iphlpapi.dll"})
        ASSERT_TRUE(::CopyFileA(Join(TestDir(), "planted.dll").c_str(), Join(folder, dll).c_str(), FALSE)) << dll;
    Toolkit app(sandbox.work, exe);
    ASSERT_TRUE(app.Main());

    HWND dialog = OpenHostForFriends(app);
    ASSERT_TRUE(dialog);
    Click(::GetDlgItem(dialog, IDC_HOST_OPEN));
    // The search ends (no router answers in the namespace) with its answer and the buttons back on.
    EXPECT_TRUE(WaitFor([&] {
        return !Text(::GetDlgItem(dialog, IDC_HOST_RESULT)).empty() &&
               ::IsWindowEnabled(::GetDlgItem(dialog, IDC_HOST_OPEN));
    }, 30000));
    EXPECT_EQ(::WaitForSingleObject(app.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    for (const char* dll : {"ws2_32.dll", "iphlpapi.dll"}) {
        EXPECT_TRUE(HasModule(app.Pid(), dll)) << dll;
        EXPECT_EQ(::GetFileAttributesA(Join(folder, std::string(dll) + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << dll;
    }
    Click(::GetDlgItem(dialog, IDCANCEL));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
}

}  // namespace
