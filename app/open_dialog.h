#pragma once
// An open-file dialog object that keeps its title, file name and selection
// between showings, as the windows' dialog members do.

#include <QString>
#include <QStringList>

class QWidget;

class TOpenDialog {
public:
    explicit TOpenDialog(bool multiSelect) : MultiSelect(multiSelect) {}

    // Shows the dialog; on confirmation FileName is the first chosen file.
    bool Execute(QWidget* owner);

    QString Title;
    QString Filter; // empty: every file
    QString FileName;
    QStringList Files;
    const bool MultiSelect;
};
