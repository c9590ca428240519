// The system registry under HKEY_LOCAL_MACHINE, in the 32-bit view the games use.
#pragma once

#include "core/registry.h"

class Win32Registry : public Registry {
public:
    long OpenKey(const std::string& path, Key* key) override;
    long QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                    unsigned long* size) override;
    long SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                  unsigned long size) override;
    long CloseKey(Key key) override;
};
