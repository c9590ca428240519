#include "win32/SystemLibrary.h"

#include <cstring>

namespace {

HMODULE LoadFromSystemFolder(const char* fileName) {
    HMODULE module = ::LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Vista and 7 without their loader update refuse the flag as an invalid parameter: the full path.
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    char path[MAX_PATH] = {};
    const std::size_t length = ::GetSystemDirectoryA(path, MAX_PATH), nameLength = std::strlen(fileName);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
    path[length] = '\\';
    std::memcpy(path + length + 1, fileName, nameLength + 1);
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

SystemLibrary::SystemLibrary(const char* fileName) : module_(LoadFromSystemFolder(fileName)) {}

FARPROC SystemLibrary::Address(const char* name) const {
    return module_ ? ::GetProcAddress(module_, name) : nullptr;
}
