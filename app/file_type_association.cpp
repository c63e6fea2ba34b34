// The "Associate ASC Files" and "Associate BIN Files" buttons: make the
// desktop open the instrument's data files with this program.

#include "app/dialogs.h"
#include "app/frm_main.h"
#include "desktop/desktop_file_types.h"

#include <QCoreApplication>

void TFrmMain::BtnAssociateASCFilesClick(QObject*)
{
    AssociateFileType(QStringLiteral(".ASC"), QStringLiteral("Tidelume.ASC"), QStringLiteral("Tidelume Ascii Files"));
}

void TFrmMain::BtnAssociateBINFilesClick(QObject*)
{
    AssociateFileType(QStringLiteral(".BIN"), QStringLiteral("Tidelume.BIN"), QStringLiteral("Tidelume Binary Files"));
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
    registerFileType(extension.toStdString(), typeName.toStdString(), description.toStdString(),
                     QCoreApplication::applicationFilePath().toStdString());
}
