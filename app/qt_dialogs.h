#pragma once
// The real boxes and dialogs of the desktop.

#include "app/dialogs.h"

class QtDialogs : public Dialogs {
public:
    void information(QWidget* owner, const QString& text) override;
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    bool warnYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    void error(QWidget* owner, const QString& text, const QString& caption) override;
    QStringList openFiles(QWidget* owner, const OpenFileRequest& request) override;
    QString inputBox(QWidget* owner, const QString& caption, const QString& prompt, const QString& preset) override;
};
