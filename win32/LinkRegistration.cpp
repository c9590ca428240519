#include "win32/LinkRegistration.h"

#include <windows.h>

#include <string>

#include "win32/RegistryKey.h"

namespace {

const char kSchemeKey[] = "Software\\Classes\\mhtoolkit";
const char kCommandKey[] = "Software\\Classes\\mhtoolkit\\shell\\open\\command";

std::wstring OpenCommand() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return L"\"" + std::wstring(path, length) + L"\" \"%1\"";
}

bool SetString(const char* subKey, const wchar_t* name, const std::wstring& value) {
    RegistryKey key;
    return key.Create(HKEY_CURRENT_USER, subKey, KEY_SET_VALUE) == ERROR_SUCCESS &&
           key.SetText(name, value) == ERROR_SUCCESS;
}

}  // namespace

bool RegisterLinks() {
    const std::wstring command = OpenCommand();
    if (command.empty() || !UnregisterLinks()) return false;
    const bool written = SetString(kSchemeKey, nullptr, L"URL:MH Toolkit link") &&
                         SetString(kSchemeKey, L"URL Protocol", L"") && SetString(kCommandKey, nullptr, command);
    if (!written) UnregisterLinks();  // no half-made scheme left behind
    return written;
}

bool UnregisterLinks() {
    const LONG result = RegistryKey::DeleteTree(HKEY_CURRENT_USER, kSchemeKey, 0);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return false;
    RegistryKey key;
    return key.Open(HKEY_CURRENT_USER, kSchemeKey, KEY_READ) != ERROR_SUCCESS;
}

bool LinksRegistered() {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kCommandKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
    wchar_t value[RegistryKey::kMaxText + 1];
    if (!key.Text(nullptr, value)) return false;
    const std::wstring command = OpenCommand();
    return !command.empty() && ::CompareStringOrdinal(value, -1, command.c_str(), -1, TRUE) == CSTR_EQUAL;
}
