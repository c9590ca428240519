#include "win32/Win32Registry.h"

#include "win32/RegistryKey.h"

// A Key is the address of the RegistryKey that owns the handle, from OpenKey to CloseKey.
namespace {
RegistryKey& KeyOf(Registry::Key key) { return *reinterpret_cast<RegistryKey*>(key); }
}  // namespace

long Win32Registry::OpenKey(const std::string& path, Key* key) {
    // As RegOpenKeyA does (maximum allowed access, no creation), pinned to the 32-bit view: a no-op
    // in a 32-bit process, and the games' view when the same code runs as a 64-bit process.
    RegistryKey opened;
    const LONG result = opened.Open(HKEY_LOCAL_MACHINE, path.c_str(), MAXIMUM_ALLOWED | KEY_WOW64_32KEY);
    if (result == ERROR_SUCCESS) *key = reinterpret_cast<Key>(new RegistryKey(std::move(opened)));
    return result;
}

long Win32Registry::QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                               unsigned long* size) {
    DWORD dataType = 0;
    DWORD dataSize = *size;
    const LONG result = KeyOf(key).Query(name.c_str(), &dataType, buffer, &dataSize);
    if (type) *type = dataType;
    *size = dataSize;
    return result;
}

long Win32Registry::SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                             unsigned long size) {
    return KeyOf(key).Set(name.c_str(), type, data, size);
}

long Win32Registry::CloseKey(Key key) {
    delete &KeyOf(key);
    return kOk;
}

const SettingsStore& SystemSettings() {
    static Win32Registry registry;
    static SettingsStore store(registry);
    return store;
}
