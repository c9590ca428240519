// Reads and writes named string values of a game family's registry key.
#pragma once

#include <string>

#include "core/registry.h"
#include "core/targets.h"

class SettingsStore {
public:
    static constexpr unsigned long kReadBufferSize = 255;  // terminator included
    static constexpr std::size_t kMaxWriteLength = 79;     // terminator excluded

    explicit SettingsStore(Registry& registry) : registry_(registry) {}

    // The value's text up to its first zero byte, or "" on any failure. *keyOpened tells whether
    // the family's key could be opened.
    std::string Read(GameFamily family, const std::string& name, bool* keyOpened = nullptr) const;

    // Stores the text as REG_EXPAND_SZ with its terminator. Silent on failure. A text longer than
    // kMaxWriteLength is not written at all, so the stored value stays as it was.
    void Write(GameFamily family, const std::string& name, const std::string& value) const;

    // How many writes were asked for so far: what was read before may have changed when this has.
    unsigned long Writes() const { return writes_; }

private:
    Registry& registry_;
    mutable unsigned long writes_ = 0;
};

// Read and write by value name, for code that needs no more than that.
class SettingsAccess {
public:
    virtual ~SettingsAccess() = default;
    virtual std::string ReadSetting(const std::string& name) = 0;
    virtual void WriteSetting(const std::string& name, const std::string& value) = 0;
};

// Booleans are stored as "TRUE" / "FALSE"; only exactly "TRUE" reads as true.
bool DecodeBool(const std::string& stored);
const char* EncodeBool(int value);
