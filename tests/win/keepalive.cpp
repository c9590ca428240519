// Holds Wine's desktop process open while the suite runs, so each test does not pay to restart it.
#include <windows.h>

int main() {
    ::GetDesktopWindow();
    ::Sleep(INFINITE);
    return 0;
}
