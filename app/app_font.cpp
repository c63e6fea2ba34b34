#include "app/app_font.h"

#include "app/layout_family.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>

namespace {

constexpr int SmallestLegiblePixels = 8;

// Mnemonic markers take no room on screen.
QString visibleText(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

// Width the control needs besides its caption's text.
int decorationWidth(const QWidget* control)
{
    const QStyle* style = control->style();
    if (qobject_cast<const QCheckBox*>(control))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
    if (qobject_cast<const QRadioButton*>(control))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, control) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, control);
    if (qobject_cast<const QAbstractButton*>(control))
        return 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
    return 0;
}

QString captionOf(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return visibleText(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return visibleText(label->text());
    return {};
}

bool captionFits(const QWidget* control)
{
    const QString caption = captionOf(control);
    if (caption.isEmpty())
        return true;
    const QFontMetrics metrics(control->font());
    return metrics.horizontalAdvance(caption) + decorationWidth(control) <= control->width() &&
           metrics.height() <= control->height();
}

} // namespace

QFont layoutFont(int pixelSize)
{
    const QString family = layoutFamily(QFontDatabase::families());
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

QList<const QWidget*> clippedCaptions(const QWidget* root)
{
    QList<const QWidget*> clipped;
    for (const QWidget* control : root->findChildren<const QWidget*>())
        if (!captionFits(control))
            clipped.append(control);
    return clipped;
}

int fitLayoutFont(QWidget* root)
{
    int size = DesignFontPixels;
    root->setFont(layoutFont(size));
    while (size > SmallestLegiblePixels && !clippedCaptions(root).isEmpty())
        root->setFont(layoutFont(--size));
    return size;
}
