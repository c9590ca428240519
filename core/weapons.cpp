#include "core/weapons.h"

// Rows 1 to 23 stand in the byte order of their file names; "pw_iweap.wpn" comes last. Two
// secondary file names ("sw_9mmsd", "sw_.50wpn") break the pattern of the others and are kept
// exactly so, since the games' stored values use them.
const WeaponEntry PrimaryWeaponTable[kPrimaryWeaponCount] = {
    {"Barret 82A1", "pw_barrett.wpn"},
    {"M4 Carbine", "pw_car15.wpn"},
    {"HK G36K", "pw_g36k.wpn"},
    {"HK G3A3", "pw_g3a3.wpn"},
    {"M14", "pw_m14.wpn"},
    {"M16", "pw_m16.wpn"},
    {"HK MP10A2", "pw_mp10.wpn"},
    {"HK MP10SD", "pw_mp10sd.wpn"},
    {"HK MP5A5", "pw_mp5.wpn"},
    {"HK MP5K-PDW", "pw_mp5k.wpn"},
    {"HK MP5SD5", "pw_mp5sd.wpn"},
    {"PSG-1", "pw_psg1.wpn"},
    {"Benelli 12ga.", "pw_shotgun.wpn"},
    {"Spas-12", "pw_spas12.wpn"},
    {"Steyr Aug", "pw_steyr.wpn"},
    {"HK UMP45", "pw_ump45.wpn"},
    {"HK UMP45SD", "pw_ump45sd.wpn"},
    {"Walther WA 2000", "pw_wa2000.wpn"},
    {"AK-47", "tw_ak47.wpn"},
    {"AK-74", "tw_ak74.wpn"},
    {"Dragunov", "tw_dragunov.wpn"},
    {"Skorpion", "tw_skorp.wpn"},
    {"UZI", "tw_uzi.wpn"},
    {"Enfield L85A1", "pw_iweap.wpn"},
};

const WeaponEntry SecondaryWeaponTable[kSecondaryWeaponCount] = {
    {"92FS 9mm", "sw_9mm.wpn"},
    {"92FS 9mm-SD", "sw_9mmsd"},
    {"HK .40 USP", "sw_40.wpn"},
    {"HK .40 USP-SD", "sw_40sd.wpn"},
    {"HK .45 Mark23", "sw_45.wpn"},
    {"HK .45 Mark23-SD", "sw_45sd.wpn"},
    {".50 Desert Eagle", "sw_.50wpn"},
    {"0.357 Desert Eagle", "sw_de357.wpn"},
};

WeaponTable PrimaryWeapons() { return WeaponTable{PrimaryWeaponTable, kPrimaryWeaponCount}; }

WeaponTable SecondaryWeapons() { return WeaponTable{SecondaryWeaponTable, kSecondaryWeaponCount}; }

const WeaponEntry* FindWeaponByFileName(WeaponTable table, const std::string& fileName) {
    for (const WeaponEntry& row : table)
        if (fileName == row.fileName) return &row;
    return nullptr;
}

const WeaponEntry* FindWeaponByText(WeaponTable table, const std::string& text) {
    for (const WeaponEntry& row : table)
        if (text == row.text) return &row;
    return nullptr;
}
