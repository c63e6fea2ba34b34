#pragma once
// The application's one error box for errors that escape a handler, and the
// guard that routes them there so the program keeps running.

#include <exception>
#include <utility>

// Shows the error's message in the application's error box.
void showApplicationError(const std::exception& error);

// Runs a handler; an error escaping it ends the handler and is shown.
template <typename Handler>
void runGuarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        showApplicationError(error);
    }
}

// Wraps a handler for connecting to a control's signal.
template <typename Handler>
auto guarded(Handler handler)
{
    return [handler = std::move(handler)](auto&&...) { runGuarded(handler); };
}

// The box behind logError: error beep, then a modal "Error" box.
void showLogErrorBox(const char* text);
