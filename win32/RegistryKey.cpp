#include "win32/RegistryKey.h"


RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

LONG RegistryKey::Open(HKEY root, const std::string& path, REGSAM access) {
    Close();
    return ::RegOpenKeyExA(root, path.c_str(), 0, access, &key_);
}

LONG RegistryKey::Create(HKEY root, const std::string& path, REGSAM access) {
    Close();
    return ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, access, nullptr, &key_, nullptr);
}

void RegistryKey::Close() {
    if (key_) ::RegCloseKey(key_);
    key_ = nullptr;
}

LONG RegistryKey::Query(const std::string& name, DWORD* type, BYTE* data, DWORD* size) const {
    return ::RegQueryValueExA(key_, name.c_str(), nullptr, type, data, size);
}

std::optional<StoredValue> RegistryKey::Value(const std::string& name) const {
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

void RegistryKey::ReadValues(StoredValues* values) const {
    DWORD maxName = 0, maxData = 0;
    ::RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                       nullptr, nullptr);
    std::string name(maxName + 2, '\0'), data(maxData + 1, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        const LONG result = ::RegEnumValueA(key_, index, name.data(), &nameSize, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (result == ERROR_MORE_DATA) {  // grew since the query: ask again with room for it
            name.resize(name.size() * 2 + 256);
            data.resize(data.size() * 2 + 256);
            --index;
            continue;
        }
        if (result != ERROR_SUCCESS) return;
        (*values)[name.substr(0, nameSize)] = StoredValue{type, data.substr(0, dataSize)};
    }
}

LONG RegistryKey::Set(const std::string& name, DWORD type, const void* data, DWORD size) const {
    return ::RegSetValueExA(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegistryKey::SetText(const wchar_t* name, const std::wstring& text) const {
    return ::RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> RegistryKey::Text(const wchar_t* name) const {
    wchar_t text[kMaxText + 1] = {};
    DWORD size = kMaxText * sizeof(wchar_t);
    if (::RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

LONG RegistryKey::DeleteTree(HKEY root, const std::string& path, REGSAM view) {
    RegistryKey key;
    LONG result = key.Open(root, path, KEY_ALL_ACCESS | view);
    if (result != ERROR_SUCCESS) return result;
    const LONG contents = ::RegDeleteTreeA(key.key_, nullptr);  // its values and the keys below it
    key.Close();
    result = ::RegDeleteKeyExA(root, path.c_str(), view, 0);
    return contents != ERROR_SUCCESS ? contents : result;
}
