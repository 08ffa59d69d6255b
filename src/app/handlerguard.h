// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/query.h"

#include <utility>

// Runs one user action. The abort signal (raised after a failure has been reported) ends the
// action silently; the window stays as it is.
template <typename F> void RunAction(F&& action)
{
    try {
        std::forward<F>(action)();
    } catch (const AbortSignal&) {
    }
}
