#include "harness.h"

#include "core/launch.h"
#include "host_friends_ids.h"
#include "toolkit_dlg_ids.h"

#include <gtest/gtest.h>

#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace harness {

namespace {

const REGSAM kView = KEY_WOW64_32KEY;
const int kTextId = 0xFFFF;  // a message box's text
const int kIconId = 0x0440;  // a message box's icon

HKEY OpenKey(GameFamily family, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPathOf(family), 0, access | kView, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

std::string LogPath() { return Join(TestDir(), "standin.log"); }

void CopyStandIn(const std::string& name, const std::string& toDir) {
    ::CopyFileA(Join(Join(TestDir(), "standins"), name).c_str(), Join(toDir, name).c_str(), FALSE);
}

}  // namespace

// --- Registry ---------------------------------------------------------------------------------------

void DeleteGameKeys() {
    for (GameFamily family : {GameFamily::Orvanta, GameFamily::Mireholt}) {
        if (HKEY key = OpenKey(family, KEY_ALL_ACCESS)) {
            ::RegDeleteTreeA(key, nullptr);  // its values and subkeys
            ::RegCloseKey(key);
        }
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, KeyPathOf(family), kView, 0);
    }
}

void CreateGameKey(GameFamily family) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPathOf(family), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, &key,
                      nullptr);
    if (key) ::RegCloseKey(key);
}

bool GameKeyExists(GameFamily family) {
    HKEY key = OpenKey(family, KEY_READ);
    if (!key) return false;
    ::RegCloseKey(key);
    return true;
}

void SetRaw(GameFamily family, const std::string& name, DWORD type, const std::string& data) {
    CreateGameKey(family);
    HKEY key = OpenKey(family, KEY_ALL_ACCESS);
    ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
}

void SetString(GameFamily family, const std::string& name, const std::string& text, DWORD type) {
    SetRaw(family, name, type, text + std::string(1, '\0'));
}

void DeleteValue(GameFamily family, const std::string& name) {
    if (HKEY key = OpenKey(family, KEY_ALL_ACCESS)) {
        ::RegDeleteValueA(key, name.c_str());
        ::RegCloseKey(key);
    }
}

std::optional<RegValue> GetValue(GameFamily family, const std::string& name) {
    HKEY key = OpenKey(family, KEY_READ);
    if (!key) return std::nullopt;
    RegValue value;
    DWORD size = 0;
    LONG result = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.data.resize(size);
        result = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                    reinterpret_cast<BYTE*>(&value.data[0]), &size);
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::string GetText(GameFamily family, const std::string& name) {
    auto value = GetValue(family, name);
    return value ? value->Text() : "<missing>";
}

int ValueCount(GameFamily family) {
    HKEY key = OpenKey(family, KEY_READ);
    if (!key) return 0;
    DWORD count = 0;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                       nullptr, nullptr);
    ::RegCloseKey(key);
    return static_cast<int>(count);
}

// --- Where settings live -----------------------------------------------------------------------------------

RegValues KeyValues(HKEY root, const std::string& path, REGSAM view) {
    RegValues values;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        static BYTE data[1 << 16];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (::RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        values[std::string(name, nameSize)] = RegValue{type, std::string(reinterpret_cast<char*>(data), dataSize)};
    }
    ::RegCloseKey(key);
    return values;
}

RegValues MachineValues(GameFamily family) { return KeyValues(HKEY_LOCAL_MACHINE, KeyPathOf(family), kView); }

std::string UserCopyPath(GameFamily family) {
    return "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\" +
           std::string(KeyPathOf(family)).substr(std::strlen("Software\\"));
}

void SetUserCopyRaw(GameFamily family, const std::string& name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, UserCopyPath(family).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
}

void SetUserCopyString(GameFamily family, const std::string& name, const std::string& text) {
    SetUserCopyRaw(family, name, REG_SZ, text + std::string(1, '\0'));
}

RegValues UserCopyValues(GameFamily family) { return KeyValues(HKEY_CURRENT_USER, UserCopyPath(family), 0); }

bool UserCopyExists(GameFamily family) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, UserCopyPath(family).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void DeleteUserCopies() {
    for (GameFamily family : {GameFamily::Orvanta, GameFamily::Mireholt}) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, UserCopyPath(family).c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, UserCopyPath(family).c_str());
    }
}

namespace {
const char kLayersPath[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const std::pair<HKEY, REGSAM> kLayersPlaces[] = {
    {HKEY_CURRENT_USER, 0}, {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}};
}  // namespace

void SetLayers(HKEY root, REGSAM view, const std::string& exePath, const std::string& layers) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, kLayersPath, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, exePath.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(layers.c_str()),
                     static_cast<DWORD>(layers.size() + 1));
    ::RegCloseKey(key);
}

void DeleteLayersBelow(const std::string& folder) {
    const std::string prefix = folder + "\\";
    for (const auto& place : kLayersPlaces) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(place.first, kLayersPath, 0, KEY_ALL_ACCESS | place.second, &key) != ERROR_SUCCESS)
            continue;
        for (const auto& value : KeyValues(place.first, kLayersPath, place.second))
            if (value.first.size() > prefix.size() && ::_strnicmp(value.first.c_str(), prefix.c_str(), prefix.size()) == 0)
                ::RegDeleteValueA(key, value.first.c_str());
        ::RegCloseKey(key);
    }
}

std::string SuiteAddress() {
    char value[64] = {};
    const DWORD n = ::GetEnvironmentVariableA("MHT_SUITE_ADDRESS", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// --- Files --------------------------------------------------------------------------------------------

std::string TestDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path);
    return full.substr(0, full.find_last_of('\\'));
}

std::string Join(const std::string& dir, const std::string& name) { return dir + "\\" + name; }

std::string SourceUnixPath(const std::string& relative) { return std::string(MH_SOURCE_DIR) + "/" + relative; }

std::string SourceFile(const std::string& relative) { return DosPath(SourceUnixPath(relative)); }

std::string DosPath(const std::string& unixPath) {
    typedef WCHAR*(CDECL * ToDos)(LPCSTR);
    FARPROC export_ = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    if (!export_) return unixPath;
    WCHAR* dos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(export_))(unixPath.c_str());
    if (!dos) return unixPath;
    std::string result;
    for (const WCHAR* p = dos; *p; ++p) result += static_cast<char>(*p);  // our paths are ASCII
    ::HeapFree(::GetProcessHeap(), 0, dos);
    return result;
}

void MakeDir(const std::string& path) { ::CreateDirectoryA(path.c_str(), nullptr); }

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(Join(path, "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = Join(path, name);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileA(child.c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

// --- Started programs -----------------------------------------------------------------------------------

std::vector<Started> ReadStarted() {
    std::vector<Started> started;
    std::ifstream in(LogPath(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t a = line.find('\t'), b = line.rfind('\t');
        if (a == std::string::npos || a == b) continue;
        started.push_back(Started{line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    return started;
}

std::vector<Started> WaitStarted(size_t count) {
    std::vector<Started> started;
    WaitFor([&] {
        started = ReadStarted();
        return started.size() >= count;
    });
    return started;
}

// --- Windows --------------------------------------------------------------------------------------------

bool WaitFor(const std::function<bool()>& predicate, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (predicate()) return true;
        if (::GetTickCount64() > deadline) return false;
        ::Sleep(5);
    }
}

std::string Text(HWND hWnd) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return "<no answer>";
    // The text may grow between the two messages: a full buffer is read again, larger.
    for (size_t size = std::max<size_t>(length + 1, 1024);; size *= 2) {
        std::string buffer(size, '\0');
        DWORD_PTR copied = 0;
        if (!::SendMessageTimeoutA(hWnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, 5000,
                                   &copied))
            return "<no answer>";
        if (copied + 1 < size) {
            buffer.resize(copied);
            return buffer;
        }
    }
}

std::string ClassName(HWND hWnd) {
    char name[64] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

void Click(HWND control) { ::PostMessageA(control, BM_CLICK, 0, 0); }

void SetText(HWND control, const std::string& text) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000,
                          &result);
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    ::SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    return state == BST_CHECKED;
}

void FocusNext(HWND dialog) { ::PostMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE); }

void FocusControl(HWND dialog, HWND control) {
    ::PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool WaitForFocus(HWND window, HWND control, DWORD timeoutMs) {
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    return WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!::GetGUIThreadInfo(thread, &info)) return false;
        if (info.hwndFocus == control) return true;
        if (!info.hwndActive && ::GetForegroundWindow() == ::GetDesktopWindow() && ::IsWindowVisible(window) &&
            ::IsWindowEnabled(window))
            ::SetForegroundWindow(window);
        return false;
    }, timeoutMs);
}

std::string FocusReport(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return "no thread input";
    auto describe = [&](HWND hWnd) {
        if (!hWnd) return std::string("none");
        if (hWnd == window) return std::string("the window");
        char title[64] = {};
        ::GetWindowTextA(hWnd, title, sizeof title);
        return ClassName(hWnd) + " " + std::to_string(::GetDlgCtrlID(hWnd)) + " \"" + title + "\"";
    };
    return "focus: " + describe(info.hwndFocus) + "; active: " + describe(info.hwndActive) +
           "; foreground: " + describe(::GetForegroundWindow());
}

namespace {

struct DialogSearch {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

// A CALLBACK function: on i686 a lambda does not convert to the stdcall WNDENUMPROC.
BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam) {
    auto* s = reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == s->pid && (!s->visibleOnly || ::IsWindowVisible(hWnd)) && ClassName(hWnd) == "#32770")
        s->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> FindDialogs(DWORD pid, bool visibleOnly) {
    DialogSearch search{pid, visibleOnly, {}};
    ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::vector<HWND> Dialogs(DWORD pid) { return FindDialogs(pid, true); }

std::vector<HWND> AllDialogs(DWORD pid) { return FindDialogs(pid, false); }

// The icon control is there even when the box shows no icon.
bool IsMessageBox(HWND hWnd) { return ::GetDlgItem(hWnd, kTextId) && ::GetDlgItem(hWnd, kIconId); }

// --- The toolkit process ---------------------------------------------------------------------------------

CommandTail Args(const std::vector<std::string>& args) {
    CommandTail tail;
    for (const std::string& arg : args) {
        if (!tail.text.empty()) tail.text += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            tail.text += arg;
            continue;
        }
        // Backslashes count only before a quote: doubled there, and one more escapes the quote.
        tail.text += '"';
        size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            tail.text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            tail.text += c;
            backslashes = 0;
        }
        tail.text.append(backslashes * 2, '\\');
        tail.text += '"';
    }
    return tail;
}

Toolkit::Toolkit(const std::string& workDir, const std::string& exePath) { Start(workDir, "", exePath); }

Toolkit::Toolkit(const std::string& workDir, const CommandTail& tail, const std::string& exePath) {
    Start(workDir, tail.text, exePath);
}

bool ProcessGuard::Start(const std::string& exe, std::string commandLine, const std::string& workDir) {
    End();
    job_ = ::CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_) ::SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    // Suspended until it is in the job, so that nothing it starts escapes. Wine now and then fails a
    // start under load with ERROR_INTERNAL_ERROR (its new process did not report in): tried again.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        std::string line = commandLine;
        started = ::CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                   workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_);
        if (!started && ::GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    if (!started) {
        std::fprintf(stderr, "cannot start %s: %lu\n", exe.c_str(), ::GetLastError());
        pi_ = {};
        return false;
    }
    if (job_ && !::AssignProcessToJobObject(job_, pi_.hProcess))
        std::fprintf(stderr, "%s is in no job of the test: %lu\n", exe.c_str(), ::GetLastError());
    ::ResumeThread(pi_.hThread);
    return true;
}

std::optional<DWORD> ProcessGuard::WaitExit(DWORD timeoutMs) {
    if (!pi_.hProcess || ::WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

void ProcessGuard::End() {
    if (job_) {
        const auto jobEmpty = [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
            return !::QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                                sizeof accounting, nullptr) ||
                   accounting.ActiveProcesses == 0;
        };
        // A program that ended by itself may have just started another (a join that starts the game
        // and ends): that one gets a moment to do its work and end on its own.
        if (pi_.hProcess && ::WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0) WaitFor(jobEmpty, 3000);
        ::TerminateJobObject(job_, 99);
        // Until the job's last process is gone (a process that ended is counted no more).
        WaitFor(jobEmpty, 5000);
    }
    if (pi_.hProcess) {
        if (::WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(pi_.hProcess, 99);
            ::WaitForSingleObject(pi_.hProcess, 5000);
        }
        ::CloseHandle(pi_.hThread);
        ::CloseHandle(pi_.hProcess);
    }
    if (job_) ::CloseHandle(job_);
    pi_ = {};
    job_ = nullptr;
}

void Toolkit::Start(const std::string& workDir, const std::string& tail, const std::string& exePath) {
    std::string exe = exePath.empty() ? Join(Join(TestDir(), "app"), "MHToolkit.exe") : exePath;
    std::string commandLine = "\"" + exe + "\"";
    if (!tail.empty()) commandLine += " " + tail;
    process_.Start(exe, commandLine, workDir);
}

HWND Toolkit::Main() {
    if (main_) return main_;
    WaitFor([&] {
        for (HWND hWnd : Dialogs(Pid())) {
            char title[64] = {};
            ::GetWindowTextA(hWnd, title, sizeof title);
            if (std::string(title) == "MH Toolkit" && !IsMessageBox(hWnd)) {
                main_ = hWnd;
                return true;
            }
        }
        return false;
    });
    return main_;
}

HWND Toolkit::WaitDialog(const std::string& caption) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND hWnd : Dialogs(Pid())) {
            char title[128] = {};
            ::GetWindowTextA(hWnd, title, sizeof title);
            if (hWnd != main_ && caption == title && !IsMessageBox(hWnd)) {
                found = hWnd;
                return true;
            }
        }
        return false;
    });
    return found;
}

MessageBoxInfo Toolkit::WaitMessageBox() {
    MessageBoxInfo box;
    WaitFor([&] {
        for (HWND hWnd : Dialogs(Pid())) {
            if (HWND text = IsMessageBox(hWnd) ? ::GetDlgItem(hWnd, kTextId) : nullptr) {
                box.hWnd = hWnd;
                box.text = harness::Text(text);
                char caption[128] = {};
                ::GetWindowTextA(hWnd, caption, sizeof caption);
                box.caption = caption;
                box.style = ::GetWindowLongA(hWnd, GWL_STYLE);
                box.owner = ::GetWindow(hWnd, GW_OWNER);
                HWND icon = ::GetDlgItem(hWnd, kIconId);
                // Wine keeps the icon control shown without an icon: ask for the icon itself.
                DWORD_PTR hIcon = 0;
                box.hasIcon = icon && ::IsWindowVisible(icon) &&
                              ::SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_NORMAL, 5000, &hIcon) && hIcon;
                return true;
            }
        }
        return false;
    });
    return box;
}

void Toolkit::Dismiss(const MessageBoxInfo& box, int buttonId) {
    if (!box.hWnd) return;
    ::PostMessageA(box.hWnd, WM_COMMAND, static_cast<WPARAM>(buttonId), 0);
    WaitFor([&] { return !::IsWindow(box.hWnd) || !::IsWindowVisible(box.hWnd); });
}

std::string Toolkit::TakeMessage() {
    MessageBoxInfo box = WaitMessageBox();
    if (!box.hWnd) return "<no message>";
    Dismiss(box);
    return box.text;
}

namespace {

struct ShownWindowSearch {
    DWORD pid;
    HWND found;
};

// A CALLBACK function: on i686 a lambda does not convert to the stdcall WNDENUMPROC.
BOOL CALLBACK FindShownWindow(HWND hWnd, LPARAM lParam) {
    auto* s = reinterpret_cast<ShownWindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == s->pid && ::IsWindowVisible(hWnd) && !IsMessageBox(hWnd)) s->found = hWnd;
    return !s->found;
}

}  // namespace

Toolkit::Outcome Toolkit::WatchUntilExit(DWORD timeoutMs) {
    Outcome outcome;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::WaitForSingleObject(Process(), 1) == WAIT_TIMEOUT) {
        if (::GetTickCount64() > deadline) return outcome;
        ShownWindowSearch search{Pid(), nullptr};
        ::EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found && !outcome.showedWindow) {
            char title[128] = {};
            ::GetWindowTextA(search.found, title, sizeof title);
            outcome.shown = ClassName(search.found) + " \"" + title + "\"";
        }
        outcome.showedWindow = outcome.showedWindow || search.found;
    }
    outcome.exitCode = process_.WaitExit(0);
    return outcome;
}

bool Toolkit::NoMessageWindow() {
    for (HWND hWnd : AllDialogs(Pid()))
        if (::GetDlgItem(hWnd, kTextId)) return false;
    return true;
}

bool Toolkit::NoMessageBox() {
    for (HWND hWnd : Dialogs(Pid()))
        if (IsMessageBox(hWnd)) return false;
    return true;
}

std::optional<DWORD> Toolkit::WaitExit(DWORD timeoutMs) { return process_.WaitExit(timeoutMs); }

// --- Test environment ----------------------------------------------------------------------------------------

Sandbox::Sandbox() {
    root = Join(TestDir(), "sandbox");
    RemoveTree(root);
    MakeDir(root);
    work = Join(root, "work");
    orvantaDir = Join(root, "Orvanta");
    mireholtDir = Join(root, "Mireholt");
    for (const std::string& dir : {work, orvantaDir, mireholtDir}) MakeDir(dir);
    CopyStandIn("orvanta.exe", orvantaDir);
    CopyStandIn("orvantaMP.exe", orvantaDir);
    CopyStandIn("Mireholt.exe", mireholtDir);
    ::DeleteFileA(LogPath().c_str());
    ::SetEnvironmentVariableA("MHT_STANDIN_LOG", LogPath().c_str());
    DeleteGameKeys();
    DeleteUserCopies();
}

Sandbox::~Sandbox() {
    DeleteGameKeys();
    DeleteUserCopies();
    DeleteLayersBelow(root);
}

void Sandbox::InstallGame(GameFamily family) {
    SetString(family, kPathValue, family == GameFamily::Orvanta ? orvantaDir : mireholtDir);
}

namespace {

// The command line of a running process, read from its process parameters; empty until the process
// has set them up, or once it is gone.
std::string CommandLineOf(HANDLE process) {
    typedef LONG(NTAPI * Query)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static const Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    SIZE_T read = 0;
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !::ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, &read) || !peb.ProcessParameters ||
        !::ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, &read) ||
        !parameters.CommandLine.Buffer || !parameters.CommandLine.Length)
        return std::string();
    std::wstring wide(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    // Until the new process has written them, the parameters may hold zeros.
    if (!::ReadProcessMemory(process, parameters.CommandLine.Buffer, &wide[0], parameters.CommandLine.Length, &read) ||
        wide.find(L'\0') != std::wstring::npos)
        return std::string();
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                          &text[0], static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

const ULONG_PTR kStopWatch = 1;

}  // namespace

ChildWatch::ChildWatch(HANDLE process) {
    job_ = ::CreateJobObjectA(nullptr, nullptr);
    port_ = ::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{job_, port_};
    ::SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &association, sizeof association);
    watched_ = ::GetProcessId(process);
    ::AssignProcessToJobObject(job_, process);
    thread_ = std::thread([this] { Run(); });
}

ChildWatch::~ChildWatch() {
    ::PostQueuedCompletionStatus(port_, 0, kStopWatch, nullptr);
    thread_.join();
    ::CloseHandle(job_);
    ::CloseHandle(port_);
}

void ChildWatch::Run() {
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        if (!::GetQueuedCompletionStatus(port_, &message, &key, &detail, INFINITE) || key == kStopWatch) return;
        if (message != JOB_OBJECT_MSG_NEW_PROCESS) continue;
        const DWORD pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
        if (pid == watched_) continue;  // joining the job is news too
        HANDLE child = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid);
        if (!child) continue;
        // The new process sets up its parameters first thing: look until they are there or it has ended.
        std::string line;
        const ULONGLONG deadline = ::GetTickCount64() + 5000;
        while ((line = CommandLineOf(child)).empty() && ::WaitForSingleObject(child, 0) == WAIT_TIMEOUT &&
               ::GetTickCount64() < deadline)
            ::Sleep(0);
        ::CloseHandle(child);
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(line.empty() ? "<unread>" : line);
    }
}

std::vector<std::string> ChildWatch::CommandLines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::optional<DWORD> RunToolkit(const std::string& arguments) {
    const std::string exe = Join(Join(TestDir(), "app"), "MHToolkit.exe");
    ProcessGuard process;
    if (!process.Start(exe, "\"" + exe + "\" " + arguments)) return std::nullopt;
    return process.WaitExit(10000);
}

void PlaceStandIn(const std::string& exeName, const std::string& dir) { CopyStandIn(exeName, dir); }

// --- Keys, menus and icons ----------------------------------------------------------------------------------

void PostKey(HWND control, UINT vk) {
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageA(control, WM_KEYDOWN, vk, scan | 1);
    ::PostMessageA(control, WM_KEYUP, vk, scan | static_cast<LPARAM>(0xC0000001u));  // previous state, released
}

namespace {

// The Unix path of a Windows path, through Wine's own export.
std::string UnixPath(const std::string& windowsPath) {
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    FARPROC export_ = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!export_) return std::string();
    ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(export_));
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unix = toUnix(wide.c_str());
    if (!unix) return std::string();
    std::string result(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

bool PressKeys(HWND window, const std::string& keys) {
    // Wine keeps the X window of a top-level window in this property.
    const auto xid = reinterpret_cast<std::uintptr_t>(::GetPropA(window, "__wine_x11_whole_window"));
    const std::string marker = Join(TestDir(), "keys.done");
    const std::string unixMarker = UnixPath(marker);
    if (!xid || unixMarker.empty()) return false;
    ::DeleteFileA(marker.c_str());
    // Wine starts Unix programs but gives no handle to wait on: the shell leaves xdotool's status
    // in the marker file.
    std::string commandLine = "/bin/sh -c \"timeout 10 /usr/bin/xdotool windowfocus --sync " +
                              std::to_string(xid) + " key --delay 30 " + keys + "; echo $? > '" + unixMarker +
                              "'\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    std::string status;
    WaitFor([&] {
        status = ReadWholeFile(marker);
        return !status.empty() && status.back() == '\n';
    }, 15000);
    return status == "0\n";
}

namespace {

// Has the probe, loaded into the window's process by a message hook, answer `message` posted to the
// window; returns the file it writes beside itself.
std::string AskProbe(HWND window, const char* message, const char* resultFile) {
    const std::string result = Join(TestDir(), resultFile);
    ::DeleteFileA(result.c_str());
    HMODULE probe = ::LoadLibraryA(Join(TestDir(), "probe.dll").c_str());
    FARPROC proc = probe ? ::GetProcAddress(probe, "ProbeGetMessage") : nullptr;
    if (!proc) {
        const DWORD error = ::GetLastError();
        ADD_FAILURE() << (probe ? "probe.dll has no ProbeGetMessage" : "probe.dll could not be loaded") << " (error "
                      << error << ")";
        if (probe) ::FreeLibrary(probe);
        return std::string();
    }
    HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(proc)),
                                     probe, ::GetWindowThreadProcessId(window, nullptr));
    if (hook) {
        ::PostMessageA(window, ::RegisterWindowMessageA(message), 0, 0);
        WaitFor([&] { return ::GetFileAttributesA(result.c_str()) != INVALID_FILE_ATTRIBUTES; });
        ::UnhookWindowsHookEx(hook);
    } else {
        const DWORD error = ::GetLastError();
        ADD_FAILURE() << "the probe's hook could not be set on the thread of window " << window << " (error "
                      << error << ")";
    }
    ::FreeLibrary(probe);
    return ReadWholeFile(result);
}

// The tab-separated fields of a line, at most `count`: the last one takes the rest, tabs and all.
std::vector<std::string> Fields(const std::string& line, size_t count) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; fields.size() + 1 < count && (tab = line.find('\t', start)) != std::string::npos;
         start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

}  // namespace

std::vector<std::vector<std::string>> ListViewRows(HWND list) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(AskProbe(list, "MHT_DescribeListView", "listview.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (;;) {
            const size_t end = line.find('\t', start);
            cells.push_back(FromHex(line.substr(start, end - start)));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        rows.push_back(cells);
    }
    return rows;
}

std::vector<MenuItem> SystemMenu(HWND window) {
    std::vector<MenuItem> items;
    std::istringstream lines(AskProbe(window, "MHT_DescribeSystemMenu", "sysmenu.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> f = Fields(line, 4);
        if (f.size() != 4) continue;
        items.push_back(MenuItem{static_cast<UINT>(std::stoul(f[0])), static_cast<UINT>(std::stoul(f[1])), f[3],
                                 static_cast<UINT>(std::stoul(f[2]))});
    }
    return items;
}

DialogLayout Layout(HWND dialog) {
    DialogLayout layout;
    std::istringstream lines(AskProbe(dialog, "MHT_DescribeLayout", "layout.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> f = Fields(line, 13);
        if (f.size() == 4 && f[0] == "dialog") {
            layout.baseX = std::stoi(f[1]);
            layout.baseY = std::stoi(f[2]);
            layout.dpi = std::stoi(f[3]);
        } else if (f.size() == 13) {
            ControlLayout c;
            c.className = f[0];
            c.style = std::stol(f[1]);
            c.rect = {std::stol(f[2]), std::stol(f[3]), std::stol(f[4]), std::stol(f[5])};
            c.client = {std::stol(f[6]), std::stol(f[7])};
            c.label = {std::stol(f[8]), std::stol(f[9])};
            c.picture = {std::stol(f[10]), std::stol(f[11])};
            c.text = f[12];
            layout.controls.push_back(c);
        }
    }
    return layout;
}

namespace {

// Pixels of a cx-by-cy area, 32 bits each, drawn by `paint` on a DIB first filled with `fill`.
std::vector<DWORD> Render(int cx, int cy, COLORREF fill, const std::function<void(HDC)>& paint) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap && bits) {
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        RECT all{0, 0, cx, cy};
        HBRUSH brush = ::CreateSolidBrush(fill);
        ::FillRect(dc, &all, brush);
        ::DeleteObject(brush);
        paint(dc);
        ::GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        pixels.assign(p, p + static_cast<size_t>(cx) * static_cast<size_t>(cy));
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(dc);
    return pixels;
}

bool Near(DWORD a, DWORD b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
        if (ca - cb > 24 || cb - ca > 24) return false;
    }
    return true;
}

// Share of the icon's opaque pixels (those equal on black and on white) that the screen shows.
double Likeness(const std::vector<DWORD>& screen, HICON icon, int cx, int cy) {
    auto draw = [&](HDC dc) { ::DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL); };
    const std::vector<DWORD> onBlack = Render(cx, cy, RGB(0, 0, 0), draw);
    const std::vector<DWORD> onWhite = Render(cx, cy, RGB(255, 255, 255), draw);
    if (onBlack.size() != screen.size() || onWhite.size() != screen.size()) return 0;
    size_t opaque = 0, same = 0;
    for (size_t i = 0; i < screen.size(); ++i) {
        if ((onBlack[i] & 0xFFFFFF) != (onWhite[i] & 0xFFFFFF)) continue;
        ++opaque;
        if (Near(onBlack[i], screen[i])) ++same;
    }
    return opaque ? static_cast<double>(same) / static_cast<double>(opaque) : 0;
}

}  // namespace

BoxIcon IconOf(const MessageBoxInfo& box) {
    HWND icon = box.hWnd ? ::GetDlgItem(box.hWnd, kIconId) : nullptr;
    if (!icon || !box.hasIcon) return BoxIcon::None;
    RECT client{};
    ::GetClientRect(icon, &client);
    const int cx = client.right, cy = client.bottom;
    if (cx <= 0 || cy <= 0) return BoxIcon::None;
    const std::pair<BoxIcon, LPCSTR> candidates[] = {{BoxIcon::Exclamation, IDI_EXCLAMATION},
                                                     {BoxIcon::Hand, IDI_HAND},
                                                     {BoxIcon::Asterisk, IDI_ASTERISK},
                                                     {BoxIcon::Question, IDI_QUESTION}};
    BoxIcon best = BoxIcon::None;
    // The box may not have painted yet: look again until one icon matches clearly.
    const bool clear = WaitFor([&] {
        POINT origin{0, 0};
        ::ClientToScreen(icon, &origin);
        const std::vector<DWORD> screen = Render(cx, cy, RGB(0, 0, 0), [&](HDC dc) {
            HDC screenDc = ::GetDC(nullptr);
            ::BitBlt(dc, 0, 0, cx, cy, screenDc, origin.x, origin.y, SRCCOPY);
            ::ReleaseDC(nullptr, screenDc);
        });
        double bestLikeness = 0;
        for (const auto& candidate : candidates) {
            const double likeness = Likeness(screen, ::LoadIconA(nullptr, candidate.second), cx, cy);
            if (likeness > bestLikeness) {
                bestLikeness = likeness;
                best = candidate.first;
            }
        }
        return bestLikeness >= 0.95;
    }, 3000);
    return clear ? best : BoxIcon::None;
}

// --- Clipboard ------------------------------------------------------------------------------------------------

bool SetClipboardText(const std::string& text) {
    const std::wstring wide(text.begin(), text.end());
    bool done = false;
    // Another process may hold the clipboard for a moment.
    WaitFor([] { return ::OpenClipboard(nullptr) != FALSE; }, 5000);
    if (::EmptyClipboard()) {
        const size_t size = (wide.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
        if (void* target = memory ? ::GlobalLock(memory) : nullptr) {
            std::memcpy(target, wide.c_str(), size);
            ::GlobalUnlock(memory);
            done = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done && memory) ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return done;
}

std::string ClipboardText(UINT format) {
    std::string text = "<none>";
    if (!WaitFor([] { return ::OpenClipboard(nullptr) != FALSE; }, 5000)) return text;
    if (HANDLE data = ::GetClipboardData(format)) {
        if (const void* p = ::GlobalLock(data)) {
            if (format == CF_UNICODETEXT) {
                std::wstring wide(static_cast<const wchar_t*>(p));
                text.assign(wide.begin(), wide.end());
            } else {
                text = static_cast<const char*>(p);
            }
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void PasteInto(HWND edit, const std::string& text) {
    SetClipboardText(text);
    Query(edit, WM_PASTE);
}

ForeignWindow::ForeignWindow(const std::string& title) {
    // Visible, but in a corner where it hides none of the program's windows.
    hWnd_ = ::CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 700, 160, 60,
                              nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

ForeignWindow::~ForeignWindow() {
    if (hWnd_) ::DestroyWindow(hWnd_);
}

// --- Shared by the tests ------------------------------------------------------------------------

DWORD TypeOf(GameFamily family, const std::string& name) {
    auto value = GetValue(family, name);
    return value ? value->type : REG_NONE;
}

LRESULT Query(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

void RoundTrip(HWND window) { Query(window, WM_NULL); }

HWND Item(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

void Choose(Toolkit& app, int radioId) {
    Click(app.Item(radioId));
    WaitFor([&] { return IsChecked(app.Item(radioId)); });
    RoundTrip(app.Main());
}

HWND OpenHostForFriends(Toolkit& app) {
    ::PostMessageA(app.Main(), WM_SYSCOMMAND, IDM_HOST_FRIENDS, 0);
    return app.WaitDialog("Host for Friends");
}

HWND OpenHostForFriends(Toolkit& app, int gameRadio, const std::string& port) {
    Choose(app, gameRadio);
    SetText(app.Item(IDC_PORT), port);
    return OpenHostForFriends(app);
}

void Sandbox::SeedServer(GameFamily family, const std::string& address, const std::string& port) {
    InstallGame(family);
    SetString(family, kHostAddressValue, address);
    SetString(family, kJoinPortValue, port);
}

void Sandbox::SeedBothFamilies() {
    SeedServer(GameFamily::Mireholt, "192.0.2.7", "2346");
    SeedServer(GameFamily::Orvanta, "198.51.100.1", "1111");
}

}  // namespace harness
