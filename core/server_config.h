// Server Config: the options the selected game hosts a multiplayer game with, as the dialog holds
// them, and their translation from and to the game's registry values.
#pragma once

#include <string>

#include "core/settings_store.h"

// For the Orvanta family the Mireholt-only options are neither loaded nor changeable.
struct ServerConfigValues : EditorSelection {
    std::string m_strServerName;
    std::string m_strMotd;
    int m_bUsePassword = 0;
    std::string m_strPassword;
    // Mireholt only: Allow Armpatches to Loud Footsteps, Random Insertions, Use Kit Restrictions and
    // Show Enemy Names.
    int m_bAllowArmpatches = 0;
    int m_bForceFog = 0;
    int m_bForceWeather = 0;
    int m_bLoudFootsteps = 0;
    int m_bShowEnemies = 0;
    int m_bAllowAutoTargeting = 0;
    int m_bRandomMaps = 0;
    int m_bRandomTeams = 0;
    int m_bRandomInsertions = 0;
    int m_bUseKitRestrictions = 0;
    int m_bShowEnemyNames = 0;
};

constexpr int kServerNameMaxChars = 24;
constexpr int kMotdMaxChars = 24;
constexpr int kPasswordMaxChars = 12;

// The Mireholt-only options only while Mireholt is selected (otherwise they keep what they held),
// then the texts and the options of every game.
void LoadServerConfig(SettingsAccess& settings, ServerConfigValues& values);

// Every value, whatever game is selected. The game's own player limit is left alone.
void SaveServerConfig(SettingsAccess& settings, const ServerConfigValues& values);
