#pragma once

#include "common/dialogs.h"
#include "common/errors.h"

#include <QObject>

#include <exception>
#include <tuple>
#include <type_traits>
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

namespace detail {
// The parameters a handler takes: Qt passes it the signal's first ones.
template <typename F> struct HandlerParameters : HandlerParameters<decltype(&F::operator())> {};
template <typename C, typename R, typename... A> struct HandlerParameters<R (C::*)(A...)> {
    using Types = std::tuple<A...>;
};
template <typename C, typename R, typename... A> struct HandlerParameters<R (C::*)(A...) const> {
    using Types = std::tuple<A...>;
};

template <typename Types> struct GuardedCall;
template <typename... A> struct GuardedCall<std::tuple<A...>> {
    template <typename Call> static auto make(Dialogs* dialogs, Call call) {
        return [dialogs, call](A... args) { guarded(*dialogs, [&] { call(args...); }); };
    }
};
} // namespace detail

// Connects a signal to a handler of a window (a member function of the receiver or a lambda)
// through the guard: whatever the handler throws is shown, and the event loop goes on. Every
// handler of the program is connected this way.
template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Dialogs& dialogs, Sender* sender, Signal signal,
                                       Receiver* receiver, Handler handler,
                                       Qt::ConnectionType type = Qt::AutoConnection) {
    using Types = typename detail::HandlerParameters<Handler>::Types;
    if constexpr (std::is_member_function_pointer_v<Handler>) {
        const auto call = [receiver, handler](auto&&... args) {
            (receiver->*handler)(std::forward<decltype(args)>(args)...);
        };
        return QObject::connect(sender, signal, receiver,
                                detail::GuardedCall<Types>::make(&dialogs, call), type);
    } else {
        return QObject::connect(sender, signal, receiver,
                                detail::GuardedCall<Types>::make(&dialogs, std::move(handler)),
                                type);
    }
}

} // namespace kv
