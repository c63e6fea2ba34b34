#include "private_store.h"

#include <QDir>
#include <QFile>

// The store and the desktop's files in folders below the test's own.
void usePrivateStore(const QString& root)
{
    for (const char* home : {"config", "data"}) {
        QDir(root).mkpath(QLatin1String(home));
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir(root).filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(root).filePath(QStringLiteral("data"))));
}
