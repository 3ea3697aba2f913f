// The plot window through its widgets and its pixels.
#include "GuiTest.h"

#include "gui/forms/frmSingle.h"
#include "gui/plot/frmPTserN.h"
#include "gui/shell/Shell.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <csignal>

#include <sys/resource.h>

using namespace guitest;
using ode::plot::FrmPTserN;

namespace {

bool near(QRgb pixel, QColor want)
{
    return qRed(pixel) == want.red() && qGreen(pixel) == want.green() && qBlue(pixel) == want.blue();
}

// Whether any pixel within `r` of (x, y) has the colour.
bool colourNear(const QImage& image, int x, int y, QColor want, int r = 1)
{
    for (int dx = -r; dx <= r; ++dx)
        for (int dy = -r; dy <= r; ++dy)
            if (image.valid(x + dx, y + dy) && near(image.pixel(x + dx, y + dy), want))
                return true;
    return false;
}

} // namespace

class TestPlotWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ode::shell::Shell> shell;
    ode::forms::FrmSingle* form = nullptr;
    FrmPTserN* plot = nullptr;

    // y' - y = 0, y(0) = 1 on [-2, 2], degree 30: e^x.
    void solveExponential()
    {
        form->txtOrder->setText("1");
        form->txtEquation->setText("y'-y=0");
        form->txtBC[1]->setText("y=1");
        form->txtXeval[1]->setText("0");
        form->txtXlower->setText("-2");
        form->txtXupper->setText("2");
        form->txtTerms->setText("30");
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
    }

private slots:
    void init()
    {
        shell = std::make_unique<ode::shell::Shell>(std::make_unique<PointSetting>());
        shell->Main();
        shell->openKind(ode::ProblemKind::LinearPower);
        form = qobject_cast<ode::forms::FrmSingle*>(shell->CurrentForm());
        solveExponential();
        plot = shell->plotWindow();
        plot->txtWindowly->setText("-1");
        plot->txtWindowgy->setText("8");
        form->cmdPlot->click();
        QVERIFY(plot->isVisible());
        QVERIFY(plot->PlotDrawn());
    }
    void cleanup() { shell.reset(); }

    void thePictureShowsFrameAxesOriginAndCurve()
    {
        QCOMPARE(plot->windowTitle(), QString("Plot"));
        QCOMPARE(plot->txtWindowlx->text(), QString("-2"));
        QCOMPARE(plot->txtWindowgx->text(), QString(" 2"));
        const QImage image = plot->Picture1->image();
        QCOMPARE(image.size(), QSize(640, 480));
        const QColor yellow(255, 255, 0), red(255, 0, 0), black(0, 0, 0);
        QVERIFY(near(image.pixel(639, 100), yellow));
        QVERIFY(near(image.pixel(100, 479), yellow));
        // The x-axis at y = 0: row 8 / (9/480) = 426.7; the y-axis at column 320.
        QVERIFY(colourNear(image, 100, 427, red));
        QVERIFY(colourNear(image, 320, 50, red));
        // The origin mark, filled red, radius 6.4 pixels.
        QVERIFY(near(image.pixel(324, 427), red));
        // The curve e^x: x = 1 at column 480, y = e at row (8 - e) * 480 / 9 = 281.7.
        QVERIFY(colourNear(image, 480, 282, black, 2));
        QVERIFY(!colourNear(image, 480, 200, black, 2));
        QCOMPARE(plot->findChild<QLabel*>("lblType")->text(), QString("Power"));
        QCOMPARE(plot->findChild<QLabel*>("lblTerms")->text(), QString(" 30"));
        QVERIFY2(plot->Picture2->isHidden(), "one curve, no legend");
    }

    void derivativesAndEditsClearThePlot()
    {
        QCOMPARE(plot->cboDerivative->count(), 10);
        QCOMPARE(plot->cboDerivative->itemText(9), QString("9th.derivative"));
        plot->cboDerivative->setCurrentIndex(2);
        plot->cmdPlot->click();
        QCOMPARE(plot->DerOrder(), 2);
        typeInto(plot->txtDivx, "0,5");
        QCOMPARE(plot->txtDivx->text(), QString("0.5")); // a typed comma becomes a point
        QVERIFY(!plot->PlotDrawn());
        QVERIFY(plot->Picture1->image().isNull());
        plot->cmdPlot->click();
        QVERIFY(plot->PlotDrawn());
        form->txtXupper->setText("3"); // an edit in the form clears the plot too
        QVERIFY(!plot->PlotDrawn());
    }

    // A refused setup box keeps the focus (a wrong window pair sends it to the other end),
    // is marked, and the status bar states the rule until the value is accepted.
    void refusedSetupBoxesKeepTheFocusAndSayWhy_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("good");
        QTest::addColumn<QString>("focus"); // where the focus stays after the bad value
        QTest::addColumn<QString>("hint");
        QTest::newRow("step 0") << "txtPlotStep"
                                << "0"
                                << "2"
                                << "txtPlotStep"
                                << "The plot step is a whole number of pixels from 1 to 80.";
        QTest::newRow("step 81") << "txtPlotStep"
                                 << "81"
                                 << "80"
                                 << "txtPlotStep"
                                 << "The plot step is a whole number of pixels from 1 to 80.";
        QTest::newRow("division y") << "txtDivy"
                                    << "0"
                                    << "1"
                                    << "txtDivy"
                                    << "The divisions on the y axis need a size other than 0.";
        QTest::newRow("division x") << "txtDivx"
                                    << "abc"
                                    << "0.5"
                                    << "txtDivx"
                                    << "The divisions on the x axis need a size other than 0.";
        QTest::newRow("window x") << "txtWindowgx"
                                  << "-3"
                                  << "3"
                                  << "txtWindowlx"
                                  << "The window's greatest x must be above its least x.";
        // No box reads a text's leading digits, or letters as 0.
        const QString number = "A window end or an origin must be a number.";
        QTest::newRow("file name in x-min") << "txtWindowlx" << "coupled.png" << "-3" << "txtWindowlx" << number;
        QTest::newRow("y-max 1O") << "txtWindowgy" << "1O" << "10" << "txtWindowgy" << number;
        QTest::newRow("origin 2x") << "txtYorigin" << "2x" << "0" << "txtYorigin" << number;
        QTest::newRow("step 4px") << "txtPlotStep" << "4px" << "4" << "txtPlotStep"
                                  << "The plot step is a whole number of pixels from 1 to 80.";
        QTest::newRow("division 1 0") << "txtDivx" << "1 0" << "1" << "txtDivx"
                                      << "The divisions on the x axis need a size other than 0.";
    }
    void refusedSetupBoxesKeepTheFocusAndSayWhy()
    {
        QFETCH(QString, box);
        QFETCH(QString, bad);
        QFETCH(QString, good);
        QFETCH(QString, focus);
        QFETCH(QString, hint);
        QVERIFY(activate(plot));
        auto* edit = find<QLineEdit>(plot, box);
        typeInto(edit, bad);
        pressTab();
        QVERIFY(find<QLineEdit>(plot, focus)->hasFocus());
        QCOMPARE(plot->statusBar()->currentMessage(), hint);
        QVERIFY(!edit->styleSheet().isEmpty());
        typeInto(edit, good);
        edit->setFocus();
        pressTab();
        QVERIFY(!edit->hasFocus());
        QCOMPARE(plot->statusBar()->currentMessage(), QString());
        QVERIFY(edit->styleSheet().isEmpty());
    }

    void navigationRoundTripsAndClickCentres()
    {
        plot->windowButtons[5]->click(); // zoom in
        QCOMPARE(plot->txtWindowlx->text(), QString("-1"));
        QCOMPARE(plot->txtWindowgy->text(), QString(" 5.75"));
        QVERIFY(plot->PlotDrawn());
        plot->windowButtons[0]->click(); // zoom out
        QCOMPARE(plot->txtWindowlx->text(), QString("-2"));
        QCOMPARE(plot->txtWindowgx->text(), QString(" 2"));
        QCOMPARE(plot->txtWindowly->text(), QString("-1"));
        QCOMPARE(plot->txtWindowgy->text(), QString(" 8"));
        plot->windowButtons[1]->click(); // quadrant 1 keeps the upper right corner
        QCOMPARE(plot->txtWindowlx->text(), QString(" 0"));
        QCOMPARE(plot->txtWindowly->text(), QString(" 3.5"));
        QCOMPARE(plot->txtWindowgx->text(), QString(" 2"));
        // A click at pixel (160, 120) of [0,2] x [3.5,8] centres the window on (0.5, 6.875).
        QTest::mouseClick(plot->Picture1, Qt::LeftButton, {}, QPoint(160, 120));
        QCOMPARE(plot->txtWindowlx->text(), QString("-.5"));
        QCOMPARE(plot->txtWindowgx->text(), QString(" 1.5"));
        QCOMPARE(plot->txtWindowly->text(), QString(" 4.625"));
        // The move is sent to the picture itself: a moved cursor reaches whichever window the
        // offscreen screen finds on top there, and the form overlaps the plot window.
        QMouseEvent move(QEvent::MouseMove, QPointF(320, 240), plot->Picture1->mapToGlobal(QPointF(320, 240)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(plot->Picture1, &move);
        QCOMPARE(plot->Picture1->toolTip(), QString("( .5,  6.875): Click to center graph here"));
    }

    void anEmptyWindowIsRefusedWithAMessage()
    {
        plot->txtWindowgy->setText("-1");
        const QStringList seen = answeringBoxes([&]() { plot->cmdPlot->click(); });
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen[0].contains("upper limit"));
        QVERIFY(!plot->PlotDrawn());
        plot->txtWindowgy->setText("8");
        plot->cmdPlot->click();
        QVERIFY(plot->PlotDrawn());
    }

    void theSetupIsRememberedWhenTheWindowIsLoadedAgain()
    {
        plot->txtWindowly->setText("-3");
        plot->chkGrid->setChecked(true);
        plot->cmdPlot->click();
        QPointer<FrmPTserN> closed(plot);
        plot->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closed.isNull()); // closing unloads the window
        form->txtXupper->setText("1.5");
        form->cmdSolve->click();
        form->cmdPlot->click();
        auto* again = shell->plotWindow();
        QCOMPARE(again->txtWindowly->text(), QString("-3"));
        QVERIFY(again->chkGrid->isChecked());
        QCOMPARE(again->txtWindowgx->text(), QString(" 1.5")); // the x-window follows the solver's interval
    }

    void printSaveAndCopy()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("plot.pdf");
        plot->txtDivx->setText("0.50");
        plot->cmdPlot->click();
        plot->confirmPrinter = printInto(pdf);
        plot->mnuPrint->trigger();
        const QString out = pdfLines(pdf).join('\n');
        // The DIVISIONS line gives the boxes' texts as typed.
        for (const char* expected : {"Plot of Function(s)", "PLOT SETUP:", "AXES: [0,0]", "DIVISIONS: [0.50,1]",
                                     "X-WINDOW: [-2, 2]", "Y-WINDOW: [-1,8]"})
            QVERIFY2(out.contains(expected), expected);

        const QString name = dir.filePath("picture");
        plot->chooseFile = [&]() { return name; };
        plot->mnuSave->trigger();
        QImage saved(name + ".bmp");
        QCOMPARE(saved.size(), QSize(640, 480));
        QVERIFY(colourNear(saved, 480, 282, QColor(0, 0, 0), 2));
        plot->chooseFile = [&]() { return name + ".bmp"; };
        plot->mnuSaveAs->trigger();
        QVERIFY2(QFile::exists(name + ".bmp.bmp"), "the extension is always appended");

        plot->mnuCopy->trigger();
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(640, 480));
    }

    // Export Picture: the format by the extension, through the same drawing as the window;
    // each file read back (the SVG as XML, the PDF's text, the image's pixels).
    void exportPictureWritesEveryFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("svg") << "graph.svg";
        QTest::newRow("pdf") << "graph.pdf";
        QTest::newRow("png") << "graph.png";
        QTest::newRow("bmp") << "graph.BMP";
    }
    void exportPictureWritesEveryFormat()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        plot->choosePictureFile = [&]() { return path; };
        plot->ClearPlot();
        plot->mnuExportPicture->trigger(); // nothing drawn: refused, with the reason
        QVERIFY(!QFile::exists(path));
        QVERIFY(plot->statusBar()->currentMessage().startsWith("Plot the solution first"));
        plot->chkWindow->setChecked(true); // the window's edges labelled
        plot->cmdPlot->click();
        QVERIFY(plot->PlotDrawn());
        plot->mnuExportPicture->trigger();
        QVERIFY(QFile::exists(path));
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == "svg") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QXmlStreamReader xml(&file);
            int paths = 0;
            QStringList texts;
            QString root;
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement)
                    continue;
                if (root.isEmpty())
                    root = xml.name().toString();
                if (xml.name() == QStringLiteral("path") || xml.name() == QStringLiteral("polyline"))
                    ++paths;
                if (xml.name() == QStringLiteral("text"))
                    texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            }
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            QCOMPARE(root, QString("svg"));
            QVERIFY(paths > 0);
            QVERIFY2(texts.contains("8") && texts.contains("-1"), qPrintable(texts.join('|'))); // the y window's labels
        } else if (suffix == "pdf") {
            const QStringList lines = pdfLines(path);
            QVERIFY2(lines.join(' ').contains("8") && lines.join(' ').contains("-2"), qPrintable(lines.join('|')));
        } else {
            QImage saved(path);
            QCOMPARE(saved.size(), QSize(640, 480));
            QVERIFY(colourNear(saved, 480, 282, QColor(0, 0, 0), 2)); // the curve, as in the bitmap
        }
        // A name of no known picture format is refused with a message; nothing is written.
        const QString other = dir.filePath("graph.gif");
        plot->choosePictureFile = [&]() { return other; };
        const QStringList seen = answeringBoxes([&]() { plot->mnuExportPicture->trigger(); });
        QCOMPARE(seen, QStringList{"A picture is saved as .png, .bmp, .svg or .pdf, not " + other + "."});
        QVERIFY(!QFile::exists(other));
    }

    // A disk that takes no more than 1 KB a file (as a full one: write fails, with the signal
    // that would end the program ignored): Export Picture... and the bitmap Save show why, and
    // the file there before stays, with nothing beside it.
    void aPictureThatCannotBeWrittenKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bitmapSave"); // File > Save (NAME.bmp) instead of Export Picture...
        QTest::newRow("svg") << "graph.svg" << false;
        QTest::newRow("pdf") << "graph.pdf" << false;
        QTest::newRow("png") << "graph.png" << false;
        QTest::newRow("bmp") << "graph.bmp" << false;
        QTest::newRow("save") << "graph.bmp" << true;
    }
    void aPictureThatCannotBeWrittenKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, bitmapSave);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the old picture");
        }
        plot->choosePictureFile = [&]() { return path; };
        plot->chooseFile = [&]() { return dir.filePath("graph"); };
        QStringList seen;
        {
            rlimit limit{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
            const rlimit before = limit;
            limit.rlim_cur = 1024;
            const auto previous = signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
            auto restore = qScopeGuard([&]() {
                setrlimit(RLIMIT_FSIZE, &before);
                signal(SIGXFSZ, previous);
            });
            seen = answeringBoxes([&]() { (bitmapSave ? plot->mnuSaveAs : plot->mnuExportPicture)->trigger(); });
        }
        QCOMPARE(seen, QStringList{"The file " + path + " cannot be written: File too large."});
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the old picture"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void legendsForSeveralCurves()
    {
        auto& src = shell->state().plotSource;
        src.varDegree = {1, 1, 1};
        src.coefOffset = {0, 0, 0};
        src.depVarNames = {"u", "v", "w"};
        plot->cmdPlot->click();
        QVERIFY(plot->Picture2->isVisible());
        src.varDegree.assign(10, 1);
        src.coefOffset.assign(10, 0);
        src.depVarNames.assign(10, "z");
        plot->cmdPlot->click();
        QVERIFY(plot->Picture2->isHidden());
        QVERIFY(plot->frmLegend() && plot->frmLegend()->isVisible());
        QCOMPARE(plot->frmLegend()->windowTitle(), QString("Legend"));
    }
};

QTEST_MAIN(TestPlotWindow)
#include "tst_plot_window.moc"
