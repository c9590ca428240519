#include "win32/HandOver.h"

#include <shellapi.h>

#include "framework/dialog.h"
#include "win32/SystemLibrary.h"

namespace {

const char kBusyMessage[] =
    "MH Toolkit has a dialog open. Close it, then try again.";

std::string Utf8(const wchar_t* wide) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(static_cast<size_t>(size - 1));
    return text;
}

// A top-level window titled "MH Toolkit" that is the main window of a copy of this program.
HWND FindToolkitWindow() {
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExA(nullptr, hWnd, nullptr, "MH Toolkit"));) {
        char name[16] = {};
        ::GetClassNameA(hWnd, name, sizeof name);
        if (std::string(name) == "#32770" && ::GetPropA(hWnd, kHandOverProperty)) return hWnd;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> args;
    // The program's own name, as CommandLineToArgvW takes it: quoted up to the next quote, else up
    // to a blank. Nothing after it (a start from the desktop) needs no shell, which is slow to load.
    const wchar_t* rest = ::GetCommandLineW();
    if (*rest == L'"') {
        for (++rest; *rest && *rest != L'"'; ++rest) {}
        if (*rest) ++rest;
    } else {
        for (; *rest && *rest != L' ' && *rest != L'\t'; ++rest) {}
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    if (!*rest) return args;
    decltype(&::CommandLineToArgvW) split;
    int count = 0;
    LPWSTR* argv = SystemLibrary("shell32.dll").Find("CommandLineToArgvW", &split)
                       ? split(::GetCommandLineW(), &count)
                       : nullptr;
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
    ::LocalFree(argv);
    return args;
}

bool HandOver(const std::vector<std::string>& args, int* exitCode) {
    HWND window = FindToolkitWindow();
    if (!window) return false;
    const std::string packed = PackArguments(args);
    if (packed.size() > kMaxPackedBytes) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    ::AllowSetForegroundWindow(pid);  // the running copy comes to the front with the request
    COPYDATASTRUCT data{};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(packed.size());
    data.lpData = const_cast<char*>(packed.data());
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                               &answer))
        return false;
    if (static_cast<LRESULT>(answer) == kHandOverAccepted) {
        *exitCode = 0;
        return true;
    }
    if (static_cast<LRESULT>(answer) == kHandOverBusy) {
        ::SetForegroundWindow(::GetLastActivePopup(window));
        AfxMessageBox(kBusyMessage, MB_OK | MB_ICONEXCLAMATION);
        *exitCode = 1;
        return true;
    }
    return false;
}
