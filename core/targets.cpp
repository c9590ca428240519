#include "core/targets.h"

namespace {

const TargetInfo kTargets[] = {
    {GameTarget::OV, GameFamily::Orvanta, "orvanta.exe -client ", "orvanta.exe -server ",
     "Orvanta is not installed!"},
    {GameTarget::BM, GameFamily::Orvanta, "orvantaMP.exe -client ", "orvantaMP.exe -server ",
     "Brightmoor is not installed!"},
    {GameTarget::MH, GameFamily::Mireholt, "Mireholt.exe -client ", "Mireholt.exe -server ",
     "Mireholt is not installed!"},
};

}  // namespace

const TargetInfo& InfoOf(GameTarget target) { return kTargets[static_cast<int>(target)]; }

const char* KeyPathOf(GameFamily family) {
    return family == GameFamily::Mireholt ? "Software\\Tarnwell\\Mireholt"
                                          : "Software\\Tarnwell\\Haskett's Orvanta";
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
