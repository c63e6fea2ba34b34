#pragma once
// What the viewer asks of the program it is part of: the output file to
// open, the box that says why a file cannot be shown, and the guard for an
// error that escapes one of its handlers. The program answers with the boxes
// of its other windows, so the viewer asks as they do and tests script it.

#include <QString>

#include <functional>

class QWidget;

class ViewerHost {
public:
    virtual ~ViewerHost() = default;

    // The file the user chose, or empty when the user cancelled.
    virtual QString chooseFile(QWidget* owner, const QString& title, const QString& filter) = 0;
    // Error box with the stop icon and a single OK button.
    virtual void error(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Runs a handler; an error escaping it ends the handler and is shown.
    virtual void runGuarded(const std::function<void()>& handler) = 0;
    // Tells why a command-line request (--plot) failed, where the user sees it.
    virtual void refuse(const QString& text) = 0;
};
