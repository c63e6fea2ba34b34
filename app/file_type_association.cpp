// The "Associate ASC Files" and "Associate BIN Files" buttons: make the
// desktop open the instrument's data files with this program.

#include "app/dialogs.h"
#include "app/frm_main.h"
#include "desktop/desktop_file_types.h"

#include <QCoreApplication>

namespace {

// The names and description the converter's file-types command uses too.
void associate(TFrmMain& window, const char* extension)
{
    const ProgramFileType& type = *programFileTypeFor(extension);
    window.AssociateFileType(QString::fromStdString(type.extension), QString::fromStdString(type.typeName),
                             QString::fromStdString(type.description));
}

} // namespace

void TFrmMain::BtnAssociateASCFilesClick(QObject*)
{
    associate(*this, ".ASC");
}

void TFrmMain::BtnAssociateBINFilesClick(QObject*)
{
    associate(*this, ".BIN");
}

void TFrmMain::AssociateFileType(const QString& extension, const QString& typeName, const QString& description)
{
    const QString quoted = QLatin1Char('"') + extension + QLatin1Char('"');
    const QString caption = QStringLiteral("Associate ") + quoted + QStringLiteral(" Extension");
    if (!dialogs().askYesNo(this,
                            QStringLiteral("Do you want to associate files ending with ") + quoted +
                                QStringLiteral(" with this program (so that double-clicking on these files ") +
                                QStringLiteral("in Explorer will automatically launch this program)?"),
                            caption))
        return;
    const QString currentType = QString::fromStdString(currentFileType(extension.toStdString()));
    if (!currentType.isEmpty() && !dialogs().askYesNo(this,
                                                      extension + QStringLiteral(" is already associated with ") +
                                                          currentType + QStringLiteral(". Do you want to change it?"),
                                                      caption))
        return;
    const RegistrationNotes notes =
        registerFileType(extension.toStdString(), typeName.toStdString(), description.toStdString(),
                         QCoreApplication::applicationFilePath().toStdString());
    for (const std::string& note : notes)
        dialogs().information(this, QString::fromStdString(note));
}
