// The last chance of a program that ends by a fault of its own: an unhandled structured
// exception (an access violation, a stack overflow), std::terminate (an exception nothing
// caught, a noexcept broken) or abort(). The guard runs one action, once, and lets the
// program end as it would have. What the action cannot do is left to the recovery record.
#pragma once

#include <functional>

namespace nv::win32 {

// Installs the guard once per process; a later call only replaces the action.
void InstallCrashGuard(std::function<void()> lastChance);

}  // namespace nv::win32
