// One open registry key, closed when its object goes: every registry call of the program goes
// through this class. Paths and value names are ASCII (wide for the wide texts); the access mask carries the view
// (KEY_WOW64_32KEY, KEY_WOW64_64KEY) where one is meant.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/stored_values.h"

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens an existing key, or creates it with any missing keys above it. ERROR_SUCCESS or the
    // system's error; a key open before is closed first.
    LONG Open(HKEY root, const char* path, REGSAM access);
    LONG Create(HKEY root, const char* path, REGSAM access);
    bool IsOpen() const { return key_ != nullptr; }
    void Close();

    // A value into the caller's buffer, as RegQueryValueEx does it.
    LONG Query(const char* name, DWORD* type, BYTE* data, DWORD* size) const;
    // A value whole; nullopt when it is missing or cannot be read.
    std::optional<StoredValue> Value(const char* name) const;
    // The value at `index` in the key's order; false past the last one or when it cannot be read.
    bool ValueAt(DWORD index, std::string* name, StoredValue* value) const;
    // Adds every value of the key to *values.
    void ReadValues(StoredValues* values) const;
    LONG Set(const char* name, DWORD type, const void* data, DWORD size) const;
    LONG DeleteValue(const char* name) const;

    // A REG_SZ value in the system's wide characters (nullptr names the default value). Text reads
    // at most kMaxText characters, with their end; false when the value is missing, longer or no text.
    static constexpr DWORD kMaxText = 2 * MAX_PATH + 16;
    LONG SetText(const wchar_t* name, const std::wstring& text) const;
    bool Text(const wchar_t* name, wchar_t (&text)[kMaxText + 1]) const;

    // Deletes the key with its values and everything below it.
    static LONG DeleteTree(HKEY root, const char* path, REGSAM view);

private:
    HKEY key_ = nullptr;
};
