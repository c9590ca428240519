#include "core/general_options.h"

void LoadGeneralOptions(SettingsAccess& settings, GeneralOptionsValues& v) {
    if (!v.OrvantaFamily()) {
        v.m_bCdMusic = DecodeBool(settings.ReadSetting("CDMusicOn"));
        v.m_bActionMusic = DecodeBool(settings.ReadSetting("ActionMusicOn"));
        v.m_bRecordMission = DecodeBool(settings.ReadSetting("RecordMission"));
        v.m_bAlwaysRun = DecodeBool(settings.ReadSetting("AlwaysRun"));
        v.m_bShowSky = DecodeBool(settings.ReadSetting("ShowSky"));
        v.m_bWeatherFx = DecodeBool(settings.ReadSetting("ShowWeatherFx"));
        v.m_bCharacterShadows = DecodeBool(settings.ReadSetting("CharacterShadows"));
        v.m_bDynamicLighting = DecodeBool(settings.ReadSetting("DynamicLighting"));
        v.m_bShowTooltips = DecodeBool(settings.ReadSetting("ShowTooltips"));
        v.m_bFootstepSounds = DecodeBool(settings.ReadSetting("FootstepSoundOn"));
        v.m_bShowWeaponsAfterDeath = DecodeBool(settings.ReadSetting("RetainGunModels"));
        v.m_bUseMaxSounds = DecodeBool(settings.ReadSetting("UseMaxSounds"));
    }
    v.m_bIntroMovieOff = !DecodeBool(settings.ReadSetting("Movie On"));
    v.m_bBlood = DecodeBool(settings.ReadSetting("GoreOn"));
    v.m_bAutoTargetting = DecodeBool(settings.ReadSetting("AutoTarget"));
    v.m_bShowFog = DecodeBool(settings.ReadSetting("ShowFog"));
    v.m_bFullscreen = DecodeBool(settings.ReadSetting("FullScreen"));
    v.m_strVideoResolution = settings.ReadSetting("VideoResolution");
}

void SaveGeneralOptions(SettingsAccess& settings, const GeneralOptionsValues& v) {
    settings.WriteSetting("CDMusicOn", EncodeBool(v.m_bCdMusic));
    settings.WriteSetting("ActionMusicOn", EncodeBool(v.m_bActionMusic));
    settings.WriteSetting("RecordMission", EncodeBool(v.m_bRecordMission));
    settings.WriteSetting("AlwaysRun", EncodeBool(v.m_bAlwaysRun));
    settings.WriteSetting("ShowSky", EncodeBool(v.m_bShowSky));
    settings.WriteSetting("ShowWeatherFx", EncodeBool(v.m_bWeatherFx));
    settings.WriteSetting("CharacterShadows", EncodeBool(v.m_bCharacterShadows));
    settings.WriteSetting("DynamicLighting", EncodeBool(v.m_bDynamicLighting));
    settings.WriteSetting("ShowTooltips", EncodeBool(v.m_bShowTooltips));
    settings.WriteSetting("FullScreen", EncodeBool(v.m_bFullscreen));
    settings.WriteSetting("FootstepSoundOn", EncodeBool(v.m_bFootstepSounds));
    settings.WriteSetting("RetainGunModels", EncodeBool(v.m_bShowWeaponsAfterDeath));
    // Intro Movie Off is stored inverted, and under both names.
    const char* movieOn = EncodeBool(!v.m_bIntroMovieOff);
    settings.WriteSetting("Movie On", movieOn);
    settings.WriteSetting("PlayIntroMovie", movieOn);
    settings.WriteSetting("GoreOn", EncodeBool(v.m_bBlood));
    settings.WriteSetting("AutoTarget", EncodeBool(v.m_bAutoTargetting));
    settings.WriteSetting("ShowFog", EncodeBool(v.m_bShowFog));
    settings.WriteSetting("UseMaxSounds", EncodeBool(v.m_bUseMaxSounds));
    // A text longer than the store takes is not written, so the stored one stays whole.
    settings.WriteSetting("VideoResolution", v.m_strVideoResolution);
}
