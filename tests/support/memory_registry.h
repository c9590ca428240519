// An in-memory registry with the failure semantics of the real one, recording what is done to it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/registry.h"

class MemoryRegistry : public Registry {
public:
    struct Value {
        unsigned long type = 0;
        std::string data;  // raw bytes
    };
    struct Write {
        std::string key, name, data;
        unsigned long type;
    };

    // Test set-up.
    void CreateKey(const std::string& path) { keys_[path]; }
    void DeleteKey(const std::string& path) { keys_.erase(path); }
    bool HasKey(const std::string& path) const { return keys_.count(path) != 0; }
    void SetRaw(const std::string& path, const std::string& name, unsigned long type, const std::string& data) {
        keys_[path][name] = Value{type, data};
    }
    // A string value as the games store it, with its terminator.
    void SetString(const std::string& path, const std::string& name, const std::string& text) {
        SetRaw(path, name, kExpandSz, text + std::string(1, '\0'));
    }
    const Value* Find(const std::string& path, const std::string& name) const;

    const std::vector<Write>& Writes() const { return writes_; }
    void ClearWrites() { writes_.clear(); }
    int OpenKeys() const { return static_cast<int>(open_.size()); }
    int Opens() const { return opens_; }

    long OpenKey(const std::string& path, Key* key) override;
    long QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                    unsigned long* size) override;
    long SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                  unsigned long size) override;
    long CloseKey(Key key) override;

private:
    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<Key, std::string> open_;
    std::vector<Write> writes_;
    Key next_ = 1;
    int opens_ = 0;
};
