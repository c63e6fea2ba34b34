#pragma once
// Every modal question the windows ask goes through this interface, so that
// the program shows real boxes and the tests script the answers.

#include <QString>
#include <QStringList>

class QWidget;

// Caption of the information boxes and of the application's error box.
inline const char* const ProgramTitle = "Orvantis";

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Information box with a single OK button.
    virtual void information(QWidget* owner, const QString& text) = 0;
    // Question without icon; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Warning question whose default answer, Enter or Escape, is No; true
    // for Yes.
    virtual bool warnYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Error box with the stop icon and a single OK button.
    virtual void error(QWidget* owner, const QString& text, const QString& caption) = 0;

    struct OpenFileRequest {
        QString title;    // empty: the toolkit's own title
        QString fileName; // preset file name, possibly empty
        bool multiple = false;
        QString filter; // name filters as "Text (*.a *.b);;All files (*)", or empty
    };
    // The chosen files; an empty list when the user cancelled.
    virtual QStringList openFiles(QWidget* owner, const OpenFileRequest& request) = 0;

    // Single-line input box; returns the preset text when the user cancels.
    virtual QString inputBox(QWidget* owner, const QString& caption, const QString& prompt, const QString& preset) = 0;
};

// The program-wide instance; not owned. Set before any window is created.
Dialogs& dialogs();
void setDialogs(Dialogs* instance);
