#include "app/view_output_menu.h"

#include "app/app_viewer_host.h"
#include "app/error_display.h"
#include "viewer/viewer_entry.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <memory>

namespace {

void showMenu(QPlainTextEdit* list, const std::function<QString(const QString&)>& outputOf, QPoint at)
{
    const std::unique_ptr<QMenu> menu(list->createStandardContextMenu(at));
    const QString line = list->cursorForPosition(at).block().text().trimmed();
    menu->addSeparator();
    QAction* view = menu->addAction(QStringLiteral("View spectra"));
    view->setEnabled(!line.isEmpty());
    if (!viewerBuilt())
        view->setToolTip(viewerMissingText());
    if (menu->exec(list->viewport()->mapToGlobal(at)) == view)
        openViewers(appViewerHost(), {outputOf(line)});
}

} // namespace

void addViewSpectraMenu(QPlainTextEdit* list, std::function<QString(const QString& line)> outputOf)
{
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, list,
                     [list, outputOf = std::move(outputOf)](const QPoint& at) {
                         runGuarded([&] { showMenu(list, outputOf, at); });
                     });
}

QString lastLoggedOutput(const QString& log)
{
    const QString arrow = QStringLiteral("-> ");
    const qsizetype at = log.lastIndexOf(QLatin1Char('\n') + arrow);
    if (at < 0 && !log.startsWith(arrow))
        return {};
    const qsizetype start = at < 0 ? arrow.size() : at + 1 + arrow.size();
    const qsizetype end = log.indexOf(QLatin1Char('\n'), start);
    return log.mid(start, end < 0 ? -1 : end - start).trimmed();
}
