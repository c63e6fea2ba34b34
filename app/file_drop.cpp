#include "app/file_drop.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (data)
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files.append(url.toLocalFile());
    return files;
}

class FileDropFilter : public QObject {
public:
    FileDropFilter(QObject* parent, std::function<void(const QStringList&)> add) : QObject(parent), add_(std::move(add))
    {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (localFiles(drag->mimeData()).isEmpty())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = localFiles(drop->mimeData());
            if (files.isEmpty())
                return false;
            drop->acceptProposedAction();
            add_(files);
            return true;
        }
        default: return false;
        }
    }

private:
    std::function<void(const QStringList&)> add_;
};

} // namespace

void acceptFileDrops(QAbstractScrollArea* target, std::function<void(const QStringList& files)> add)
{
    target->viewport()->setAcceptDrops(true);
    target->viewport()->installEventFilter(new FileDropFilter(target, std::move(add)));
}
