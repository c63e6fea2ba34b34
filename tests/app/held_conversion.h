#pragma once
// Holds the worker of a window run at one of its progress reports, before
// the run's dialog hears of it, until the event thread lets it go on: a test
// acts while a file is surely still converting, without racing the worker.

#include <QSemaphore>

#include <atomic>

class HeldConversion {
public:
    // Holds at the report-th progress report after watch(), counting from 1.
    explicit HeldConversion(int report = 1) : report_(report) {}

    // Watches the next runs of the main window.
    void watch();

    std::atomic<bool> held{false};
    std::atomic<bool> resumedInTime{false};
    QSemaphore resume;

private:
    const int report_;
    std::atomic<int> reports_{0};
};
