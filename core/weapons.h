// The weapon tables of the player settings: the text a weapon is shown by and the file name the
// games store for it. Both directions of the translation go through the same table, matching
// exactly and case-sensitively.
#pragma once

#include <cstddef>
#include <string>

struct WeaponEntry {
    const char* text;      // as shown in the weapon combo boxes
    const char* fileName;  // as stored under MultiplayerWeapon1 / MultiplayerWeapon2
};

constexpr std::size_t kPrimaryWeaponCount = 24;
constexpr std::size_t kSecondaryWeaponCount = 8;

extern const WeaponEntry PrimaryWeaponTable[kPrimaryWeaponCount];
extern const WeaponEntry SecondaryWeaponTable[kSecondaryWeaponCount];

// A table as a range of rows.
struct WeaponTable {
    const WeaponEntry* rows;
    std::size_t count;
    const WeaponEntry* begin() const { return rows; }
    const WeaponEntry* end() const { return rows + count; }
};

WeaponTable PrimaryWeapons();
WeaponTable SecondaryWeapons();

// The row whose file name equals `fileName`, or null.
const WeaponEntry* FindWeaponByFileName(WeaponTable table, const std::string& fileName);
// The row whose display text equals `text`, or null.
const WeaponEntry* FindWeaponByText(WeaponTable table, const std::string& text);
