// Renewing a router's port mapping on a clock the test moves: halfway through each lease, backing
// off after failures without letting a running lease lapse, and telling a restarted router.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/lease_schedule.h"

namespace {

constexpr uint32_t kFail = UINT32_MAX;  // a step's lifetime for a failed renewal

struct Step {
    uint64_t after;     // seconds the clock moves first
    uint32_t lifetime;  // granted, or kFail
    uint64_t next;      // the renewal then due, on the clock
    unsigned failures;
    uint64_t expiry;
};

struct FakeClock {
    uint64_t now = 1000;
};

TEST(RenewalSchedule, Scenarios) {
    const struct {
        const char* name;
        std::vector<Step> steps;
    } scenarios[] = {
        {"two hours: half of it", {{0, 7200, 4600, 0, 8200}}},
        {"4 s", {{0, 4, 1002, 0, 1004}}},
        {"1 s: not sooner than 2", {{0, 1, 1002, 0, 1001}}},
        {"permanent: hourly", {{0, 0, 4600, 0, 0}, {3600, 0, 8200, 0, 0}}},
        {"failures with no lease",
         {{0, kFail, 1015, 1, 0}, {15, kFail, 1045, 2, 0}, {30, kFail, 1105, 3, 0}, {60, kFail, 1225, 4, 0},
          {120, kFail, 1465, 5, 0}, {240, kFail, 1765, 6, 0}, {300, kFail, 2065, 7, 0}, {300, kFail, 2365, 8, 0}}},
        {"failures while a lease runs: never past halfway to its end",
         {{0, 60, 1030, 0, 1060}, {30, kFail, 1045, 1, 1060}, {15, kFail, 1052, 2, 1060},
          {7, kFail, 1056, 3, 1060}, {4, kFail, 1058, 4, 1060}, {2, kFail, 1060, 5, 1060},
          {2, kFail, 1360, 6, 1060}}},  // run out: the back-off alone
        {"a long lease leaves the back-off as it is",
         {{0, 7200, 4600, 0, 8200}, {3600, kFail, 4615, 1, 8200}, {15, kFail, 4645, 2, 8200}}},
        {"a grant ends the failures",
         {{0, kFail, 1015, 1, 0}, {15, kFail, 1045, 2, 0}, {30, 600, 1345, 0, 1645}, {300, kFail, 1360, 1, 1645}}},
        {"permanent: failures back off uncapped, until a lease",
         {{0, 0, 4600, 0, 0}, {3600, kFail, 4615, 1, 0}, {15, kFail, 4645, 2, 0}, {30, kFail, 4705, 3, 0},
          {60, 120, 4765, 0, 4825}}},
    };
    for (const auto& scenario : scenarios) {
        FakeClock clock;
        RenewalSchedule schedule;
        bool permanent = false;
        EXPECT_EQ(schedule.NextRenewal(), 0u);
        for (size_t i = 0; i < scenario.steps.size(); ++i) {
            const Step& step = scenario.steps[i];
            SCOPED_TRACE(std::string(scenario.name) + ", step " + std::to_string(i));
            clock.now += step.after;
            if (step.lifetime == kFail) {
                schedule.Failed(clock.now);
            } else {
                schedule.Granted(clock.now, step.lifetime);
                permanent = step.lifetime == 0;
            }
            EXPECT_EQ(schedule.NextRenewal(), step.next);
            EXPECT_EQ(schedule.Failures(), step.failures);
            EXPECT_EQ(schedule.Expiry(), step.expiry);
            EXPECT_EQ(schedule.Permanent(), permanent);
            if (step.expiry) {
                EXPECT_FALSE(schedule.Expired(step.expiry - 1));
                EXPECT_TRUE(schedule.Expired(step.expiry));
            } else {
                EXPECT_FALSE(schedule.Expired(clock.now + 100'000'000));
            }
        }
    }
}

TEST(EpochShowsRestart, Cases) {
    const struct {
        const char* what;
        uint32_t prevEpoch;
        uint64_t prevNow;
        uint32_t epoch;
        uint64_t now;
        bool restart;
    } cases[] = {
        {"in step", 1000, 50, 1100, 150, false},
        {"no time between", 1000, 50, 1000, 50, false},
        {"restarted: epoch 0", 1000, 50, 0, 150, true},
        {"restarted: an epoch below the last", 1000, 50, 20, 150, true},
        {"restarted long ago: too little progress", 100, 0, 150, 3600, true},
        {"back one second: reordered", 1000, 50, 999, 50, false},
        {"back one second, a second later", 1000, 50, 999, 51, false},
        {"back two seconds", 1000, 50, 998, 50, true},
        {"router slow, within 2 s and a sixteenth", 5000, 0, 5936, 1000, false},
        {"router slow, just past", 5000, 0, 5935, 1000, true},
        {"router 10% slow", 5000, 0, 5900, 1000, true},
        {"router fast, within 2 s and a sixteenth", 5000, 0, 6068, 1000, false},
        {"router fast, just past", 5000, 0, 6069, 1000, true},
        {"2 s on the router, none here", 1000, 50, 1002, 50, false},
        {"3 s on the router, none here", 1000, 50, 1003, 50, true},
        {"2 s here, none on the router", 1000, 50, 1000, 52, false},
        {"3 s here, none on the router", 1000, 50, 1000, 53, true},
        {"a day in step", 0, 7, 86400, 86407, false},
        {"near the epoch's end", UINT32_MAX - 100, 0, UINT32_MAX, 100, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EpochShowsRestart(c.prevEpoch, c.prevNow, c.epoch, c.now), c.restart) << c.what;
}

}  // namespace
