#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

void QtDialogs::information(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(ProgramTitle), text, QMessageBox::Ok, owner);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::warnYesNo(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::error(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

QStringList QtDialogs::openFiles(QWidget* owner, const OpenFileRequest& request)
{
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // A single file may be typed by hand and need not exist; callers check.
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    if (!request.fileName.isEmpty()) {
        const QFileInfo preset(request.fileName);
        dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

namespace {

// Room for the title bar's icon and buttons beside the title.
constexpr int TitleBarButtonsWidth = 160;

} // namespace

QString QtDialogs::inputBox(QWidget* owner, const QString& caption, const QString& prompt, const QString& preset)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    // Wide enough that the window manager need not cut the title short.
    dialog.setMinimumWidth(dialog.fontMetrics().horizontalAdvance(caption) + TitleBarButtonsWidth);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : preset;
}
