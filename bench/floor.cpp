// The floor of the start-up benchmark: the least a program can do to show the main window's
// template. A bare modal dialog, no framework, no registry, no network.
#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK FloorProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hWnd, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TOOLKIT_DIALOG), nullptr, FloorProc, 0);
    return 0;
}
