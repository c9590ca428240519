#include "core/address_kinds.h"

namespace {

struct Block {
    uint32_t base;
    int bits;
    AddressKind kind;
    const char* name;
};

constexpr uint32_t At(uint32_t a, uint32_t b = 0, uint32_t c = 0) { return a << 24 | b << 16 | c << 8; }

constexpr Block kBlocks[] = {
    {At(10), 8, AddressKind::Private, "private"},
    {At(172, 16), 12, AddressKind::Private, "private"},
    {At(192, 168), 16, AddressKind::Private, "private"},
    {At(100, 64), 10, AddressKind::Shared, "carrier-grade NAT"},
    {At(0), 8, AddressKind::Reserved, "\"this network\""},
    {At(127), 8, AddressKind::Reserved, "loopback"},
    {At(169, 254), 16, AddressKind::Reserved, "link-local"},
    {At(192, 0, 0), 24, AddressKind::Reserved, "IETF protocol"},
    {At(192, 0, 2), 24, AddressKind::Reserved, "documentation"},
    {At(198, 18), 15, AddressKind::Reserved, "benchmarking"},
    {At(198, 51, 100), 24, AddressKind::Reserved, "documentation"},
    {At(203, 0, 113), 24, AddressKind::Reserved, "documentation"},
    {At(224), 4, AddressKind::Reserved, "multicast"},
    {At(240), 4, AddressKind::Reserved, "reserved"},
};

const Block* BlockOf(const std::string& address) {
    const std::optional<uint32_t> value = ParseIPv4(address);
    if (!value) return nullptr;
    for (const Block& block : kBlocks)
        if ((*value >> (32 - block.bits)) == (block.base >> (32 - block.bits))) return &block;
    return nullptr;
}

}  // namespace

std::optional<uint32_t> ParseIPv4(const std::string& text) {
    uint32_t value = 0;
    int parts = 0;
    size_t i = 0;
    for (;;) {
        const size_t start = i;
        unsigned part = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3)
            part = part * 10 + static_cast<unsigned>(text[i++] - '0');
        const size_t digits = i - start;
        if (digits == 0 || part > 255 || (digits > 1 && text[start] == '0')) return std::nullopt;
        value = value << 8 | part;
        if (++parts == 4) break;
        if (i >= text.size() || text[i] != '.') return std::nullopt;
        ++i;
    }
    if (i != text.size()) return std::nullopt;
    return value;
}

AddressKind KindOfAddress(const std::string& address) {
    if (!ParseIPv4(address)) return AddressKind::NotAnAddress;
    const Block* block = BlockOf(address);
    return block ? block->kind : AddressKind::Public;
}

const char* BlockNameOf(const std::string& address) {
    const Block* block = BlockOf(address);
    return block ? block->name : "";
}
