#pragma once

#include "UException.h"

#include <concepts>
#include <functional>

// The one place an exception goes when it would otherwise reach the window
// message loop. The application object installs its handler at construction.
using TAppExceptionHandler = std::function<void(const std::exception&)>;

void SetAppExceptionHandler(TAppExceptionHandler handler);
void HandleAppException(const std::exception& e);

// Runs fn; an escaping exception goes to the application's handler instead of
// into Qt. Every slot of ours is wrapped in it.
template <class F>
void GuardedCall(F&& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        HandleAppException(e);
    } catch (...) {
        HandleAppException(Exception(QStringLiteral("Unknown exception")));
    }
}

// Wraps a callable so that it can be connected to a signal safely:
//   connect(btn, &QPushButton::clicked, this, Guarded([this] { ... }));
// The wrapper takes only the arguments fn takes, so that Qt can tell how many
// of the signal's arguments to pass.
template <class F>
auto Guarded(F fn)
{
    return [fn = std::move(fn)](auto&&... args) mutable requires std::invocable<F&, decltype(args)...> {
        GuardedCall([&] { fn(std::forward<decltype(args)>(args)...); });
    };
}

// The same for a signal whose arguments the handler does not need:
//   connect(btn, &QPushButton::clicked, this, GuardedSlot([this] { ... }));
template <class F>
auto GuardedSlot(F fn)
{
    return [fn = std::move(fn)]() mutable { GuardedCall(fn); };
}
