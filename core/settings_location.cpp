#include "core/settings_location.h"

#include "core/text.h"

bool HasRunAsAdminLayer(const std::string& layers) {
    for (std::string token : Split(layers, ' ')) {
        while (!token.empty() && (token[0] == '~' || token[0] == '$')) token.erase(0, 1);
        if (EqualNoCase(token, "RUNASADMIN")) return true;
    }
    return false;
}

std::string LayersValueName(const std::string& exePath) {
    std::string name = exePath;
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

bool SetToRunAsAdmin(const std::optional<StoredValue>& layers) {
    return layers && layers->IsString() && HasRunAsAdminLayer(ReadableValue(*layers));
}

std::string PathInFolder(const std::string& folder, const std::string& fileName) {
    std::string path = folder;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path + "\\" + fileName;
}

std::vector<std::string> ExecutablesOf(GameFamily family) {
    std::vector<std::string> names;
    for (const TargetInfo& info : AllTargets())
        if (info.family == family) names.push_back(info.executable);
    return names;
}

std::string VirtualStorePath(GameFamily family, bool wow6432Node) {
    const std::string keyPath = KeyPathOf(family);
    const std::string belowSoftware = keyPath.substr(keyPath.find('\\') + 1);
    return std::string("Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\") + (wow6432Node ? "WOW6432Node\\" : "") +
           belowSoftware;
}

std::string SettingsLocation::Explanation() const {
    if (!userCopyExists)
        return "There is no per-user copy: started normally or as administrator, the game reads the machine "
               "values.";
    return "Started normally, the game reads your per-user copy first (the machine value where the copy has "
           "none); started as administrator, it reads the machine values only.";
}
