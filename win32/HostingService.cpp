#include "win32/HostingService.h"

namespace {

// Holds an SRW lock for a scope.
class Exclusive {
public:
    explicit Exclusive(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~Exclusive() { ::ReleaseSRWLockExclusive(&lock_); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;

private:
    SRWLOCK& lock_;
};

const std::atomic<bool> kNeverCancelled{false};

}  // namespace

HostingService* HostingService::Create() { return new HostingService; }

HostingService::HostingService() : wake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

HostingService::~HostingService() {
    if (wake_) ::CloseHandle(wake_);
}

void HostingService::AddRef() { ::InterlockedIncrement(&references_); }

void HostingService::Release() {
    if (::InterlockedDecrement(&references_) == 0) delete this;
}

uint64_t HostingService::Seconds() { return ::GetTickCount64() / 1000; }

void HostingService::Notify(HWND window, UINT message) {
    Exclusive hold(lock_);
    window_ = window;
    message_ = message;
}

void HostingService::Changed() {
    HWND window;
    UINT message;
    {
        Exclusive hold(lock_);
        window = window_;
        message = message_;
    }
    if (window) ::PostMessageA(window, message, 0, 0);
}

HostOutcome HostingService::Run(HostAction action, const std::string& port, GameTarget target,
                                const std::atomic<bool>& cancel) {
    Exclusive one(actions_);
    std::optional<HostOutcome> held;
    {
        Exclusive hold(lock_);
        held = held_;
    }
    const std::string description = MappingDescription(target);
    if (action == HostAction::Open && held && held->port != port) {
        // One port is held at a time: the one before is given back first.
        const HostOutcome closed = RunHostAction(HostAction::Close, held->port, description, kNeverCancelled, &*held);
        Exclusive hold(lock_);
        if (closed.result == HostResult::Closed) held_.reset();
        ++generation_;
    }
    // Close Port asks the router and protocol that made the held port; anything else searches.
    const bool direct = action == HostAction::Close && held && held->port == port;
    const HostOutcome outcome = RunHostAction(action, port, description, cancel, direct ? &*held : nullptr);
    bool startRenewals = false;
    {
        Exclusive hold(lock_);
        if (action == HostAction::Open && outcome.result == HostResult::Opened) {
            held_ = outcome;
            target_ = target;
            ++generation_;
            schedule_ = RenewalSchedule();
            schedule_.Granted(Seconds(), outcome.permanent ? 0 : outcome.lifetime);
            epochSeen_ = Seconds();
            renewals_ = 0;
            remade_ = false;
            failure_.reset();
            startRenewals = !renewing_ && !stop_;
            renewing_ = renewing_ || startRenewals;
        } else if (action == HostAction::Close && outcome.result == HostResult::Closed && held_ && held_->port == port) {
            held_.reset();
            ++generation_;
        }
    }
    if (startRenewals) {
        AddRef();
        if (HANDLE thread = ::CreateThread(nullptr, 0, Renewals, this, 0, nullptr)) {
            ::CloseHandle(thread);
        } else {
            Exclusive hold(lock_);
            renewing_ = false;
            Release();
        }
    }
    ::SetEvent(wake_);
    Changed();
    return outcome;
}

DWORD WINAPI HostingService::Renewals(LPVOID parameter) {
    auto* service = static_cast<HostingService*>(parameter);
    while (!service->stop_) {
        DWORD wait = INFINITE;
        {
            Exclusive hold(service->lock_);
            if (service->held_) {
                const uint64_t now = Seconds(), next = service->schedule_.NextRenewal();
                wait = next <= now ? 0 : static_cast<DWORD>((next - now) * 1000);
            }
        }
        if (wait) ::WaitForSingleObject(service->wake_, wait);
        if (service->stop_) break;
        service->Renew();
    }
    service->Release();
    return 0;
}

// A renewal when one is due: the held port asked for again. The same router and protocol are asked
// first; after a failure the router is searched for anew (it may have restarted elsewhere).
void HostingService::Renew() {
    Exclusive one(actions_);
    HostOutcome held;
    GameTarget target;
    unsigned generation;
    bool searchAnew;
    uint64_t epochSeen;
    {
        Exclusive hold(lock_);
        if (!held_ || Seconds() < schedule_.NextRenewal() || stop_) return;
        held = *held_;
        target = target_;
        generation = generation_;
        searchAnew = schedule_.Failures() > 0;
        epochSeen = epochSeen_;
    }
    HostOutcome outcome =
        RunHostAction(HostAction::Open, held.port, MappingDescription(target), stop_, searchAnew ? nullptr : &held);
    const uint64_t now = Seconds();
    {
        Exclusive hold(lock_);
        if (generation != generation_ || stop_) return;
        if (outcome.result == HostResult::Opened) {
            // Gone and made again: PCP and NAT-PMP tell by the router's epoch, UPnP by its lookup.
            remade_ = outcome.via == MappingProtocol::UPnP
                          ? !outcome.wasHeld
                          : outcome.via != held.via || EpochShowsRestart(held.epoch, epochSeen, outcome.epoch, now);
            held_ = outcome;
            epochSeen_ = now;
            schedule_.Granted(now, outcome.permanent ? 0 : outcome.lifetime);
            ++renewals_;
            failure_.reset();
        } else {
            schedule_.Failed(now);
            failure_ = outcome;
        }
    }
    Changed();
}

void HostingService::CloseForQuit(HWND window, UINT message) {
    {
        Exclusive hold(lock_);
        quitWindow_ = window;
        quitMessage_ = message;
    }
    stop_ = true;  // a renewal under way gives up; none follows
    ::SetEvent(wake_);
    AddRef();
    if (HANDLE thread = ::CreateThread(nullptr, 0, QuitClose, this, 0, nullptr)) {
        ::CloseHandle(thread);
        return;
    }
    Release();
    ::PostMessageA(window, message, 0, 0);
}

DWORD WINAPI HostingService::QuitClose(LPVOID parameter) {
    auto* service = static_cast<HostingService*>(parameter);
    const ULONGLONG start = ::GetTickCount64();
    {
        Exclusive one(service->actions_);
        std::optional<HostOutcome> held;
        {
            Exclusive hold(service->lock_);
            held = service->held_;
        }
        const ULONGLONG spent = ::GetTickCount64() - start;
        if (held && spent < kQuitCloseMs) {
            const HostOutcome closed =
                RunHostAction(HostAction::Close, held->port, std::string(), kNeverCancelled, &*held,
                              static_cast<unsigned>(kQuitCloseMs - spent));
            Exclusive hold(service->lock_);
            if (closed.result == HostResult::Closed) service->held_.reset();
        }
    }
    HWND window;
    UINT message;
    {
        Exclusive hold(service->lock_);
        window = service->quitWindow_;
        message = service->quitMessage_;
    }
    if (window) ::PostMessageA(window, message, 0, 0);
    service->Release();
    return 0;
}

std::string HostingService::HeldPort() const {
    Exclusive hold(lock_);
    return held_ ? held_->port : std::string();
}

GameTarget HostingService::HeldTarget() const {
    Exclusive hold(lock_);
    return target_;
}

bool HostingService::Failing() const {
    Exclusive hold(lock_);
    return held_ && failure_.has_value();
}

std::optional<HostingStatus> HostingService::Status() const {
    Exclusive hold(lock_);
    if (!held_) return std::nullopt;
    HostingStatus status;
    status.opened = *held_;
    const uint64_t now = Seconds(), next = schedule_.NextRenewal();
    status.secondsToRenewal = next > now ? next - now : 0;
    status.renewals = renewals_;
    status.remade = remade_;
    status.failing = failure_.has_value();
    if (failure_) status.failure = *failure_;
    return status;
}
