#pragma once
// Runs a function on the thread of a Qt object and waits for it there: the
// worker of a conversion run reads the window and shows boxes this way, so
// that a box is shown and dismissed before the run goes on. An error the
// function raises is raised again in the caller.

#include <QObject>

#include <functional>
#include <optional>
#include <type_traits>

// The void form; called directly when the caller is on that thread already.
void callOnThreadOf(QObject* context, const std::function<void()>& function);

template <typename Function>
auto callOnThreadOf(QObject* context, Function function) -> std::invoke_result_t<Function>
{
    using Result = std::invoke_result_t<Function>;
    if constexpr (std::is_void_v<Result>) {
        callOnThreadOf(context, std::function<void()>(std::move(function)));
    } else {
        std::optional<Result> result;
        callOnThreadOf(context, std::function<void()>([&] { result.emplace(function()); }));
        return std::move(*result);
    }
}
