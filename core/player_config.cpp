#include "core/player_config.h"

#include "core/weapons.h"

namespace {

const char kPlayerNameValue[] = "MultiplayerPlayerName";
const char kPrimaryWeaponValue[] = "MultiplayerWeapon1";
const char kSecondaryWeaponValue[] = "MultiplayerWeapon2";

void LoadWeapon(SettingsAccess& settings, const char* valueName, WeaponTable table, std::string& text) {
    if (const WeaponEntry* row = FindWeaponByFileName(table, settings.ReadSetting(valueName))) text = row->text;
}

void SaveWeapon(SettingsAccess& settings, const char* valueName, WeaponTable table, const std::string& text) {
    if (const WeaponEntry* row = FindWeaponByText(table, text)) settings.WriteSetting(valueName, row->fileName);
}

}  // namespace

void LoadPlayerConfig(SettingsAccess& settings, PlayerConfigValues& values) {
    values.m_strPlayerName = settings.ReadSetting(kPlayerNameValue);
    LoadWeapon(settings, kPrimaryWeaponValue, PrimaryWeapons(), values.m_strPrimaryWeapon);
    LoadWeapon(settings, kSecondaryWeaponValue, SecondaryWeapons(), values.m_strSecondaryWeapon);
}

void SavePlayerConfig(SettingsAccess& settings, const PlayerConfigValues& values) {
    settings.WriteSetting(kPlayerNameValue, values.m_strPlayerName);
    SaveWeapon(settings, kPrimaryWeaponValue, PrimaryWeapons(), values.m_strPrimaryWeapon);
    SaveWeapon(settings, kSecondaryWeaponValue, SecondaryWeapons(), values.m_strSecondaryWeapon);
}
