#pragma once

#include "common/dialogs.h"
#include "common/errors.h"

#include <exception>
#include <utility>

namespace kv {

// Runs one handler. An error ends the handler where it happened and its text is shown; the
// program goes on with the state reached. Exceptions never cross the event loop.
// Returns true when the handler ran to its end.
template <typename F> bool guarded(Dialogs& dialogs, F&& handler) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const Error& e) {
        dialogs.error(e.text());
    } catch (const std::exception& e) {
        dialogs.error(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace kv
