#include "core/lease_schedule.h"

#include <algorithm>

void RenewalSchedule::Granted(uint64_t now, uint32_t lifetime) {
    failures_ = 0;
    permanent_ = lifetime == 0;
    expiry_ = permanent_ ? 0 : now + lifetime;
    next_ = now + (permanent_ ? kPermanentCheckSeconds : std::max<uint64_t>(lifetime / 2, kMinRenewalSeconds));
}

void RenewalSchedule::Failed(uint64_t now) {
    ++failures_;
    uint64_t delay = kFirstRetrySeconds;
    for (unsigned i = 1; i < failures_ && delay < kMaxRetrySeconds; ++i) delay *= 2;
    delay = std::min(delay, kMaxRetrySeconds);
    if (expiry_ != 0 && now < expiry_) delay = std::min(delay, (expiry_ - now) / 2);
    next_ = now + std::max(delay, kMinRenewalSeconds);
}

bool EpochShowsRestart(uint32_t prevEpoch, uint64_t prevNow, uint32_t epoch, uint64_t now) {
    // Going back up to a second is reordering, not a restart.
    if (uint64_t{epoch} + 1 < prevEpoch) return true;
    const int64_t client = static_cast<int64_t>(now) - static_cast<int64_t>(prevNow);
    const int64_t server = int64_t{epoch} - int64_t{prevEpoch};
    return client + 2 < server - server / 16 || server + 2 < client - client / 16;
}
