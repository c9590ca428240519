// Player Config: the player name and the two weapons of the selected game, as the dialog holds them,
// and their translation from and to the game's registry values.
#pragma once

#include <string>

#include "core/settings_store.h"

// For the Orvanta family the weapons are shown but cannot be changed.
struct PlayerConfigValues : EditorSelection {
    std::string m_strPlayerName;
    std::string m_strPrimaryWeapon;    // normally a primary display text
    std::string m_strSecondaryWeapon;  // normally a secondary display text
};

constexpr int kPlayerNameMaxChars = 30;

// The name always; a weapon only when its stored value is a table file name, otherwise the weapon
// keeps the text it held.
void LoadPlayerConfig(SettingsAccess& settings, PlayerConfigValues& values);

// The name always; a weapon only when its text is a table text.
void SavePlayerConfig(SettingsAccess& settings, const PlayerConfigValues& values);
