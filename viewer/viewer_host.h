#pragma once
// What the viewer asks of the program it is part of: the output file to
// open, the box that says why a file cannot be shown, the guard for an
// error that escapes one of its handlers and where a new window goes. The
// program answers with the boxes of its other windows, so the viewer asks as
// they do and tests script it.

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QWidget;

// A file as the viewer reads it: the output the user named, or one the
// program made from a recording for the viewer alone.
struct ViewerInput {
    std::string outputPath; // the output to read
    // Whatever outputPath needs while the viewer reads it (a temporary).
    std::shared_ptr<void> keep;
};

class ViewerHost {
public:
    virtual ~ViewerHost() = default;

    // The output to read for a file the user named: the file itself, or the
    // conversion of a recording. Throws OutputReadError saying why a file
    // cannot be shown.
    virtual ViewerInput outputFor(const QString& path) = 0;

    // The file the user chose, or empty when the user cancelled.
    virtual QString chooseFile(QWidget* owner, const QString& title, const QString& filter) = 0;
    // Error box with the stop icon and a single OK button.
    virtual void error(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Runs a handler; an error escaping it ends the handler and is shown.
    virtual void runGuarded(const std::function<void()>& handler) = 0;
    // Tells why a command-line request (--plot) failed, where the user sees it.
    virtual void refuse(const QString& text) = 0;
    // Where a new window of that size goes: wholly on a screen.
    virtual QRect newWindowGeometry(QSize size) = 0;
};
