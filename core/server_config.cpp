#include "core/server_config.h"

void LoadServerConfig(SettingsAccess& settings, ServerConfigValues& v) {
    if (!v.OrvantaFamily()) {
        v.m_bAllowArmpatches = DecodeBool(settings.ReadSetting("MultiplayerAllowArmPatch"));
        v.m_bForceFog = DecodeBool(settings.ReadSetting("MultiplayerForceFog"));
        v.m_bForceWeather = DecodeBool(settings.ReadSetting("MultiplayerForceWeatherFX"));
        v.m_bLoudFootsteps = DecodeBool(settings.ReadSetting("MultiplayerLoudFootsteps"));
        v.m_bRandomInsertions = DecodeBool(settings.ReadSetting("MultiplayerRandomInsertions"));
        v.m_bUseKitRestrictions = DecodeBool(settings.ReadSetting("MultiplayerUseKitRestrictions"));
        v.m_bShowEnemyNames = DecodeBool(settings.ReadSetting("MultiplayerDisplayNamesOnMap"));
    }
    v.m_strServerName = settings.ReadSetting("MultiplayerServerName");
    v.m_strMotd = settings.ReadSetting("MultiplayerMessageName");
    v.m_bUsePassword = DecodeBool(settings.ReadSetting("MultiplayerRequirePassword"));
    v.m_strPassword = settings.ReadSetting("MultiplayerPassword");
    v.m_bShowEnemies = DecodeBool(settings.ReadSetting("MultiplayerShowEnemies"));
    v.m_bAllowAutoTargeting = DecodeBool(settings.ReadSetting("MultiplayerAutoTargetting"));
    v.m_bRandomMaps = DecodeBool(settings.ReadSetting("MultiplayerRandomMaps"));
    v.m_bRandomTeams = DecodeBool(settings.ReadSetting("MultiplayerRandomTeams"));
}

void SaveServerConfig(SettingsAccess& settings, const ServerConfigValues& v) {
    settings.WriteSetting("MultiplayerServerName", v.m_strServerName);
    settings.WriteSetting("MultiplayerMessageName", v.m_strMotd);
    settings.WriteSetting("MultiplayerRequirePassword", EncodeBool(v.m_bUsePassword));
    settings.WriteSetting("MultiplayerPassword", v.m_strPassword);
    settings.WriteSetting("MultiplayerAllowArmPatch", EncodeBool(v.m_bAllowArmpatches));
    settings.WriteSetting("MultiplayerForceFog", EncodeBool(v.m_bForceFog));
    settings.WriteSetting("MultiplayerForceWeatherFX", EncodeBool(v.m_bForceWeather));
    settings.WriteSetting("MultiplayerLoudFootsteps", EncodeBool(v.m_bLoudFootsteps));
    settings.WriteSetting("MultiplayerShowEnemies", EncodeBool(v.m_bShowEnemies));
    settings.WriteSetting("MultiplayerAutoTargetting", EncodeBool(v.m_bAllowAutoTargeting));
    settings.WriteSetting("MultiplayerRandomMaps", EncodeBool(v.m_bRandomMaps));
    settings.WriteSetting("MultiplayerRandomTeams", EncodeBool(v.m_bRandomTeams));
    settings.WriteSetting("MultiplayerRandomInsertions", EncodeBool(v.m_bRandomInsertions));
    settings.WriteSetting("MultiplayerUseKitRestrictions", EncodeBool(v.m_bUseKitRestrictions));
    settings.WriteSetting("MultiplayerDisplayNamesOnMap", EncodeBool(v.m_bShowEnemyNames));
}
