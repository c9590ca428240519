#include "win32/Clipboard.h"

#include <cstring>

namespace {

// Hands a copy of the bytes to the clipboard; the clipboard owns it once set.
bool SetData(UINT format, const void* data, size_t size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return false;
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, data, size);
    ::GlobalUnlock(memory);
    if (::SetClipboardData(format, memory)) return true;
    ::GlobalFree(memory);
    return false;
}

}  // namespace

bool PutTextOnClipboard(HWND owner, const std::string& text) {
    if (!::OpenClipboard(owner)) return false;
    // The texts are ASCII: each character widens as it is.
    const std::wstring wide(text.begin(), text.end());
    const bool done = ::EmptyClipboard() && SetData(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)) &&
                      SetData(CF_TEXT, text.c_str(), text.size() + 1);
    ::CloseClipboard();
    return done;
}

std::optional<std::string> AsciiClipboardText(HWND owner, size_t maxLength) {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            const size_t capacity = ::GlobalSize(data) / sizeof(wchar_t);
            std::string ascii;
            bool plain = true;
            size_t i = 0;
            for (; i < capacity && wide[i]; ++i) {
                if (wide[i] > 0x7F || ascii.size() >= maxLength) {
                    plain = false;
                    break;
                }
                ascii += static_cast<char>(wide[i]);
            }
            if (plain && i < capacity) text = ascii;  // ended by its terminator within the block
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}
