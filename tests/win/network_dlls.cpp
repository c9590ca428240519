// The router code reaches Windows Sockets and the IP helper through delay-load libraries
// (cmake/miniupnpc.cmake), linked here as the program links them, with the hook that loads them from
// the system folder (win32/DelayLoadHook.cpp): neither DLL loads before its first call, and that call
// loads it and arrives. Copies planted beside a program so linked are left alone. Nothing is sent.
// winsock2.h goes before windows.h.
#include <winsock2.h>
#include <iphlpapi.h>
#include <delayimp.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(NetworkDlls, LoadOnTheirFirstCallAndAnswerIt) {
    EXPECT_EQ(::GetModuleHandleA("ws2_32.dll"), nullptr);
    EXPECT_EQ(::GetModuleHandleA("iphlpapi.dll"), nullptr);

    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_NE(::GetModuleHandleA("ws2_32.dll"), nullptr);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    EXPECT_EQ(::ntohs(0x1234), 0x3412);  // a second function of the same DLL
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_NE(s, INVALID_SOCKET);
    if (s != INVALID_SOCKET) ::closesocket(s);
    EXPECT_EQ(::WSACleanup(), 0);

    DWORD interfaces = 0;
    EXPECT_EQ(::GetNumberOfInterfaces(&interfaces), static_cast<DWORD>(NO_ERROR));
    EXPECT_NE(::GetModuleHandleA("iphlpapi.dll"), nullptr);
}

std::string FileOf(HMODULE module) {
    char path[MAX_PATH] = {};
    return std::string(path, ::GetModuleFileNameA(module, path, MAX_PATH));
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The folder the system's DLLs of this bitness load from.
std::string SystemFolder() { return FolderOf(FileOf(::GetModuleHandleA("kernel32.dll"))); }

bool SameFolder(const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// delayed_calls.cpp (with the hook, or the same without it) in a folder of its own, beside copies of
// planted.dll named as the DLLs it calls.
class PlantedDlls : public ::testing::Test {
protected:
    void SetUp() override {
        built_ = FolderOf(FileOf(nullptr));
        folder_ = built_ + "\\planted-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        Clear();
        ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr));
    }
    void TearDown() override { Clear(); }
    void Clear() {
        for (const char* name : {"delayed_calls.exe", "delayed_calls.txt", "ws2_32.dll", "ws2_32.dll.loaded",
                                 "iphlpapi.dll", "iphlpapi.dll.loaded", "mhtplanted.dll", "mhtplanted.dll.loaded"})
            ::DeleteFileA(In(name).c_str());
        ::RemoveDirectoryA(folder_.c_str());
    }
    std::string In(const std::string& name) const { return folder_ + "\\" + name; }
    void Plant(const std::string& dll) {
        ASSERT_TRUE(::CopyFileA((built_ + "\\planted.dll").c_str(), In(dll).c_str(), FALSE)) << dll;
    }
    bool PlantedLoaded(const std::string& dll) const { return Exists(In(dll + ".loaded")); }

    // Runs the program built as `exe` from its copy in the folder; its exit code, or nullopt when it
    // did not end in time (it is ended then).
    std::optional<DWORD> Run(const std::string& exe, const std::string& arguments) {
        const std::string copy = In("delayed_calls.exe");
        if (!::CopyFileA((built_ + "\\" + exe).c_str(), copy.c_str(), FALSE)) return std::nullopt;
        std::string line = "\"" + copy + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                              &startup, &process))
            return std::nullopt;
        ::CloseHandle(process.hThread);
        std::optional<DWORD> code;
        if (::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
            DWORD exitCode = 0;
            if (::GetExitCodeProcess(process.hProcess, &exitCode)) code = exitCode;
        } else {
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, 10000);
        }
        ::CloseHandle(process.hProcess);
        return code;
    }
    // The files of the DLLs the run loaded, in the order called.
    std::vector<std::string> Loaded() const {
        std::ifstream in(In("delayed_calls.txt"));
        std::vector<std::string> files;
        for (std::string line; std::getline(in, line);) files.push_back(line);
        return files;
    }

    std::string built_, folder_;
};

// What the helper raises for a DLL it cannot load.
constexpr DWORD kModuleNotFound = VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND);

TEST_F(PlantedDlls, TheSystemFolderCopiesLoadAndAnswer) {
    Plant("ws2_32.dll");
    Plant("iphlpapi.dll");
    EXPECT_EQ(Run("delayed_calls.exe", "ws2_32 iphlpapi"), 0u);
    const std::vector<std::string> loaded = Loaded();
    ASSERT_EQ(loaded.size(), 2u);
    for (const std::string& file : loaded) EXPECT_TRUE(SameFolder(FolderOf(file), SystemFolder())) << file;
    EXPECT_FALSE(PlantedLoaded("ws2_32.dll"));
    EXPECT_FALSE(PlantedLoaded("iphlpapi.dll"));
}

// A DLL the system folder lacks is not looked for anywhere else: the hook raises the helper's
// exception instead of leaving the search to it. Without the hook the helper's own search takes the
// copy beside the program. (Wine runs its own copy of a DLL it has built in, wherever one is planted,
// so a name it lacks stands for a planted system DLL here.)
TEST_F(PlantedDlls, ADllMissingFromTheSystemFolderIsNotLookedForBesideTheProgram) {
    Plant("mhtplanted.dll");
    EXPECT_EQ(Run("delayed_calls_unhooked.exe", "--hook mhtplanted.dll"), 0u);
    ASSERT_TRUE(PlantedLoaded("mhtplanted.dll"));
    ASSERT_TRUE(::DeleteFileA(In("mhtplanted.dll.loaded").c_str()));

    EXPECT_EQ(Run("delayed_calls.exe", "--hook mhtplanted.dll"), kModuleNotFound);
    EXPECT_FALSE(PlantedLoaded("mhtplanted.dll"));
    // The hook answers with the system folder's copy of a system DLL.
    Plant("iphlpapi.dll");
    EXPECT_EQ(Run("delayed_calls.exe", "--hook iphlpapi.dll"), 0u);
    const std::vector<std::string> loaded = Loaded();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_TRUE(SameFolder(FolderOf(loaded[0]), SystemFolder())) << loaded[0];
    EXPECT_FALSE(PlantedLoaded("iphlpapi.dll"));
}

}  // namespace
