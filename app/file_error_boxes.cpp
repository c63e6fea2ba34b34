#include "app/file_error_boxes.h"

FileErrorBoxes::FileErrorBoxes() : previous_(setErrorBoxHook(&FileErrorBoxes::hold))
{
    held().clear();
}

FileErrorBoxes::~FileErrorBoxes()
{
    setErrorBoxHook(previous_);
}

QStringList& FileErrorBoxes::held()
{
    static QStringList texts;
    return texts;
}

void FileErrorBoxes::hold(const char* text)
{
    held().append(QString::fromLocal8Bit(text).trimmed());
}
