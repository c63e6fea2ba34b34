#pragma once
// Writes plots, one above the other, as a PNG, SVG or PDF image of the
// given size in pixels (points for PDF), chosen by the file's extension.
// The image is written beside its name and put in place only when whole, so
// a failed export leaves the previous image as it was.

#include <QList>
#include <QSize>
#include <QString>

class QCustomPlot;

// Throws std::runtime_error naming the file and the reason when it cannot be
// written or its extension is none of png, svg, pdf.
void exportPlots(const QList<QCustomPlot*>& plots, const QString& path, QSize size);
