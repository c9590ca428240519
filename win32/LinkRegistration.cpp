#include "win32/LinkRegistration.h"

#include <windows.h>

#include <string>

namespace {

const wchar_t kSchemeKey[] = L"Software\\Classes\\mhtoolkit";
const wchar_t kCommandKey[] = L"Software\\Classes\\mhtoolkit\\shell\\open\\command";

std::wstring OpenCommand() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return L"\"" + std::wstring(path, length) + L"\" \"%1\"";
}

bool SetString(const wchar_t* subKey, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
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
    const LONG result = ::RegDeleteTreeW(HKEY_CURRENT_USER, kSchemeKey);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return false;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSchemeKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        return false;
    }
    return true;
}

bool LinksRegistered() {
    wchar_t value[2 * MAX_PATH + 16] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring command = OpenCommand();
    return !command.empty() && ::CompareStringOrdinal(value, -1, command.c_str(), -1, TRUE) == CSTR_EQUAL;
}
