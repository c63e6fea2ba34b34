#pragma once
// Dialogs for tests: every box and dialog is recorded, and the answers come
// from queues the test fills. An empty queue answers No, Cancel, or the
// input box's preset.

#include "app/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct DialogCall {
    enum Kind { Information, YesNo, Error, OpenFiles, Input } kind;
    QString text;     // box text, or the input box's prompt
    QString caption;  // box caption, the dialog's title or the input box's caption
    QString fileName; // preset file name of an open-file dialog, preset text of an input box
    bool multiple = false;
    QString filter; // name filters of an open-file dialog
};

class ScriptedDialogs : public Dialogs {
public:
    void information(QWidget* owner, const QString& text) override;
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    bool warnYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    void error(QWidget* owner, const QString& text, const QString& caption) override;
    QStringList openFiles(QWidget* owner, const OpenFileRequest& request) override;
    QString inputBox(QWidget* owner, const QString& caption, const QString& prompt, const QString& preset) override;

    QList<bool> yesNoAnswers;
    QList<QStringList> fileAnswers;             // an empty list cancels
    QList<std::optional<QString>> inputAnswers; // nullopt cancels
    QList<DialogCall> calls;

    QStringList texts(DialogCall::Kind kind) const;
    void clear();
};
