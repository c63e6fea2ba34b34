#include "app/open_dialog.h"

#include "app/dialogs.h"

bool TOpenDialog::Execute(QWidget* owner)
{
    const QStringList chosen = dialogs().openFiles(owner, {Title, FileName, MultiSelect, Filter});
    if (chosen.isEmpty())
        return false;
    Files = chosen;
    FileName = chosen.first();
    return true;
}
