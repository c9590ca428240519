#include "win32/RegistryKey.h"


RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

LONG RegistryKey::Open(HKEY root, const char* path, REGSAM access) {
    Close();
    return ::RegOpenKeyExA(root, path, 0, access, &key_);
}

LONG RegistryKey::Create(HKEY root, const char* path, REGSAM access) {
    Close();
    return ::RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &key_, nullptr);
}

void RegistryKey::Close() {
    if (key_) ::RegCloseKey(key_);
    key_ = nullptr;
}

LONG RegistryKey::Query(const char* name, DWORD* type, BYTE* data, DWORD* size) const {
    return ::RegQueryValueExA(key_, name, nullptr, type, data, size);
}

std::optional<StoredValue> RegistryKey::Value(const char* name) const {
    if (!key_) return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    LONG result = Query(name, &value.type, nullptr, &size);
    // The value may grow between the size and the read: ask again with room for it.
    while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        value.data.resize(size);
        result = Query(name, &value.type, reinterpret_cast<BYTE*>(value.data.data()), &size);
        if (result == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
    }
    return std::nullopt;
}

bool RegistryKey::ValueAt(DWORD index, std::string* name, StoredValue* value) const {
    char nameBuffer[16384];  // a value name holds at most 16383 characters
    value->data.resize(value->data.capacity());
    for (;;) {
        DWORD nameSize = sizeof nameBuffer, dataSize = static_cast<DWORD>(value->data.size());
        const LONG result = ::RegEnumValueA(key_, index, nameBuffer, &nameSize, nullptr, &value->type,
                                            reinterpret_cast<BYTE*>(value->data.data()), &dataSize);
        if (result == ERROR_MORE_DATA) {  // the data's size, or room for more when it grew meanwhile
            value->data.resize(dataSize > value->data.size() ? dataSize : value->data.size() * 2 + 256);
            continue;
        }
        if (result != ERROR_SUCCESS) return false;
        name->assign(nameBuffer, nameSize);
        value->data.resize(dataSize);
        return true;
    }
}

void RegistryKey::ReadValues(StoredValues* values) const {
    std::string name;
    StoredValue value;
    for (DWORD index = 0; ValueAt(index, &name, &value); ++index) (*values)[name] = value;
}

LONG RegistryKey::Set(const char* name, DWORD type, const void* data, DWORD size) const {
    return ::RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegistryKey::DeleteValue(const char* name) const { return ::RegDeleteValueA(key_, name); }

LONG RegistryKey::SetText(const wchar_t* name, const std::wstring& text) const {
    return ::RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool RegistryKey::Text(const wchar_t* name, wchar_t (&text)[kMaxText + 1]) const {
    DWORD size = kMaxText * sizeof(wchar_t);
    return ::RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS;
}

LONG RegistryKey::DeleteTree(HKEY root, const char* path, REGSAM view) {
    RegistryKey key;
    LONG result = key.Open(root, path, KEY_ALL_ACCESS | view);
    if (result != ERROR_SUCCESS) return result;
    const LONG contents = ::RegDeleteTreeA(key.key_, nullptr);  // its values and the keys below it
    key.Close();
    result = ::RegDeleteKeyExA(root, path, view, 0);
    return contents != ERROR_SUCCESS ? contents : result;
}
