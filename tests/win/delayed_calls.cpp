// Calls into delay-loaded system DLLs, for the tests of where they load from (network_dlls.cpp):
//   delayed_calls ws2_32|iphlpapi...  calls a function of each DLL in turn, through its delay-load import;
//   delayed_calls --hook NAME         asks the delay-load notification hook for the DLL NAME (without
//                                     a hook, loads it as the helper then does).
// It writes the file of each loaded DLL, one a line, to delayed_calls.txt beside itself and ends with
// 0; an exception (the helper's, for a DLL or function it could not load) ends it with its code.
// winsock2.h goes before windows.h.
#include <winsock2.h>
#include <iphlpapi.h>
#include <delayimp.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

LONG WINAPI EndWithCode(EXCEPTION_POINTERS* exception) {
    ::ExitProcess(exception->ExceptionRecord->ExceptionCode);
}

std::string FileOf(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = module ? ::GetModuleFileNameA(module, path, MAX_PATH) : 0;
    return std::string(path, length);
}

}  // namespace

int main(int argc, char** argv) {
    ::SetUnhandledExceptionFilter(EndWithCode);
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    std::string report;
    if (argc == 3 && std::strcmp(argv[1], "--hook") == 0) {
        DelayLoadInfo info{};
        info.cb = sizeof info;
        info.szDll = argv[2];
        // Without a hook the helper loads the DLL itself, by name.
        const HMODULE module = __pfnDliNotifyHook2
                                   ? reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(dliNotePreLoadLibrary, &info))
                                   : ::LoadLibraryA(info.szDll);
        report += FileOf(module) + "\n";
    } else {
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "ws2_32") == 0) {
                WSADATA data;
                if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
                ::WSACleanup();
                report += FileOf(::GetModuleHandleA("ws2_32.dll")) + "\n";
            } else if (std::strcmp(argv[i], "iphlpapi") == 0) {
                DWORD interfaces = 0;
                if (::GetNumberOfInterfaces(&interfaces) != NO_ERROR) return 1;
                report += FileOf(::GetModuleHandleA("iphlpapi.dll")) + "\n";
            } else {
                return 2;
            }
        }
    }
    std::string path = FileOf(nullptr);
    path = path.substr(0, path.find_last_of('\\') + 1) + "delayed_calls.txt";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 1;
    std::fwrite(report.data(), 1, report.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
}
