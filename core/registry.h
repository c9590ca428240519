// The four registry calls the settings store is built on, over HKEY_LOCAL_MACHINE.
#pragma once

#include <cstdint>
#include <string>

class Registry {
public:
    using Key = std::uintptr_t;
    static constexpr unsigned long kExpandSz = 2;  // REG_EXPAND_SZ
    static constexpr long kOk = 0;

    virtual ~Registry() = default;

    // Opens an existing key; never creates one. Returns kOk and sets *key when open.
    virtual long OpenKey(const std::string& path, Key* key) = 0;
    // Copies a value's data. *size holds the buffer size on entry and the data size on return; data
    // larger than the buffer is not copied and the call fails.
    virtual long QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                            unsigned long* size) = 0;
    virtual long SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                          unsigned long size) = 0;
    virtual long CloseKey(Key key) = 0;
};

// A key of a Registry, open for as long as this object lives: its CloseKey is called here alone.
class ScopedKey {
public:
    ScopedKey(Registry& registry, const std::string& path)
        : registry_(registry), open_(registry.OpenKey(path, &key_) == Registry::kOk) {}
    ~ScopedKey() {
        if (open_) registry_.CloseKey(key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    bool IsOpen() const { return open_; }
    Registry::Key Get() const { return key_; }

private:
    Registry& registry_;
    Registry::Key key_ = 0;
    bool open_;
};
