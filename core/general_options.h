// General Options: the game and graphics options of the selected game, as the dialog holds them,
// and their translation from and to the game's registry values.
#pragma once

#include <string>

#include "core/settings_store.h"

// For the Orvanta family the Mireholt-only options are not loaded.
struct GeneralOptionsValues : EditorSelection {
    int m_bIntroMovieOff = 0;  // stored inverted, under "Movie On" and "PlayIntroMovie"
    int m_bActionMusic = 0;
    int m_bAutoTargetting = 0;
    int m_bBlood = 0;
    int m_bCdMusic = 0;
    int m_bShowFog = 0;
    int m_bFootstepSounds = 0;
    int m_bFullscreen = 0;
    int m_bDynamicLighting = 0;
    int m_bRecordMission = 0;
    int m_bAlwaysRun = 0;
    int m_bCharacterShadows = 0;
    int m_bShowSky = 0;
    int m_bShowTooltips = 0;
    int m_bShowWeaponsAfterDeath = 0;
    int m_bWeatherFx = 0;
    std::string m_strVideoResolution;
    int m_bUseMaxSounds = 0;
};

// The Mireholt-only options (Use Max Sounds among them) only while Mireholt is selected, otherwise
// they keep what they held; then the options of every game. "PlayIntroMovie" is never read.
void LoadGeneralOptions(SettingsAccess& settings, GeneralOptionsValues& values);

// All nineteen values, whatever game is selected.
void SaveGeneralOptions(SettingsAccess& settings, const GeneralOptionsValues& values);
