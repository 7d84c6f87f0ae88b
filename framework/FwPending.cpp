#include "framework/FwPending.h"

#include <exception>

namespace {
// The first one wins: later ones are usually consequences of it.
std::exception_ptr g_pending;
} // namespace

void FwStorePendingException() {
    if (!g_pending)
        g_pending = std::current_exception();
}

bool FwHasPendingException() {
    return static_cast<bool>(g_pending);
}

void FwRethrowPendingException() {
    if (!g_pending)
        return;
    std::exception_ptr pending = g_pending;
    g_pending = nullptr;
    std::rethrow_exception(pending);
}
