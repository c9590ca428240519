#include "framework/pictures.h"

namespace {

// A control of a dialog template: its style and rectangle in dialog units, and whether it is a static.
struct TemplateItem {
    DWORD style;
    short x, y, cx, cy;
    bool isStatic;
};

const WORD* SkipSzOrOrd(const WORD* p) {
    if (*p == 0xFFFF) return p + 2;
    while (*p) ++p;
    return p + 1;
}

bool IsStaticClass(const WORD* p) {
    if (*p == 0xFFFF) return p[1] == 0x0082;
    const char kName[] = "static";
    for (int i = 0; i < 6; ++i, ++p)
        if ((*p | 0x20) != kName[i]) return false;
    return *p == 0;
}

const WORD* AlignToDword(const WORD* p, const BYTE* base) {
    const size_t offset = reinterpret_cast<const BYTE*>(p) - base;
    return reinterpret_cast<const WORD*>(base + ((offset + 3) & ~size_t(3)));
}

// The controls of a DIALOG or DIALOGEX template, in creation order.
std::vector<TemplateItem> ReadTemplate(const BYTE* data) {
    const WORD* p = reinterpret_cast<const WORD*>(data);
    const bool extended = p[0] == 1 && p[1] == 0xFFFF;
    DWORD style;
    WORD count;
    if (extended) {
        style = *reinterpret_cast<const DWORD*>(p + 6);
        count = p[8];
        p += 13;  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
    } else {
        style = *reinterpret_cast<const DWORD*>(p);
        count = p[4];
        p += 9;  // style, exStyle, cdit, x, y, cx, cy
    }
    p = SkipSzOrOrd(p);  // menu
    p = SkipSzOrOrd(p);  // class
    p = SkipSzOrOrd(p);  // title
    if (style & DS_SETFONT) {
        p += extended ? 3 : 1;  // point size (and weight, italic, charset)
        p = SkipSzOrOrd(p);     // typeface
    }
    std::vector<TemplateItem> items;
    for (WORD i = 0; i < count; ++i) {
        p = AlignToDword(p, data);
        TemplateItem item{};
        if (extended) {
            item.style = *reinterpret_cast<const DWORD*>(p + 4);
            p += 6;
        } else {
            item.style = *reinterpret_cast<const DWORD*>(p);
            p += 4;
        }
        const short* rect = reinterpret_cast<const short*>(p);
        item.x = rect[0];
        item.y = rect[1];
        item.cx = rect[2];
        item.cy = rect[3];
        p += extended ? 6 : 5;  // rectangle and id
        item.isStatic = IsStaticClass(p);
        p = SkipSzOrOrd(p);         // class
        p = SkipSzOrOrd(p);         // title
        const WORD extra = *p++;    // creation data
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        items.push_back(item);
    }
    return items;
}

// A copy of `source` at width x height, filtered with halftone.
HBITMAP ScaleBitmap(HBITMAP source, int width, int height) {
    BITMAP info{};
    if (!::GetObjectA(source, sizeof info, &info)) return nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC from = ::CreateCompatibleDC(screen);
    HDC to = ::CreateCompatibleDC(screen);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP scaled = ::CreateDIBSection(screen, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (scaled) {
        HGDIOBJ oldFrom = ::SelectObject(from, source);
        HGDIOBJ oldTo = ::SelectObject(to, scaled);
        ::SetStretchBltMode(to, HALFTONE);
        ::SetBrushOrgEx(to, 0, 0, nullptr);
        ::StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        ::SelectObject(to, oldTo);
        ::SelectObject(from, oldFrom);
    }
    ::DeleteDC(to);
    ::DeleteDC(from);
    ::ReleaseDC(nullptr, screen);
    return scaled;
}

}  // namespace

void CDialogPictures::Fit(HWND dialog, UINT templateId) {
    // The pictures are drawn for 96 DPI, where their templates' frames were made around them.
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (dpi == 96) return;
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    HGLOBAL handle = info ? ::LoadResource(module, info) : nullptr;
    const BYTE* data = handle ? static_cast<const BYTE*>(::LockResource(handle)) : nullptr;
    if (!data) return;
    // The dialog creates its controls in template order: the n-th child is the n-th item.
    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (const TemplateItem& item : ReadTemplate(data)) {
        if (!child) break;
        HWND control = child;
        child = ::GetWindow(child, GW_HWNDNEXT);
        if (!item.isStatic || (item.style & SS_TYPEMASK) != SS_BITMAP) continue;

        RECT frame = {item.x, item.y, item.x + item.cx, item.y + item.cy};
        ::MapDialogRect(dialog, &frame);
        RECT window, client;
        ::GetWindowRect(control, &window);
        ::GetClientRect(control, &client);
        const int border = (window.right - window.left) - client.right;
        const int borderY = (window.bottom - window.top) - client.bottom;
        const int width = frame.right - frame.left - border, height = frame.bottom - frame.top - borderY;

        HBITMAP picture = reinterpret_cast<HBITMAP>(::SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP size{};
        if (picture && ::GetObjectA(picture, sizeof size, &size) && width > 0 && height > 0 &&
            (size.bmWidth != width || size.bmHeight != height)) {
            if (HBITMAP scaled = ScaleBitmap(picture, width, height)) {
                m_scaled.push_back(scaled);
                ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled));
            }
        }
        ::SetWindowPos(control, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CDialogPictures::Release() {
    for (HBITMAP bitmap : m_scaled) ::DeleteObject(bitmap);
    m_scaled.clear();
}
