#include "core/settings_store.h"

#include <cstring>

std::string SettingsStore::Read(GameFamily family, const std::string& name, bool* keyOpened) const {
    unsigned char buffer[kReadBufferSize] = {};
    unsigned long size = kReadBufferSize;
    unsigned long type = 0;
    Registry::Key key = 0;

    const bool opened = registry_.OpenKey(KeyPathOf(family), &key) == Registry::kOk;
    if (keyOpened) *keyOpened = opened;
    if (!opened) return std::string();

    const long result = registry_.QueryValue(key, name, &type, buffer, &size);
    registry_.CloseKey(key);
    if (result != Registry::kOk) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), sizeof buffer));
}

void SettingsStore::Write(GameFamily family, const std::string& name, const std::string& value) const {
    if (value.size() > kMaxWriteLength) return;
    Registry::Key key = 0;
    if (registry_.OpenKey(KeyPathOf(family), &key) != Registry::kOk) return;
    registry_.SetValue(key, name, Registry::kExpandSz, reinterpret_cast<const unsigned char*>(value.c_str()),
                       static_cast<unsigned long>(value.size() + 1));
    registry_.CloseKey(key);
}

bool DecodeBool(const std::string& stored) { return stored == "TRUE"; }

const char* EncodeBool(int value) { return value ? "TRUE" : "FALSE"; }
