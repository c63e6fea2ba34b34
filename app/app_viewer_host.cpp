#include "app/app_viewer_host.h"

#include "app/dialogs.h"
#include "app/error_display.h"

namespace {

class DialogsViewerHost final : public ViewerHost {
public:
    ViewerInput outputFor(const QString& path) override { return {path.toStdString(), {}}; }

    QString chooseFile(QWidget* owner, const QString& title, const QString& filter) override
    {
        const QStringList paths = dialogs().openFiles(owner, {title, QString(), false, filter});
        return paths.isEmpty() ? QString() : paths.front();
    }

    void error(QWidget* owner, const QString& text, const QString& caption) override
    {
        dialogs().error(owner, text, caption);
    }

    void runGuarded(const std::function<void()>& handler) override { ::runGuarded(handler); }
};

} // namespace

ViewerHost& appViewerHost()
{
    static DialogsViewerHost host;
    return host;
}
