#pragma once
// Holds back the error boxes of the processing side while one file is
// converted, so that a file gives at most one box: the driver shows them
// together, below its own text when the file failed.

#include "core/log.h"

#include <QString>
#include <QStringList>

class FileErrorBoxes {
public:
    FileErrorBoxes();
    ~FileErrorBoxes(); // puts the previous box back
    FileErrorBoxes(const FileErrorBoxes&) = delete;
    FileErrorBoxes& operator=(const FileErrorBoxes&) = delete;

    bool empty() const { return held().isEmpty(); }
    // The held texts, one a line.
    QString joined() const { return held().join(QLatin1Char('\n')); }

private:
    static QStringList& held();
    static void hold(const char* text);

    ErrorBoxHook previous_;
};
