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

HostingService::Held* HostingService::Find(const std::string& port) {
    for (Held& held : held_)
        if (held.opened.port == port) return &held;
    return nullptr;
}

HostOutcome HostingService::Run(HostAction action, const std::string& port, GameTarget target,
                                const std::atomic<bool>& cancel) {
    Exclusive one(actions_);
    std::optional<HostOutcome> held;
    {
        Exclusive hold(lock_);
        if (const Held* found = Find(port)) held = found->opened;
    }
    // Close Port asks the router and protocol that made the held port; anything else searches.
    const bool direct = action == HostAction::Close && held;
    const HostOutcome outcome = RunHostAction(action, port, MappingDescription(target), cancel, direct ? &*held : nullptr);
    bool startRenewals = false;
    {
        Exclusive hold(lock_);
        if (action == HostAction::Open && outcome.result == HostResult::Opened) {
            Held* entry = Find(port);
            if (!entry) entry = &held_.emplace_back();
            *entry = Held{};
            entry->opened = outcome;
            entry->target = target;
            entry->generation = ++generations_;
            entry->schedule.Granted(Seconds(), outcome.permanent ? 0 : outcome.lifetime);
            entry->epochSeen = Seconds();
            startRenewals = !renewing_ && !stop_;
            renewing_ = renewing_ || startRenewals;
        } else if (action == HostAction::Close && outcome.result == HostResult::Closed) {
            for (auto it = held_.begin(); it != held_.end(); ++it)
                if (it->opened.port == port) {
                    held_.erase(it);
                    break;
                }
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
            const uint64_t now = Seconds();
            for (const Held& held : service->held_) {
                const uint64_t next = held.schedule.NextRenewal();
                const DWORD ms = next <= now ? 0 : static_cast<DWORD>((next - now) * 1000);
                if (ms < wait) wait = ms;
            }
        }
        if (wait) ::WaitForSingleObject(service->wake_, wait);
        if (service->stop_) break;
        service->RenewDue();
    }
    service->Release();
    return 0;
}

// A renewal: the port asked for again. The same router and protocol are asked first; after a
// failure the router is searched for anew (it may have restarted elsewhere).
void HostingService::RenewDue() {
    Exclusive one(actions_);
    Held due;
    {
        Exclusive hold(lock_);
        const Held* first = nullptr;
        for (const Held& held : held_)
            if (!first || held.schedule.NextRenewal() < first->schedule.NextRenewal()) first = &held;
        if (!first || Seconds() < first->schedule.NextRenewal() || stop_) return;
        due = *first;
    }
    const bool searchAnew = due.schedule.Failures() > 0;
    const HostOutcome outcome = RunHostAction(HostAction::Open, due.opened.port, MappingDescription(due.target), stop_,
                                              searchAnew ? nullptr : &due.opened);
    const uint64_t now = Seconds();
    {
        Exclusive hold(lock_);
        Held* held = Find(due.opened.port);
        if (!held || held->generation != due.generation || stop_) return;
        if (outcome.result == HostResult::Opened) {
            // Gone and made again: PCP and NAT-PMP tell by the router's epoch, UPnP by its lookup.
            held->remade = outcome.via == MappingProtocol::UPnP
                               ? !outcome.wasHeld
                               : outcome.via != due.opened.via ||
                                     EpochShowsRestart(due.opened.epoch, due.epochSeen, outcome.epoch, now);
            held->opened = outcome;
            held->epochSeen = now;
            held->schedule.Granted(now, outcome.permanent ? 0 : outcome.lifetime);
            ++held->renewals;
            held->failure.reset();
        } else {
            held->schedule.Failed(now);
            held->failure = outcome;
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
        std::vector<Held> held;
        {
            Exclusive hold(service->lock_);
            held = service->held_;
        }
        for (const Held& port : held) {
            const ULONGLONG spent = ::GetTickCount64() - start;
            if (spent >= kQuitCloseMs) break;
            const HostOutcome closed = RunHostAction(HostAction::Close, port.opened.port, std::string(), kNeverCancelled,
                                                     &port.opened, static_cast<unsigned>(kQuitCloseMs - spent));
            if (closed.result != HostResult::Closed) continue;
            Exclusive hold(service->lock_);
            for (auto it = service->held_.begin(); it != service->held_.end(); ++it)
                if (it->opened.port == port.opened.port) {
                    service->held_.erase(it);
                    break;
                }
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

std::vector<std::string> HostingService::HeldPorts() const {
    Exclusive hold(lock_);
    std::vector<std::string> ports;
    for (const Held& held : held_) ports.push_back(held.opened.port);
    return ports;
}

bool HostingService::Failing() const {
    Exclusive hold(lock_);
    for (const Held& held : held_)
        if (held.failure) return true;
    return false;
}

std::optional<HostingStatus> HostingService::Status(const std::string& port, GameTarget* target) const {
    Exclusive hold(lock_);
    const Held* found = const_cast<HostingService*>(this)->Find(port);
    if (!found) return std::nullopt;
    HostingStatus status;
    status.opened = found->opened;
    const uint64_t now = Seconds(), next = found->schedule.NextRenewal();
    status.secondsToRenewal = next > now ? next - now : 0;
    status.renewals = found->renewals;
    status.remade = found->remade;
    status.failing = found->failure.has_value();
    if (found->failure) status.failure = *found->failure;
    if (target) *target = found->target;
    return status;
}
