// Loaded into the program's process by a message hook (harness::SystemMenu): answers from inside
// what another process cannot read, such as a window's system menu.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

HMODULE g_self = nullptr;

// "<file name>" beside this DLL.
void PathBesideSelf(const char* fileName, char* path, DWORD size) {
    DWORD length = ::GetModuleFileNameA(g_self, path, size);
    while (length > 0 && path[length - 1] != '\\') --length;
    path[length] = '\0';
    if (length + std::strlen(fileName) + 1 <= size) std::strcat(path, fileName);
}

// A report beside this DLL, written under a temporary name and renamed when complete, so a reader
// never sees half a file.
struct Report {
    char path[MAX_PATH], temporary[MAX_PATH];
    FILE* out;
    explicit Report(const char* name) {
        char file[64];
        std::snprintf(file, sizeof file, "%s.txt", name);
        PathBesideSelf(file, path, MAX_PATH);
        std::snprintf(file, sizeof file, "%s.tmp", name);
        PathBesideSelf(file, temporary, MAX_PATH);
        out = std::fopen(temporary, "wb");
    }
    ~Report() {
        if (!out) return;
        std::fclose(out);
        ::MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING);
    }
};

// One line per item: type flags, command id, state flags, text (tab-separated).
void DescribeSystemMenu(HWND window) {
    Report report("sysmenu");
    FILE* out = report.out;
    if (!out) return;
    if (HMENU menu = ::GetSystemMenu(window, FALSE)) {
        const int count = ::GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            MENUITEMINFOA item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
            item.dwTypeData = text;
            item.cch = sizeof text;
            if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) continue;
            std::fprintf(out, "%u\t%u\t%u\t%s\n", item.fType, item.wID, item.fState, text);
        }
    }
}

// The dialog's base units and DPI, then one line per control: class, style, window rectangle in
// the dialog's client coordinates, client size, size of its label as drawn in its font (the width
// it may wrap to for wrapping statics), size of its picture, and its text (tab-separated).
void DescribeLayout(HWND dialog) {
    Report report("layout");
    FILE* out = report.out;
    if (!out) return;
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(dialog, &units);
    HDC screen = ::GetDC(nullptr);
    std::fprintf(out, "dialog\t%ld\t%ld\t%d\n", units.right, units.bottom, ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {}, text[256] = {};
        ::GetClassNameA(child, name, sizeof name);
        ::GetWindowTextA(child, text, sizeof text);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        RECT window, client;
        ::GetWindowRect(child, &window);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&window), 2);
        ::GetClientRect(child, &client);
        SIZE label = {0, 0};
        if (text[0]) {
            HDC dc = ::GetDC(child);
            HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(child, WM_GETFONT, 0, 0)));
            const bool wraps = ::lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
            RECT box = {0, 0, wraps ? client.right : 0, 0};
            ::DrawTextA(dc, text, -1, &box, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
            label.cx = box.right;
            label.cy = box.bottom;
            ::SelectObject(dc, old);
            ::ReleaseDC(child, dc);
        }
        BITMAP picture = {};
        if (::lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP)
            ::GetObjectA(reinterpret_cast<HGDIOBJ>(::SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                         sizeof picture, &picture);
        std::fprintf(out, "%s\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%s\n", name, style,
                     window.left, window.top, window.right, window.bottom, client.right, client.bottom, label.cx,
                     label.cy, picture.bmWidth, picture.bmHeight, text);
    }
}

// One line per row of a report-view list, its cells as hex of their whole text, tab-separated.
void DescribeListView(HWND list) {
    Report report("listview");
    FILE* out = report.out;
    if (!out) return;
    static char text[70000];
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            text[0] = '\0';
            ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            if (column) std::fputc('\t', out);
            for (const char* p = item.pszText; *p; ++p) std::fprintf(out, "%02x", static_cast<unsigned char>(*p));
        }
        std::fputc('\n', out);
    }
}

}  // namespace

// WH_GETMESSAGE hook: acts on the registered messages "MHT_DescribeSystemMenu",
// "MHT_DescribeListView" and "MHT_DescribeLayout" posted to a window.
extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT describeMenu = ::RegisterWindowMessageA("MHT_DescribeSystemMenu");
    static const UINT describeList = ::RegisterWindowMessageA("MHT_DescribeListView");
    static const UINT describeLayout = ::RegisterWindowMessageA("MHT_DescribeLayout");
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (msg->message == describeMenu) DescribeSystemMenu(msg->hwnd);
        if (msg->message == describeList) DescribeListView(msg->hwnd);
        if (msg->message == describeLayout) DescribeLayout(msg->hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}
