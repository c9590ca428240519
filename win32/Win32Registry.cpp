#include "win32/Win32Registry.h"

#include <windows.h>

namespace {
HKEY ToHandle(Registry::Key key) { return reinterpret_cast<HKEY>(key); }
}  // namespace

long Win32Registry::OpenKey(const std::string& path, Key* key) {
    // As RegOpenKeyA does (maximum allowed access, no creation), pinned to the 32-bit view: a no-op
    // in a 32-bit process, and the games' view when the same code runs as a 64-bit process.
    HKEY handle = nullptr;
    const LONG result =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, MAXIMUM_ALLOWED | KEY_WOW64_32KEY, &handle);
    if (result == ERROR_SUCCESS) *key = reinterpret_cast<Key>(handle);
    return result;
}

long Win32Registry::QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                               unsigned long* size) {
    DWORD dataType = 0;
    DWORD dataSize = *size;
    const LONG result = RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &dataType, buffer, &dataSize);
    if (type) *type = dataType;
    *size = dataSize;
    return result;
}

long Win32Registry::SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                             unsigned long size) {
    return RegSetValueExA(ToHandle(key), name.c_str(), 0, type, data, size);
}

long Win32Registry::CloseKey(Key key) { return RegCloseKey(ToHandle(key)); }
