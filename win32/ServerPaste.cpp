#include "win32/ServerPaste.h"

#include "core/server_address.h"
#include "win32/Clipboard.h"

namespace {

const char kProperty[] = "MHToolkit.ServerPaste";
// Room for the longest host and port with plenty of blanks and line breaks around them.
const size_t kLongestSplitPaste = 1024;

struct PasteTarget {
    WNDPROC previous;
    HWND portEdit;
    std::function<void()> afterSplit;
};

bool SplitPaste(HWND edit, const PasteTarget& target) {
    if (::GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) return false;
    const auto text = AsciiClipboardText(edit, kLongestSplitPaste);
    const auto server = text ? SplitPastedServer(*text) : std::nullopt;
    if (!server) return false;
    ::SetWindowTextA(edit, server->host.c_str());
    ::SetWindowTextA(target.portEdit, server->port->c_str());
    const WPARAM end = static_cast<WPARAM>(server->host.size());
    ::SendMessageA(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    if (target.afterSplit) target.afterSplit();
    return true;
}

LRESULT CALLBACK PasteProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = static_cast<PasteTarget*>(::GetPropA(hWnd, kProperty));
    if (!target) return ::DefWindowProcA(hWnd, message, wParam, lParam);
    const WNDPROC previous = target->previous;
    switch (message) {
    case WM_PASTE:
        if (SplitPaste(hWnd, *target)) return 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_INSERT && ::GetKeyState(VK_SHIFT) < 0 && ::GetKeyState(VK_CONTROL) >= 0) {
            ::SendMessageA(hWnd, WM_PASTE, 0, 0);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(hWnd, kProperty);
        delete target;
        break;
    default:
        break;
    }
    return ::CallWindowProcA(previous, hWnd, message, wParam, lParam);
}

}  // namespace

void SplitServerPastes(HWND addressEdit, HWND portEdit, std::function<void()> afterSplit) {
    if (!addressEdit || !portEdit || ::GetPropA(addressEdit, kProperty)) return;
    auto* target = new PasteTarget{nullptr, portEdit, std::move(afterSplit)};
    ::SetPropA(addressEdit, kProperty, target);
    target->previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(addressEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PasteProc)));
}
