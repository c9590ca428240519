// When to renew a port mapping the router granted, and whether the router has restarted and lost
// it. Times are whole seconds of the caller's monotonic clock, passed in.
#pragma once

#include <cstdint>

constexpr uint64_t kMinRenewalSeconds = 2;            // never renew sooner than this after now
constexpr uint64_t kPermanentCheckSeconds = 60 * 60;  // a permanent mapping is checked this often
constexpr uint64_t kFirstRetrySeconds = 15;           // after a failure, doubling up to
constexpr uint64_t kMaxRetrySeconds = 5 * 60;

class RenewalSchedule {
public:
    // The router granted `lifetime` seconds at `now` (0: permanent). Renewal comes at half of it.
    void Granted(uint64_t now, uint32_t lifetime);
    // A renewal failed at `now`: retry after kFirstRetrySeconds, doubling with each further failure
    // up to kMaxRetrySeconds; while the granted lease runs, never later than halfway to its end.
    void Failed(uint64_t now);
    uint64_t NextRenewal() const { return next_; }  // 0 before anything: at once
    bool Permanent() const { return permanent_; }
    uint64_t Expiry() const { return expiry_; }  // 0 when permanent or nothing granted
    bool Expired(uint64_t now) const { return expiry_ != 0 && now >= expiry_; }
    unsigned Failures() const { return failures_; }  // in a row, since the last grant

private:
    uint64_t next_ = 0;
    uint64_t expiry_ = 0;
    bool permanent_ = false;
    unsigned failures_ = 0;
};

// Whether the router's epoch time shows it restarted (and lost its mappings) since the previous
// response: prevEpoch seen at the caller's prevNow, epoch at now. It did when the epoch went back
// more than a second, or when the router's and the caller's elapsed times disagree by more than
// 2 seconds and a sixteenth (RFC 6887, 8.5).
bool EpochShowsRestart(uint32_t prevEpoch, uint64_t prevNow, uint32_t epoch, uint64_t now);
