// viewer-interaction OUTPUTFILE: how long the spectra viewer takes to answer
// the user once a file is open: a pan and a zoom of the spectra plot (each a
// full replot), a step to another highlighted spectrum (read again from
// the file, then replotted) and a click on another wavelength (its value in
// every spectrum, then both plots replotted). Prints the median and the
// slowest of 40 each (10 clicks), in milliseconds. Runs on the offscreen
// platform.

#include "app/app_viewer_host.h"
#include "viewer/frm_viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <qcustomplot.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Repeats = 40;

void report(const char* action, const std::function<void(int)>& act, int repeats = Repeats)
{
    std::vector<double> milliseconds;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        act(i);
        milliseconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%-6s median %6.1f ms, slowest %6.1f ms\n", action, milliseconds[milliseconds.size() / 2],
                milliseconds.back());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: viewer-interaction OUTPUTFILE\n", stderr);
        return 2;
    }
    TFrmViewer viewer(appViewerHost());
    viewer.resize(1200, 900);
    viewer.show();
    viewer.loadFile(QString::fromLocal8Bit(argv[1]));
    QCustomPlot* plot = viewer.spectraView();
    const std::size_t spectra = viewer.overview()->records.size();
    std::printf("%zu spectra\n", spectra);
    report("pan", [&](int i) {
        plot->xAxis->moveRange(i % 2 ? 5.0 : -5.0);
        plot->replot();
    });
    report("zoom", [&](int i) {
        plot->xAxis->scaleRange(i % 2 ? 1.25 : 0.8);
        plot->replot();
    });
    report("step", [&](int i) { viewer.setCurrentSpectrum(static_cast<std::size_t>(i) * spectra / Repeats); });
    const std::vector<double>& x = viewer.overview()->x;
    report(
        "click", [&](int i) { viewer.chooseX(x[static_cast<std::size_t>(i * 23 + 7) % x.size()]); }, 10);
    return 0;
}
