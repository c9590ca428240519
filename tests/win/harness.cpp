#include "harness.h"

#include <algorithm>
#include <cstdio>
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

// --- Files --------------------------------------------------------------------------------------------

std::string TestDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path);
    return full.substr(0, full.find_last_of('\\'));
}

std::string Join(const std::string& dir, const std::string& name) { return dir + "\\" + name; }

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
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                               5000, &copied))
        return "<no answer>";
    return std::string(buffer, copied);
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

std::vector<HWND> Dialogs(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    ::EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hWnd, &owner);
            if (owner == s->pid && ::IsWindowVisible(hWnd) && ClassName(hWnd) == "#32770") s->found.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// --- The toolkit process ---------------------------------------------------------------------------------

Toolkit::Toolkit(const std::string& workDir, const std::string& exePath) {
    std::string exe = exePath.empty() ? Join(Join(TestDir(), "app"), "MHToolkit.exe") : exePath;
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si,
                          &pi_))
        std::fprintf(stderr, "cannot start %s: %lu\n", exe.c_str(), ::GetLastError());
}

Toolkit::~Toolkit() {
    if (!pi_.hProcess) return;
    if (::WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(pi_.hProcess, 99);
        ::WaitForSingleObject(pi_.hProcess, 5000);
    }
    ::CloseHandle(pi_.hThread);
    ::CloseHandle(pi_.hProcess);
}

HWND Toolkit::Main() {
    if (main_) return main_;
    WaitFor([&] {
        for (HWND hWnd : Dialogs(Pid())) {
            char title[64] = {};
            ::GetWindowTextA(hWnd, title, sizeof title);
            if (std::string(title) == "MH Toolkit" && !::GetDlgItem(hWnd, kTextId)) {
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
            if (hWnd != main_ && caption == title && !::GetDlgItem(hWnd, kTextId)) {
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
            if (HWND text = ::GetDlgItem(hWnd, kTextId)) {
                box.hWnd = hWnd;
                box.text = harness::Text(text);
                char caption[128] = {};
                ::GetWindowTextA(hWnd, caption, sizeof caption);
                box.caption = caption;
                box.style = ::GetWindowLongA(hWnd, GWL_STYLE);
                box.owner = ::GetWindow(hWnd, GW_OWNER);
                HWND icon = ::GetDlgItem(hWnd, kIconId);
                box.hasIcon = icon && ::IsWindowVisible(icon);
                return true;
            }
        }
        return false;
    });
    return box;
}

void Toolkit::Dismiss(const MessageBoxInfo& box) {
    if (!box.hWnd) return;
    ::PostMessageA(box.hWnd, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !::IsWindow(box.hWnd) || !::IsWindowVisible(box.hWnd); });
}

std::string Toolkit::TakeMessage() {
    MessageBoxInfo box = WaitMessageBox();
    if (!box.hWnd) return "<no message>";
    Dismiss(box);
    return box.text;
}

bool Toolkit::NoMessageBox() {
    for (HWND hWnd : Dialogs(Pid()))
        if (::GetDlgItem(hWnd, kTextId)) return false;
    return true;
}

std::optional<DWORD> Toolkit::WaitExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

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
}

Sandbox::~Sandbox() { DeleteGameKeys(); }

void Sandbox::InstallGame(GameFamily family) {
    SetString(family, "InstallationPath", family == GameFamily::Orvanta ? orvantaDir : mireholtDir);
}

}  // namespace harness
