#pragma once
// The value axes of one plot, one for each kind of units among the series
// drawn: the first on the left (or at the bottom), the second on the right
// (or at the top), any more beside the second. Series of different units
// never share an axis, and every axis is labelled with its channels and
// units.

#include <QString>
#include <QStringList>

#include <vector>

class QCPAxis;
class QCPAxisRect;

class UnitAxes {
public:
    // Vertical value axes (left, right) or horizontal ones (bottom, top).
    UnitAxes(QCPAxisRect* rect, bool vertical);
    // Forgets the units: only the first axis stays, unlabelled.
    void clear();
    // The axis of these units, made and labelled when new; `name` joins the
    // names the label lists.
    QCPAxis* axisFor(const QString& name, const QString& units);
    const std::vector<QCPAxis*>& used() const { return used_; }
    void setLogarithmic(bool on);
    bool logarithmic() const { return logarithmic_; }

private:
    void label(std::size_t i);
    QCPAxis* firstAxis() const;
    void dragAndZoomAll();

    QCPAxisRect* rect_;
    bool vertical_;
    bool logarithmic_ = false;
    std::vector<QString> units_;
    std::vector<QStringList> names_;
    std::vector<QCPAxis*> used_;
};

// A channel's units as an output states them, or empty for "?" and none.
QString knownUnits(const std::string& units);
