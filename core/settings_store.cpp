#include "core/settings_store.h"

#include <cstring>

std::string SettingsStore::Read(GameFamily family, const std::string& name, bool* keyOpened) const {
    unsigned char buffer[kReadBufferSize] = {};
    unsigned long size = kReadBufferSize;
    unsigned long type = 0;

    const ScopedKey key(registry_, KeyPathOf(family));
    if (keyOpened) *keyOpened = key.IsOpen();
    if (!key.IsOpen()) return std::string();
    if (registry_.QueryValue(key.Get(), name, &type, buffer, &size) != Registry::kOk) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), sizeof buffer));
}

void SettingsStore::Write(GameFamily family, const std::string& name, const std::string& value) const {
    ++writes_;
    if (value.size() > kMaxWriteLength) return;
    const ScopedKey key(registry_, KeyPathOf(family));
    if (!key.IsOpen()) return;
    registry_.SetValue(key.Get(), name, Registry::kExpandSz, reinterpret_cast<const unsigned char*>(value.c_str()),
                       static_cast<unsigned long>(value.size() + 1));
}

bool DecodeBool(const std::string& stored) { return stored == "TRUE"; }

const char* EncodeBool(int value) { return value ? "TRUE" : "FALSE"; }
