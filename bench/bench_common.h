// What the benchmarks share: their folder, a clock, medians, and starting and ending the toolkit.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

constexpr char kTitle[] = "MH Toolkit";
constexpr DWORD kTimeoutMs = 10000;

// The folder of this executable, where the programs under test are.
inline std::string OwnDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path);
    return full.substr(0, full.find_last_of('\\'));
}

inline double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// A visible top-level window of the process with this title.
struct WindowSearch {
    DWORD pid;
    HWND found;
    const char* title = kTitle;
};

inline BOOL CALLBACK FindVisibleTitled(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != search->pid || !::IsWindowVisible(hWnd)) return TRUE;
    char title[64] = {};
    ::GetWindowTextA(hWnd, title, sizeof title);
    if (std::string(title) != search->title) return TRUE;
    search->found = hWnd;
    return FALSE;
}

// A program started from this folder, ended (closed, else killed) when the object goes.
class Program {
public:
    explicit Program(const std::string& exe) {
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        const std::string dir = OwnDir();
        if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                              &pi_))
            std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
    }
    ~Program() {
        if (!pi_.hProcess) return;
        if (main_) ::PostMessageA(main_, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(pi_.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(pi_.hProcess, 1);
            ::WaitForSingleObject(pi_.hProcess, kTimeoutMs);
        }
        ::CloseHandle(pi_.hThread);
        ::CloseHandle(pi_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Waits for the visible main window; nullptr when the program ends or the deadline passes first.
    HWND WaitMain(double startMs) {
        WindowSearch search{pi_.dwProcessId, nullptr};
        while (pi_.hProcess && NowMs() - startMs < kTimeoutMs) {
            ::EnumWindows(FindVisibleTitled, reinterpret_cast<LPARAM>(&search));
            if ((main_ = search.found)) break;
            if (::WaitForSingleObject(pi_.hProcess, 1) == WAIT_OBJECT_0) break;  // ended without a window
        }
        if (!main_) std::fprintf(stderr, "the program showed no window titled \"%s\"\n", kTitle);
        return main_;
    }

private:
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
};

}  // namespace bench
