// The ports held open for friends. What Open Port made is held here, not by the dialog: each port
// renewed at half of each lifetime the router granted, for as long as the program runs; checked at
// each renewal and made again when the router lost it; released by Close Port, or asked about at quit.
// Router work runs on worker threads, one action at a time; nothing here waits on the UI thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "core/host_texts.h"
#include "core/lease_schedule.h"
#include "core/targets.h"
#include "win32/PortMapper.h"

// How long the quit's Close may take.
constexpr unsigned kQuitCloseMs = 3000;

class HostingService {
public:
    // Reference-counted: the main window holds one reference, each worker another.
    static HostingService* Create();
    void AddRef();
    void Release();

    // After each change of what is held (an Open, a Close, a renewal), `message` is posted to `window`.
    void Notify(HWND window, UINT message);
    // Open Port or Close Port, on the calling worker thread; an opened port is held from then on,
    // a closed one no longer.
    HostOutcome Run(HostAction action, const std::string& port, GameTarget target, const std::atomic<bool>& cancel);
    // The quit's Close of the held ports, on a thread of its own, within kQuitCloseMs; `message` is
    // posted to `window` when it ended. No renewal follows.
    void CloseForQuit(HWND window, UINT message);

    std::vector<std::string> HeldPorts() const;
    // The held port's state and game; nothing when it is not held.
    std::optional<HostingStatus> Status(const std::string& port, GameTarget* target = nullptr) const;
    // Whether the last renewal of a held port failed.
    bool Failing() const;

private:
    HostingService();
    ~HostingService();
    struct Held {
        HostOutcome opened;  // the last Opened outcome
        GameTarget target = GameTarget::MH;
        unsigned generation = 0;  // a renewal of an older Open is dropped
        RenewalSchedule schedule;
        uint64_t epochSeen = 0;   // the client time opened.epoch was seen
        unsigned renewals = 0;
        bool remade = false;
        std::optional<HostOutcome> failure;
    };

    static DWORD WINAPI Renewals(LPVOID parameter);
    static DWORD WINAPI QuitClose(LPVOID parameter);
    // The renewal of the port whose time has come first, if it has.
    void RenewDue();
    void Changed();
    // Under lock_: the held port's entry, or null.
    Held* Find(const std::string& port);
    // Seconds of the monotonic clock the schedule runs on.
    static uint64_t Seconds();

    LONG references_ = 1;
    SRWLOCK actions_ = SRWLOCK_INIT;  // one router action at a time
    mutable SRWLOCK lock_ = SRWLOCK_INIT;  // what follows
    HWND window_ = nullptr;
    UINT message_ = 0;
    std::vector<Held> held_;
    unsigned generations_ = 0;
    bool renewing_ = false;    // the renewal thread runs
    std::atomic<bool> stop_{false};
    HANDLE wake_ = nullptr;
    HWND quitWindow_ = nullptr;
    UINT quitMessage_ = 0;
};
