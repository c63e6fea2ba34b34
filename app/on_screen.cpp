#include "app/on_screen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>

#include <algorithm>

namespace {

// The strip a user grabs to move a window: it must be reachable.
constexpr int TitleStripHeight = 24;

// Room for the frame a window manager adds, which is known only once the
// window is shown: a title bar and thin borders.
constexpr QMargins FrameAllowance(8, 32, 8, 8);

} // namespace

QPoint visibleTopLeft(QPoint topLeft, QSize size)
{
    const QRect titleStrip(topLeft, QSize(size.width(), TitleStripHeight));
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(titleStrip))
            return topLeft;
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry().topLeft() : topLeft;
}

QRect fittedInto(const QRect& frame, const QRect& area)
{
    const QSize size = frame.size().boundedTo(area.size());
    const int left = std::clamp(frame.left(), area.left(), area.left() + area.width() - size.width());
    const int top = std::clamp(frame.top(), area.top(), area.top() + area.height() - size.height());
    return {QPoint(left, top), size};
}

QRect newWindowGeometry(QSize size)
{
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {QPoint(), size};
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(), size.grownBy(FrameAllowance));
    frame.moveCenter(area.center());
    return fittedInto(frame, area).marginsRemoved(FrameAllowance);
}
