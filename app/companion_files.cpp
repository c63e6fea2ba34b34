#include "app/companion_files.h"

#include "driver/channel_set.h"

#include <QCollator>
#include <QFileInfo>

#include <algorithm>

namespace {

bool containsIgnoringCase(const QStringList& lines, const QString& candidate)
{
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&](const QString& line) { return line.compare(candidate, Qt::CaseInsensitive) == 0; });
}

void addCompanionsOf(const QString& name, QStringList& lines)
{
    for (const std::string& sibling : channelSetNames(name.toStdString())) {
        const QString candidate = QString::fromStdString(sibling);
        if (!containsIgnoringCase(lines, candidate) && QFileInfo::exists(candidate))
            lines.append(candidate);
    }
}

} // namespace

void addCompanionFiles(QStringList& lines)
{
    const qsizetype original = lines.size();
    for (qsizetype i = 0; i < original; ++i)
        addCompanionsOf(QString(lines.at(i)), lines); // a copy: appending may move the lines
}

void sortFileList(QStringList& lines)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(lines.begin(), lines.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
}
