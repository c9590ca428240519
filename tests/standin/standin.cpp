// Stands in for the games, ping.exe and telnet.exe. With MHT_STANDIN_LOG set it appends one line,
// "<exe file name>\t<command line>\t<current directory>\r\n", to that file and exits; otherwise it
// shows how it was started.
#include <windows.h>

#include <string>

namespace {

std::string ExeFileName() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path);
    return full.substr(full.find_last_of("\\/") + 1);
}

std::string CurrentDirectory() {
    char dir[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string exe = ExeFileName();
    const std::string commandLine = ::GetCommandLineA();
    const std::string directory = CurrentDirectory();

    char logPath[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("MHT_STANDIN_LOG", logPath, MAX_PATH)) {
        const std::string line = exe + "\t" + commandLine + "\t" + directory + "\r\n";
        HANDLE file = ::CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::CloseHandle(file);
        return 0;
    }
    const std::string text = "Started as:\n" + commandLine + "\n\nIn folder:\n" + directory;
    ::MessageBoxA(nullptr, text.c_str(), (exe + " (stand-in)").c_str(), MB_OK | MB_ICONINFORMATION);
    return 0;
}
