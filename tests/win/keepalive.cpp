// Holds Wine's desktop process open while the suite runs, so each test does not pay to restart it.
// The scripts' tests run it as a stand-in game: `keepalive.exe FILE` creates FILE once it runs.
#include <windows.h>

int main(int argc, char** argv) {
    ::GetDesktopWindow();
    if (argc > 1)
        ::CloseHandle(::CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ::Sleep(INFINITE);
    return 0;
}
