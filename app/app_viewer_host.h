#pragma once
// The viewer asks the program's own boxes, those of the other windows: the
// Dialogs the program or a test sets, and the application's error box for
// what escapes a handler.

#include "app/viewer_recordings.h"
#include "viewer/viewer_host.h"

#include <utility>

class AppViewerHost final : public ViewerHost {
public:
    // Recordings are converted with these options.
    explicit AppViewerHost(RecordingOptions recordings = {}) : recordings_(std::move(recordings)) {}

    ViewerInput outputFor(const QString& path) override;
    QString chooseFile(QWidget* owner, const QString& title, const QString& filter) override;
    void error(QWidget* owner, const QString& text, const QString& caption) override;
    void runGuarded(const std::function<void()>& handler) override;
    void refuse(const QString& text) override;
    QRect newWindowGeometry(QSize size) override;

private:
    RecordingOptions recordings_;
};

// The host of the viewer windows the main window opens: recordings are
// converted at the full level with their associated calibration.
ViewerHost& appViewerHost();
