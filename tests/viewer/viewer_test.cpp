// The spectra viewer offscreen: it shows an output file of the example data,
// steps through its spectra, plots the value at a clicked wavelength, and
// exports each image form at the size asked; --plot does so without windows.

#include "app/app_viewer_host.h"
#include "app/on_screen.h"
#include "app_test_support.h"
#include "viewer/frm_viewer.h"
#include "viewer/plot_export.h"
#include "viewer/viewer_entry.h"
#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "conversion/output_name.h"
#include "conversion/processing.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

namespace {

std::vector<OutputSpectrum> readAllSpectra(const QString& path)
{
    OutputReader reader(path.toStdString());
    std::vector<OutputSpectrum> spectra;
    for (OutputSpectrum s; reader.next(s);)
        spectra.push_back(s);
    return spectra;
}

// Share of pixels that are not the background's white.
double inkShare(const QImage& image)
{
    qsizetype ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return static_cast<double>(ink) / static_cast<double>(image.width() * image.height());
}

QList<TFrmViewer*> openViewerWindows()
{
    QList<TFrmViewer*> viewers;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<TFrmViewer*>(window); viewer && viewer->isVisible())
            viewers << viewer;
    return viewers;
}

QVector<double> graphValues(QCPGraph* graph)
{
    QVector<double> values;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        values << it->value;
    return values;
}

} // namespace

class ViewerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString output;

    QString convert(const QString& example, int level, bool transpose, bool binary)
    {
        const QString input = dir.filePath(example);
        QFile::copy(QStringLiteral(ORVANTIS_EXAMPLES "/") + example, input);
        const QString cal = QStringLiteral(ORVANTIS_EXAMPLES "/EXAMPLE.CAL");
        freeCals();
        loadCalFile(cal.toLocal8Bit().constData(), 0, 0, nullptr);
        identifyDataFile(input.toLocal8Bit().constData()); // the channel the file holds
        calibrateFile(input.toLocal8Bit().constData(), cal.toLocal8Bit().constData(), static_cast<int8_t>(level),
                      transpose, binary, ';', 0, nullptr);
        freeCals();
        return QString::fromStdString(outputFileName(input.toStdString(), level, binary));
    }

private slots:
    void initTestCase() { output = convert(QStringLiteral("SET0101A.ASC"), 4, false, false); }

    void showsEverySpectrumAndStepsThroughThem()
    {
        const std::vector<OutputSpectrum> spectra = readAllSpectra(output);
        QVERIFY(spectra.size() > 2);
        TFrmViewer viewer(appViewerHost());
        viewer.show();
        viewer.loadFile(output);
        QCOMPARE(viewer.overview()->records.size(), spectra.size());
        QCOMPARE(viewer.stepper()->maximum(), static_cast<int>(spectra.size() - 1));
        QCOMPARE(viewer.spectraView()->xAxis->label(), QStringLiteral("Wavelength (nm)"));
        QVERIFY(viewer.spectraView()->yAxis->label().contains(QStringLiteral("uW/cm^2/nm")));
        QCPGraph* highlighted = viewer.spectraView()->graph(viewer.spectraView()->graphCount() - 1);
        for (std::size_t j = 1; j < spectra.size(); ++j) {
            QTest::keyClick(&viewer, Qt::Key_Right);
            QCOMPARE(viewer.currentSpectrum(), j);
            QCOMPARE(viewer.stepper()->value(), static_cast<int>(j));
            const std::vector<float>& expected = spectra[j].values;
            QCOMPARE(graphValues(highlighted), QVector<double>(expected.begin(), expected.end()));
        }
        QTest::keyClick(&viewer, Qt::Key_Right); // stays on the last
        QCOMPARE(viewer.currentSpectrum(), spectra.size() - 1);
        viewer.stepper()->setValue(1);
        QCOMPARE(viewer.currentSpectrum(), std::size_t{1});
        QTest::keyClick(&viewer, Qt::Key_Left);
        QCOMPARE(viewer.currentSpectrum(), std::size_t{0});
    }

    void aClickOnTheSpectraPlotsThatWavelengthAgainstSpectrumNumber()
    {
        const std::vector<OutputSpectrum> spectra = readAllSpectra(output);
        TFrmViewer viewer(appViewerHost());
        viewer.show();
        viewer.loadFile(output);
        QCustomPlot* view = viewer.spectraView();
        const QPoint at(static_cast<int>(view->xAxis->coordToPixel(600.0)),
                        static_cast<int>(view->yAxis->coordToPixel(view->yAxis->range().center())));
        QTest::mousePress(view, Qt::LeftButton, {}, at);
        QTest::mouseRelease(view, Qt::LeftButton, {}, at);
        const std::size_t k = viewer.chosenValue();
        const std::vector<double>& x = viewer.overview()->x;
        QVERIFY2(std::abs(x[k] - 600.0) < 4.0, qPrintable(QString::number(x[k])));
        QVector<double> expected;
        for (const OutputSpectrum& s : spectra)
            expected << s.values[k];
        QCOMPARE(graphValues(viewer.seriesView()->graph(0)), expected);
        viewer.setSeries(TFrmViewer::Temperature);
        QCOMPARE(graphValues(viewer.seriesView()->graph(0)).front(), static_cast<double>(spectra[0].record.temp));
    }

    void manySpectraAreDrawnAsEnvelopeAndAThinnedSetOfWholeSpectra()
    {
        // 1001 spectra of 4 values: value k of spectrum j is j * 10 + k, with one far low value.
        QByteArray text = "Tidelume processed data file. Serial: S Orvantis v1.31\r\nSource file: A\r\n"
                          "Calibration file: C\r\nChannel: Lu, W\r\n"
                          "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix,?,?,?,?\r\n";
        const int spectra = 1001;
        for (int j = 0; j < spectra; ++j) {
            text += QByteArray::number(j) + ",1.0,2.00,3.00,4,1,1,0,0,100,0,1,4";
            for (int k = 0; k < 4; ++k)
                text += "," + QByteArray::number(j == 500 && k == 2 ? -7 : j * 10 + k);
            text += "\r\n";
        }
        QFile file(dir.filePath(QStringLiteral("MANY.DAT")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        const SpectraOverview o = readOverview(file.fileName().toStdString(), 10);
        QCOMPARE(o.records.size(), std::size_t{spectra});
        QVERIFY(!o.calibrated);
        QCOMPARE(o.lower, (std::vector<float>{0, 1, -7, 3}));
        QCOMPARE(o.upper, (std::vector<float>{10000, 10001, 10002, 10003}));
        QVERIFY(o.samples.size() >= 10 && o.samples.size() < 20);
        for (std::size_t i = 0; i < o.samples.size(); ++i) {
            const auto j = static_cast<float>(o.sampleIndex[i]);
            QCOMPARE(o.samples[i], (std::vector<float>{j * 10, j * 10 + 1, j * 10 + 2, j * 10 + 3}));
            QVERIFY(i == 0 || o.sampleIndex[i] - o.sampleIndex[i - 1] == o.sampleIndex[1] - o.sampleIndex[0]);
        }
        QCOMPARE(o.column.size(), std::size_t{spectra});
        QCOMPARE(o.column[500], -7.0);
    }

    // 3000 spectra of 4 values of every length, as a normal and as a
    // transposed table: the transposed one's spectra and columns, read
    // through the marks of its value rows, are the normal one's.
    void aTransposedTableStepsAndClicksAsItsNormalTable()
    {
        const int spectra = 3000;
        const QByteArray header = "Tidelume processed data file. Serial: S Orvantis v1.31\r\nSource file: A\r\n"
                                  "Calibration file: C\r\nChannel: Lu, W\r\n";
        const auto cell = [](int j, int k) {
            return QByteArray::number((j * 37 + k * 11) % 9973) + ".5e-" + QByteArray::number(k);
        };
        const QList<QByteArray> labels = {"Time", "temp", "volts",   "depth",    "process", "N",     "Scale",
                                          "Do",   "Dt",   "intTime", "firstPix", "pixInc",  "numPix"};
        const auto field = [](int j, qsizetype f) {
            return f == 0    ? QByteArray::number(j)
                   : f == 12 ? QByteArray("4")
                   : f == 3  ? QByteArray::number(j % 9)
                             : QByteArray("1");
        };
        QByteArray normal = header + "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix,400,"
                                     "410,420,430\r\n";
        for (int j = 0; j < spectra; ++j) {
            for (qsizetype f = 0; f < labels.size(); ++f)
                normal += (f ? "," : "") + field(j, f);
            for (int k = 0; k < 4; ++k)
                normal += "," + cell(j, k);
            normal += "\r\n";
        }
        QByteArray transposed = header;
        for (qsizetype f = 0; f < labels.size(); ++f) {
            transposed += labels[f];
            for (int j = 0; j < spectra; ++j)
                transposed += "," + field(j, f);
            transposed += "\r\n";
        }
        for (int k = 0; k < 4; ++k) {
            transposed += QByteArray::number(400 + 10 * k);
            for (int j = 0; j < spectra; ++j)
                transposed += "," + cell(j, k);
            transposed += "\r\n";
        }
        std::vector<SpectraOverview> overviews;
        for (const QByteArray& text : {normal, transposed}) {
            QFile file(dir.filePath(QStringLiteral("T%1.DAT").arg(overviews.size())));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
            file.close();
            overviews.push_back(readOverview(file.fileName().toStdString(), 10));
        }
        QCOMPARE(overviews[1].layout, OutputLayout::Transposed);
        QCOMPARE(overviews[1].marks.rowStarts.size(), std::size_t{4});
        QCOMPARE(overviews[1].column, overviews[0].column);
        SpectrumFetcher normalFetcher(overviews[0]);
        SpectrumFetcher transposedFetcher(overviews[1]);
        for (const std::size_t j : {2999, 0, 15, 16, 17, 1234, 2048})
            QCOMPARE(transposedFetcher.spectrum(j), normalFetcher.spectrum(j));
        for (std::size_t k = 0; k < 4; ++k)
            QCOMPARE(transposedFetcher.column(k), normalFetcher.column(k));
    }

    void everyOutputFormOpens()
    {
        for (const bool binary : {false, true}) {
            const QString path = convert(QStringLiteral("SET0101B.ASC"), binary ? 0 : 2, !binary, binary);
            TFrmViewer viewer(appViewerHost());
            viewer.loadFile(path);
            QCOMPARE(viewer.overview()->records.size(), readAllSpectra(path).size());
            QCOMPARE(viewer.overview()->calibrated, !binary);
        }
    }

    void aDamagedFileIsRefusedAndTheViewKept()
    {
        TFrmViewer viewer(appViewerHost());
        viewer.loadFile(output);
        QFile damaged(dir.filePath(QStringLiteral("DAMAGED.DAT")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QFile whole(output);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        damaged.write(whole.readAll().left(900));
        damaged.close();
        QVERIFY_THROWS_EXCEPTION(OutputReadError, viewer.loadFile(damaged.fileName()));
        QCOMPARE(QString::fromStdString(viewer.overview()->path), output);
    }

    void exportsEachImageFormAtTheSizeAsked()
    {
        TFrmViewer viewer(appViewerHost());
        viewer.loadFile(output);
        const QSize size(640, 480);
        const QString png = dir.filePath(QStringLiteral("view.png"));
        viewer.exportImage(png, size);
        const QImage image(png);
        QCOMPARE(image.size(), size);
        QVERIFY(inkShare(image) > 0.02);

        const QString svg = dir.filePath(QStringLiteral("view.svg"));
        viewer.exportImage(svg, size);
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox().size(), size);
        QImage drawn(size, QImage::Format_ARGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        renderer.render(&painter);
        painter.end();
        QVERIFY(inkShare(drawn) > 0.02);

        const QString pdf = dir.filePath(QStringLiteral("view.pdf"));
        viewer.exportImage(pdf, size);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.contains("/MediaBox [0 0 640.000000 480.000000]"));
        QVERIFY(bytes.size() > 10000); // the plots' paths, not an empty page

        QVERIFY_THROWS_EXCEPTION(std::runtime_error, viewer.exportImage(dir.filePath(QStringLiteral("v.gif")), size));
    }

    // Ed and Lu of one cast: a series each at the same wavelength, each
    // units on an axis of its own, a legend naming the files; the image
    // exported says the same in its text and is drawn.
    void twoFilesAreTwoSeriesOnTheirOwnAxesWithALegend()
    {
        const QString lu = convert(QStringLiteral("SET0101B.ASC"), 4, false, false);
        TFrmViewer viewer(appViewerHost());
        viewer.loadFile(output);
        viewer.addFile(lu);
        QCOMPARE(viewer.files().size(), std::size_t{2});
        viewer.chooseX(550.0);
        const ViewedFile& a = *viewer.files()[0];
        const ViewedFile& b = *viewer.files()[1];
        QVERIFY(std::abs(a.overview->x[a.chosen] - b.overview->x[b.chosen]) < 2.0);
        std::vector<double> expected;
        for (const OutputSpectrum& s : readAllSpectra(lu))
            expected.push_back(s.values[b.chosen]);
        QCOMPARE(b.chosenValues, expected);

        QCustomPlot* spectra = viewer.spectraView();
        QCOMPARE(spectra->legend->itemCount(), 2);
        QVERIFY(spectra->yAxis->label().contains(QStringLiteral("uW/cm^2/nm")));
        QVERIFY(spectra->yAxis2->visible());
        QVERIFY(spectra->yAxis2->visible());
        QVERIFY(spectra->yAxis2->label().contains(QStringLiteral("uW/cm^2/nm/sr")));
        QCustomPlot* below = viewer.seriesView();
        QCOMPARE(below->graphCount(), 2);
        QCOMPARE(below->graph(0)->name(), QStringLiteral("SET0101A.DAT"));
        QCOMPARE(below->graph(1)->name(), QStringLiteral("SET0101B.DAT"));
        QVERIFY(below->graph(0)->valueAxis() != below->graph(1)->valueAxis());
        QCOMPARE(graphValues(below->graph(1)), QVector<double>(b.chosenValues.begin(), b.chosenValues.end()));
        QVERIFY(!below->yAxis2->label().isEmpty());

        // The wheel zooms both channels' axes, so Lu stays where it was against Ed.
        viewer.show();
        const QCPRange edRange = spectra->yAxis->range(), luRange = spectra->yAxis2->range();
        const QPointF centre = spectra->axisRect()->center();
        QWheelEvent wheel(centre, spectra->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(spectra, &wheel);
        QVERIFY(spectra->yAxis->range().size() < edRange.size());
        QVERIFY(spectra->yAxis2->range().size() < luRange.size());

        viewer.setCurrentSpectrum(2);
        viewer.setLogarithmic(true);
        QCOMPARE(below->graph(0)->valueAxis()->scaleType(), QCPAxis::stLogarithmic);
        QCOMPARE(spectra->yAxis2->scaleType(), QCPAxis::stLogarithmic);
        const QString svg = dir.filePath(QStringLiteral("two.svg"));
        viewer.exportImage(svg, QSize(900, 700));
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const QString& part : {viewer.plotTitle(), QStringLiteral("SET0101A.DAT: spectrum 3 / "),
                                    QStringLiteral("SET0101B.DAT: spectrum 3 / "), QStringLiteral("level 4"),
                                    QStringLiteral("Wavelength (nm)"), QStringLiteral("Spectrum number")})
            QVERIFY2(text.contains(part.toHtmlEscaped()), qPrintable(part));
        const QString png = dir.filePath(QStringLiteral("two.png"));
        viewer.exportImage(png, QSize(900, 700));
        QVERIFY(inkShare(QImage(png)) > 0.02);
    }

    // A cast down to 3 m and back: the profile puts depth downward and draws
    // the down-cast (to the deepest spectrum) apart from the up-cast.
    void theProfileRunsDepthDownwardWithTheCastsApart()
    {
        QByteArray text = "Tidelume processed data file. Serial: S Orvantis v1.31\r\nSource file: A\r\n"
                          "Calibration file: C\r\nChannel: Lu, W\r\n"
                          "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix,400.0,500.0\r\n";
        const double depths[] = {0, 1, 2, 3, 2, 1, 0.5};
        for (int j = 0; j < 7; ++j)
            text += QByteArray::number(j) + ",1.0,2.00," + QByteArray::number(depths[j]) + ",4,1,1,0,0,100,0,1,2,1," +
                    QByteArray::number(10 + j) + "\r\n";
        QFile file(dir.filePath(QStringLiteral("CAST.DAT")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        TFrmViewer viewer(appViewerHost());
        viewer.show(); // the axes have their sizes
        viewer.loadFile(file.fileName());
        viewer.chooseX(500);
        viewer.setProfile(true);
        QCustomPlot* below = viewer.seriesView();
        QCOMPARE(below->yAxis->label(), QStringLiteral("Depth"));
        QVERIFY(below->yAxis->coordToPixel(3) > below->yAxis->coordToPixel(0)); // deeper is lower
        QVERIFY(below->xAxis->label().startsWith(QStringLiteral("Lu at 500.0 nm (W)")));
        QMap<QString, QVector<QPointF>> casts;
        for (int i = 0; i < below->plottableCount(); ++i)
            if (auto* curve = qobject_cast<QCPCurve*>(below->plottable(i)); curve && !curve->name().isEmpty())
                for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it)
                    casts[curve->name()] << QPointF(it->key, it->value);
        QCOMPARE(casts.keys(), (QStringList{QStringLiteral("CAST.DAT down-cast"), QStringLiteral("CAST.DAT up-cast")}));
        QCOMPARE(casts.first(), (QVector<QPointF>{{10, 0}, {11, 1}, {12, 2}, {13, 3}}));
        QCOMPARE(casts.last(), (QVector<QPointF>{{13, 3}, {14, 2}, {15, 1}, {16, 0.5}}));
        QCOMPARE(casts.first().size() + casts.last().size(), 8); // the deepest spectrum ends one and starts the other
        viewer.setProfile(false);
        QCOMPARE(below->xAxis->label(), QStringLiteral("Spectrum number"));
        QVERIFY(below->yAxis->coordToPixel(3) < below->yAxis->coordToPixel(0));
    }

    // A recording (text or binary) is converted for the viewer alone, with
    // the calibration associated with its serial or the one given, leaving
    // its folder as it was; without either it is refused saying so.
    void aRecordingIsDrawnWithItsCalibrationAndRefusedWithoutOne()
    {
        const QString cal = QStringLiteral(ORVANTIS_EXAMPLES "/EXAMPLE.CAL");
        for (const QString& name : {QStringLiteral("SET0101A.ASC"), QStringLiteral("SET0102A.BIN")}) {
            const TestEnvironment env;
            const QString recording = env.copyExample(name);
            const QStringList before = QDir(env.dataFolder()).entryList(QDir::Files);
            AppViewerHost host;
            TFrmViewer viewer(host);
            try {
                viewer.loadFile(recording);
                QFAIL("a recording without a calibration was drawn");
            } catch (const OutputReadError& error) {
                QVERIFY2(QString::fromUtf8(error.what())
                             .contains(QStringLiteral("Must associate a calibration file with Tidelume #TDL0417 to "
                                                      "use Orvantis.")),
                         error.what());
            }
            QVERIFY(viewer.files().empty());
            const std::vector<OutputSpectrum> expected = readAllSpectra(convert(name, 4, false, false));
            AppViewerHost givenCal({4, cal.toStdString()});
            storeAssociation(QStringLiteral("TDL0417"), cal);
            for (ViewerHost* withCal : {static_cast<ViewerHost*>(&host), static_cast<ViewerHost*>(&givenCal)}) {
                TFrmViewer drawn(*withCal);
                drawn.loadFile(recording);
                QCOMPARE(drawn.overview()->records.size(), expected.size());
                QCOMPARE(drawn.overview()->column[1], static_cast<double>(expected[1].values[drawn.chosenValue()]));
                QCustomPlot* view = drawn.spectraView();
                const std::vector<float>& first = expected[0].values;
                QCOMPARE(graphValues(view->graph(view->graphCount() - 1)), QVector<double>(first.begin(), first.end()));
                QVERIFY2(drawn.plotTitle().startsWith(name + QStringLiteral(": Ed (uW/cm^2/nm), level 4")),
                         qPrintable(drawn.plotTitle()));
            }
            QCOMPARE(QDir(env.dataFolder()).entryList(QDir::Files), before);
        }
    }

    // Another instrument's calibration draws nothing unless asked for.
    void aRecordingWithAnotherInstrumentsCalibrationIsRefusedUnlessAllowed()
    {
        const TestEnvironment env;
        const QString recording = env.copyExample(QStringLiteral("SET0101A.ASC"));
        QFile example(QStringLiteral(ORVANTIS_EXAMPLES "/EXAMPLE.CAL"));
        QVERIFY(example.open(QIODevice::ReadOnly));
        const QString otherCal = env.dataFolder() + QStringLiteral("/OTHER.CAL");
        QFile other(otherCal);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(example.readAll().replace("TDL0417", "TDL0999"));
        other.close();
        AppViewerHost refusing({4, otherCal.toStdString()});
        TFrmViewer viewer(refusing);
        try {
            viewer.loadFile(recording);
            QFAIL("a recording was drawn with another instrument's calibration");
        } catch (const OutputReadError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("is for #TDL0999: not converted")),
                     error.what());
        }
        AppViewerHost allowing({4, otherCal.toStdString(), true});
        TFrmViewer drawn(allowing);
        drawn.loadFile(recording);
        QVERIFY(!drawn.overview()->records.empty());
    }

    // The offscreen screen is smaller than the viewer's own size: the
    // window shrinks to lie wholly within the screen's free area, and so
    // does any frame placed partly or wholly off an area.
    void aViewerWindowLiesWithinAScreen()
    {
        TFrmViewer viewer(appViewerHost());
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect area = viewer.screen()->availableGeometry();
        QCOMPARE(area.intersected(viewer.frameGeometry()), viewer.frameGeometry());
        const QRect screen(100, 50, 800, 600);
        for (const QRect& frame : {QRect(150, 60, 300, 200), QRect(700, 500, 300, 200), QRect(-400, -90, 300, 200),
                                   QRect(2000, 2000, 300, 200), QRect(90, 0, 1000, 700)}) {
            const QRect fitted = fittedInto(frame, screen);
            QVERIFY(screen.contains(fitted));
            QCOMPARE(fitted.size(), frame.size().boundedTo(screen.size()));
            QCOMPARE(fitted == frame, screen.contains(frame)); // moved only when it must be
        }
    }

    // The first window's end closes the second: had the first ended the
    // loop, the second would still be open when it returns.
    void closingTheLastOwnViewerEndsTheEventLoopAndNoEarlierOne()
    {
        openViewers(appViewerHost(), {output}, ViewerLifetime::EndsProgram);
        openViewers(appViewerHost(), {output}, ViewerLifetime::EndsProgram);
        const QList<TFrmViewer*> viewers = openViewerWindows();
        QCOMPARE(viewers.size(), 2);
        const QPointer<TFrmViewer> second = viewers[1];
        connect(viewers[0], &QObject::destroyed, second, &QWidget::close);
        QTimer::singleShot(0, viewers[0], &QWidget::close);
        QObject guard; // a loop that never ends fails instead of hanging
        QTimer::singleShot(60000, &guard, [] { QApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!second || !second->isVisible());
        const TFrmViewer ofMainWindow(appViewerHost()); // the main window's own ends the program
        QVERIFY(!ofMainWindow.testAttribute(Qt::WA_QuitOnClose));
    }

    void plotCommandDrawsWithoutWindowsAndExits()
    {
        const QString image = dir.filePath(QStringLiteral("plot.png"));
        QProcess program;
        program.start(QStringLiteral(ORVANTIS_PROGRAM), {QStringLiteral("--plot"), output, QStringLiteral("--output"),
                                                         image, QStringLiteral("--wavelength"), QStringLiteral("500")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QImage(image).size(), QSize(1200, 900));

        const QString lu = convert(QStringLiteral("SET0101B.ASC"), 4, false, false);
        const QString svg = dir.filePath(QStringLiteral("plot.svg"));
        program.start(QStringLiteral(ORVANTIS_PROGRAM),
                      {QStringLiteral("--plot"), output, lu, QStringLiteral("--output"), svg,
                       QStringLiteral("--profile"), QStringLiteral("--log")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QFile drawn(svg);
        QVERIFY(drawn.open(QIODevice::ReadOnly));
        const QByteArray text = drawn.readAll();
        for (const char* part : {"SET0101A.DAT: Ed", "SET0101B.DAT: Lu", "SET0101B.DAT down-cast", "Depth"})
            QVERIFY2(text.contains(part), part);

        program.start(QStringLiteral(ORVANTIS_PROGRAM), {QStringLiteral("--plot"), output});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(program.readAllStandardError().contains("--output IMAGE"));

        program.start(
            QStringLiteral(ORVANTIS_PROGRAM),
            {QStringLiteral("--plot"), dir.filePath(QStringLiteral("NONE.DAT")), QStringLiteral("--output"), image});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().contains("NONE.DAT"));
    }
};

QTEST_MAIN(ViewerTest)
#include "viewer_test.moc"
