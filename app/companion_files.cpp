#include "app/companion_files.h"

#include <QCollator>
#include <QFileInfo>

#include <algorithm>

namespace {

// The extension runs from the last period after the last path separator.
qsizetype extensionStart(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    return dot > separator ? dot : name.size();
}

bool containsIgnoringCase(const QStringList& lines, const QString& candidate)
{
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&](const QString& line) { return line.compare(candidate, Qt::CaseInsensitive) == 0; });
}

void addCompanionsOf(const QString& name, QStringList& lines)
{
    const qsizetype cut = extensionStart(name);
    QString stem = name.left(cut);
    QString tail = name.mid(cut);
    if (!stem.isEmpty() && stem.back() >= QLatin1Char('0') && stem.back() <= QLatin1Char('9')) {
        tail.prepend(stem.back());
        stem.chop(1);
    }
    stem.chop(1); // the channel letter
    for (char letter = 'A'; letter <= 'Y'; ++letter) {
        const QString candidate = stem + QLatin1Char(letter) + tail;
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
