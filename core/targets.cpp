#include "core/targets.h"

namespace {

// Each game's code, name and executable once; the texts made of them follow from these.
#define MHT_TARGET(target, family, code, name, exe) \
    {target, family, code, name, exe, exe " -client ", exe " -server ", name " is not installed!"}

const TargetInfo kTargets[] = {
    MHT_TARGET(GameTarget::OV, GameFamily::Orvanta, "ov", "Orvanta", "orvanta.exe"),
    MHT_TARGET(GameTarget::BM, GameFamily::Orvanta, "bm", "Brightmoor", "orvantaMP.exe"),
    MHT_TARGET(GameTarget::MH, GameFamily::Mireholt, "mh", "Mireholt", "Mireholt.exe"),
};

#undef MHT_TARGET

const GameFamily kFamilies[] = {GameFamily::Orvanta, GameFamily::Mireholt};

}  // namespace

const TargetInfo& InfoOf(GameTarget target) { return kTargets[static_cast<int>(target)]; }

std::span<const TargetInfo> AllTargets() { return kTargets; }

const char* KeyPathOf(GameFamily family) {
    return family == GameFamily::Mireholt ? "Software\\Tarnwell\\Mireholt"
                                          : "Software\\Tarnwell\\Haskett's Orvanta";
}

const char* FamilyToken(GameFamily family) {
    for (const TargetInfo& info : kTargets)
        if (info.family == family) return info.name;
    return "";
}

std::optional<GameFamily> FamilyFromToken(const std::string& token) {
    for (GameFamily family : kFamilies)
        if (token == FamilyToken(family)) return family;
    return std::nullopt;
}

std::optional<GameTarget> TargetOfCode(const std::string& code) {
    for (const TargetInfo& info : kTargets)
        if (code == info.code) return info.target;
    return std::nullopt;
}

GameFamily FamilyOfSelection(int nMHRadio) {
    return nMHRadio == 0 ? GameFamily::Mireholt : GameFamily::Orvanta;
}

GameTarget LaunchTargetOfSelection(int nBMRadio, int nOVRadio) {
    if (nBMRadio == 0) return GameTarget::BM;
    if (nOVRadio == 0) return GameTarget::OV;
    return GameTarget::MH;
}

std::optional<GameTarget> TargetOfFailedOpen(int nBMRadio, int nOVRadio, int nMHRadio) {
    if (FamilyOfSelection(nMHRadio) == GameFamily::Mireholt) return GameTarget::MH;
    if (nBMRadio == 0) return GameTarget::BM;
    if (nOVRadio == 0) return GameTarget::OV;
    return std::nullopt;
}
