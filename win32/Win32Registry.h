// The system registry under HKEY_LOCAL_MACHINE, in the 32-bit view the games use, and the settings
// store over it.
#pragma once

#include "core/registry.h"
#include "core/settings_store.h"

class Win32Registry : public Registry {
public:
    long OpenKey(const std::string& path, Key* key) override;
    long QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                    unsigned long* size) override;
    long SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                  unsigned long size) override;
    long CloseKey(Key key) override;
};

// The settings store over the system registry, which every window of the program shares.
const SettingsStore& SystemSettings();
