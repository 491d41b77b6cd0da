#pragma once
// Runs a cleanup when the scope ends, however it ends (internal).

#include <utility>

namespace corvane {

/// Calls its function once, when it goes out of scope (also during stack unwinding).
template <typename Cleanup>
class ScopeGuard {
public:
    explicit ScopeGuard(Cleanup cleanup) : cleanup(std::move(cleanup)) {}
    ~ScopeGuard() { cleanup(); }

    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

private:
    Cleanup cleanup;
};

} // namespace corvane
