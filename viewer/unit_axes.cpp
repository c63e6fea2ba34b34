#include "viewer/unit_axes.h"

#include <qcustomplot.h>

UnitAxes::UnitAxes(QCPAxisRect* rect, bool vertical) : rect_(rect), vertical_(vertical) {}

void UnitAxes::clear()
{
    for (std::size_t i = 2; i < used_.size(); ++i)
        rect_->removeAxis(used_[i]);
    if (used_.size() > 1)
        used_[1]->setVisible(false);
    units_.clear();
    names_.clear();
    used_.clear();
    dragAndZoomAll();
}

QCPAxis* UnitAxes::firstAxis() const
{
    return rect_->axis(vertical_ ? QCPAxis::atLeft : QCPAxis::atBottom);
}

// Dragging and zooming move every value axis at once, so that series on
// axes of their own stay where they are against each other.
void UnitAxes::dragAndZoomAll()
{
    QList<QCPAxis*> values(used_.begin(), used_.end());
    if (values.isEmpty())
        values << firstAxis();
    const QList<QCPAxis*> keys{rect_->axis(vertical_ ? QCPAxis::atBottom : QCPAxis::atLeft)};
    rect_->setRangeDragAxes(vertical_ ? keys : values, vertical_ ? values : keys);
    rect_->setRangeZoomAxes(vertical_ ? keys : values, vertical_ ? values : keys);
}

QCPAxis* UnitAxes::axisFor(const QString& name, const QString& units)
{
    for (std::size_t i = 0; i < units_.size(); ++i) {
        if (units_[i] != units)
            continue;
        if (!names_[i].contains(name))
            names_[i] << name;
        label(i);
        return used_[i];
    }
    const QCPAxis::AxisType second = vertical_ ? QCPAxis::atRight : QCPAxis::atTop;
    QCPAxis* axis = used_.empty() ? firstAxis() : used_.size() == 1 ? rect_->axis(second) : rect_->addAxis(second);
    axis->setVisible(true);
    axis->setTickLabels(true);
    units_.push_back(units);
    names_.push_back({name});
    used_.push_back(axis);
    label(used_.size() - 1);
    if (logarithmic_)
        setLogarithmic(true);
    dragAndZoomAll();
    return axis;
}

void UnitAxes::label(std::size_t i)
{
    const QString names = names_[i].join(QStringLiteral(", "));
    used_[i]->setLabel(units_[i].isEmpty() ? names : QStringLiteral("%1 (%2)").arg(names, units_[i]));
}

void UnitAxes::setLogarithmic(bool on)
{
    logarithmic_ = on;
    for (QCPAxis* axis : used_) {
        axis->setScaleType(on ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
        if (on)
            axis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
        else
            axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    }
}

QString knownUnits(const std::string& units)
{
    return units.empty() || units == "?" ? QString() : QString::fromStdString(units);
}
