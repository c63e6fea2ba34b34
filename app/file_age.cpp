#include "app/file_age.h"

#include <QDateTime>
#include <QFileInfo>

int32_t fileAge(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return -1;
    const QDateTime stamp = info.lastModified().toLocalTime();
    const QDate date = stamp.date();
    const QTime time = stamp.time();
    const uint32_t packed = static_cast<uint32_t>(date.year() - 1980) << 25 | static_cast<uint32_t>(date.month()) << 21 |
                            static_cast<uint32_t>(date.day()) << 16 | static_cast<uint32_t>(time.hour()) << 11 |
                            static_cast<uint32_t>(time.minute()) << 5 | static_cast<uint32_t>(time.second() / 2);
    return static_cast<int32_t>(packed);
}
