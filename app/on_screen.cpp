#include "app/on_screen.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace {

// The strip a user grabs to move a window: it must be reachable.
constexpr int TitleStripHeight = 24;

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
