#include "app/app_viewer_host.h"

#include "app/dialogs.h"
#include "app/display_check.h"
#include "app/error_display.h"
#include "app/on_screen.h"

ViewerInput AppViewerHost::outputFor(const QString& path)
{
    return viewerInputFor(path.toStdString(), recordings_);
}

QString AppViewerHost::chooseFile(QWidget* owner, const QString& title, const QString& filter)
{
    const QStringList paths = dialogs().openFiles(owner, {title, QString(), false, filter});
    return paths.isEmpty() ? QString() : paths.front();
}

void AppViewerHost::error(QWidget* owner, const QString& text, const QString& caption)
{
    dialogs().error(owner, text, caption);
}

void AppViewerHost::runGuarded(const std::function<void()>& handler)
{
    ::runGuarded(handler);
}

void AppViewerHost::refuse(const QString& text)
{
    tellRefusal(text);
}

QRect AppViewerHost::newWindowGeometry(QSize size)
{
    return ::newWindowGeometry(size);
}

ViewerHost& appViewerHost()
{
    static AppViewerHost host;
    return host;
}
