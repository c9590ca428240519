#include "memory_registry.h"

#include <cstring>

namespace {
const long kFileNotFound = 2;
const long kInvalidHandle = 6;
const long kMoreData = 234;
}  // namespace

const MemoryRegistry::Value* MemoryRegistry::Find(const std::string& path, const std::string& name) const {
    auto key = keys_.find(path);
    if (key == keys_.end()) return nullptr;
    auto value = key->second.find(name);
    return value == key->second.end() ? nullptr : &value->second;
}

long MemoryRegistry::OpenKey(const std::string& path, Key* key) {
    if (!keys_.count(path)) return kFileNotFound;
    *key = next_++;
    open_[*key] = path;
    ++opens_;
    return kOk;
}

long MemoryRegistry::QueryValue(Key key, const std::string& name, unsigned long* type, unsigned char* buffer,
                                unsigned long* size) {
    auto open = open_.find(key);
    if (open == open_.end()) return kInvalidHandle;
    const Value* value = Find(open->second, name);
    if (!value) return kFileNotFound;
    if (type) *type = value->type;
    const unsigned long needed = static_cast<unsigned long>(value->data.size());
    if (needed > *size) {
        *size = needed;
        return kMoreData;
    }
    std::memcpy(buffer, value->data.data(), needed);
    *size = needed;
    return kOk;
}

long MemoryRegistry::SetValue(Key key, const std::string& name, unsigned long type, const unsigned char* data,
                              unsigned long size) {
    auto open = open_.find(key);
    if (open == open_.end()) return kInvalidHandle;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    keys_[open->second][name] = Value{type, bytes};
    writes_.push_back(Write{open->second, name, bytes, type});
    return kOk;
}

long MemoryRegistry::CloseKey(Key key) { return open_.erase(key) ? kOk : kInvalidHandle; }
