// A process-wide service that a higher layer installs (the UI service, the window host, the
// dialog backend): the installed one or a default, and a guard that installs one for its
// lifetime. One thread; services are not owned.
#pragma once

#include <utility>

namespace vellumo {

// The storage of one kind of service. Used only inside the .cpp that defines the service's
// accessors, so that the program and its window module share that one copy.
template <typename Service> class ServiceSlot {
public:
    // The installed service, or `fallback` when none is installed.
    [[nodiscard]] static Service& Get(Service& fallback) {
        return current_ != nullptr ? *current_ : fallback;
    }
    // Installs `service` (nullptr: none) and returns the previous one.
    static Service* Set(Service* service) { return std::exchange(current_, service); }

private:
    inline static Service* current_ = nullptr;
};

// Installs a service through its setter for the lifetime of the guard, then puts the previous
// one back.
template <typename Service, Service* (*Install)(Service*)> class ScopedInstall {
public:
    explicit ScopedInstall(Service& service) : previous_(Install(&service)) {}
    ~ScopedInstall() { Install(previous_); }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

private:
    Service* previous_;
};

} // namespace vellumo
