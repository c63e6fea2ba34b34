#pragma once
// Holds back the error boxes of the processing side while one file is
// converted, so that a file gives at most one box: the driver shows them
// together, below its own text when the file failed.

#include <QString>
#include <QStringList>

class FileErrorBoxes {
public:
    bool empty() const { return held_.isEmpty(); }
    // The held texts, one a line.
    QString joined() const { return held_.join(QLatin1Char('\n')); }

    void hold(const char* text) { held_.append(QString::fromLocal8Bit(text).trimmed()); }

private:
    QStringList held_;
};
