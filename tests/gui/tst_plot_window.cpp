// The plot window through its widgets and its pixels.
#include "GuiTest.h"

#include "common/NumberFormat.h"
#include "plot/PlotSetup.h"

#include "gui/forms/frmSingle.h"
#include "gui/plot/DecayView.h"
#include "gui/plot/frmPTserN.h"

#include <QClipboard>
#include <QDir>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QXmlStreamReader>

#include <csignal>

#include <sys/resource.h>

using namespace guitest;
using ode::plot::FrmPTserN;
using ode::plot::PlotCanvas;

namespace {

bool near(QRgb pixel, QColor want)
{
    return qRed(pixel) == want.red() && qGreen(pixel) == want.green() && qBlue(pixel) == want.blue();
}

bool dark(QRgb pixel) { return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100; }

// Whether a pixel within `r` of the point passes `test`.
bool anyNear(const QImage& image, QPoint at, int r, const std::function<bool(QRgb)>& test)
{
    for (int dx = -r; dx <= r; ++dx)
        for (int dy = -r; dy <= r; ++dy)
            if (image.valid(at.x() + dx, at.y() + dy) && test(image.pixel(at.x() + dx, at.y() + dy)))
                return true;
    return false;
}

// Whether a dark pixel (a smooth black curve's) stands within two pixels of the point.
bool darkNear(const QImage& image, QPoint at) { return anyNear(image, at, 2, dark); }

// The rectangle the yellow frame encloses, and the rows a dark curve takes inside it.
struct FrameAndCurve {
    QRect frame;
    int top = -1, bottom = -1;
    double share() const { return top < 0 ? 0 : double(bottom - top + 1) / frame.height(); }
};

FrameAndCurve frameAndCurve(const QImage& image)
{
    FrameAndCurve f;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixel(x, y), QColor(255, 255, 0)))
                f.frame |= QRect(x, y, 1, 1);
    for (int y = f.frame.top() + 1; y < f.frame.bottom(); ++y)
        for (int x = f.frame.left() + 1; x < f.frame.right(); ++x)
            if (dark(image.pixel(x, y))) {
                if (f.top < 0)
                    f.top = y;
                f.bottom = y;
            }
    return f;
}

// Whether a horizontal run of at least `length` pixels of the colour stands in the rectangle.
bool strokeIn(const QImage& image, const QRect& r, QColor colour, int length)
{
    for (int y = r.top(); y <= r.bottom(); ++y) {
        int run = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            run = image.valid(x, y) && near(image.pixel(x, y), colour) ? run + 1 : 0;
            if (run >= length)
                return true;
        }
    }
    return false;
}

double number(QLineEdit* box) { return ode::ParseNumber(box->text().toStdString()); }

// A move of the mouse to `at` (with `buttons` down: a drag), sent to the picture itself: a moved
// cursor reaches whichever window the offscreen screen finds on top there, and the form overlaps
// the plot window.
void moveTo(PlotCanvas* canvas, QPointF at, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent moved(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(canvas, &moved);
}

// A turn of the wheel by `notches` (positive: away from the user) with the mouse at `at`.
void wheel(PlotCanvas* canvas, QPointF at, int notches)
{
    QWheelEvent turned(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &turned);
}

// The window's four boxes: x from, x to, y from, y to.
QStringList windowTexts(FrmPTserN* plot)
{
    return {plot->txtWindowlx->text(), plot->txtWindowgx->text(), plot->txtWindowly->text(), plot->txtWindowgy->text()};
}

// Empty when the plot's point `now` is `was` to within the tolerances; else both, for the message.
QString samePoint(QPointF now, QPointF was, double xTolerance = 1e-4, double yTolerance = 1e-4)
{
    if (std::abs(now.x() - was.x()) <= xTolerance && std::abs(now.y() - was.y()) <= yTolerance)
        return QString();
    return QString("%1,%2 against %3,%4").arg(now.x()).arg(now.y()).arg(was.x()).arg(was.y());
}

// The command line's `solve` with `arguments`: its exit code, -1 when it crashed or did not end
// in a minute.
int solve(const QStringList& arguments)
{
    QProcess program;
    program.start(ODESERIES_EXECUTABLE, QStringList{"solve"} + arguments);
    const bool ended = program.waitForFinished(60000) && program.exitStatus() == QProcess::NormalExit;
    return ended ? program.exitCode() : -1;
}

// An SVG file read through: its root element, its paths and polylines, the texts of its text
// elements, and what was wrong with its XML ("" when nothing).
struct Svg {
    QString root, error;
    int shapes = 0;
    QStringList texts;
};

Svg readSvg(const QString& path)
{
    Svg svg;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        svg.error = "cannot be read";
        return svg;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (svg.root.isEmpty())
            svg.root = xml.name().toString();
        if (xml.name() == QStringLiteral("path") || xml.name() == QStringLiteral("polyline"))
            ++svg.shapes;
        if (xml.name() == QStringLiteral("text"))
            svg.texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    }
    if (xml.hasError())
        svg.error = xml.errorString();
    return svg;
}

// The one picture in a PDF, as pdfimages lists it: its pixels and its size on the page in points.
struct PdfImage {
    int images = 0;
    int width = 0, height = 0;
    double pointsWide = 0, pointsHigh = 0;
};

PdfImage pdfImage(const QString& pdf)
{
    QProcess list;
    list.start("pdfimages", {"-list", pdf});
    list.waitForFinished(10000);
    PdfImage image;
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    for (const QString& line : QString::fromUtf8(list.readAllStandardOutput()).split('\n')) {
        const QStringList f = line.simplified().split(' ');
        if (f.size() < 14 || f[2] != "image")
            continue;
        ++image.images;
        image.width = f[3].toInt();
        image.height = f[4].toInt();
        image.pointsWide = image.width / f[12].toDouble() * 72;
        image.pointsHigh = image.height / f[13].toDouble() * 72;
    }
    return image;
}

// The top of the first word `word` on the PDF's page, in points from the page's top; -1 when
// it is not there.
double wordTop(const QString& pdf, const QString& word)
{
    QProcess text;
    text.start("pdftotext", {"-bbox", pdf, "-"});
    text.waitForFinished(10000);
    const QRegularExpression at(
        QStringLiteral("<word xMin=\"[^\"]*\" yMin=\"([^\"]*)\"[^>]*>%1</word>").arg(QRegularExpression::escape(word)));
    const auto match = at.match(QString::fromUtf8(text.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

} // namespace

class TestPlotWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ode::shell::Shell> shell;
    ode::forms::FrmSingle* form = nullptr;
    FrmPTserN* plot = nullptr;

private slots:
    void init()
    {
        // y' - y = 0, y(0) = 1 on [-2, 2], degree 30: e^x.
        form = openForm<ode::forms::FrmSingle>(shell, ode::ProblemKind::LinearPower);
        setTexts(form, {{"txtOrder", "1"}, {"txtEquation", "y'-y=0"}, {"txtBC_1", "y=1"}, {"txtXeval_1", "0"}});
        setTexts(form, {{"txtXlower", "-2"}, {"txtXupper", "2"}, {"txtTerms", "30"}});
        form->cmdSolve->click();
        QVERIFY(form->session().solved());
        plot = shell->plotWindow();
        // The y-window of these tests kept, as the user may ask.
        plot->chkKeepWindow->setChecked(true);
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
        QCOMPARE(windowTexts(plot), (QStringList{"-2", " 2", "-1", "8"}));
        const QImage image = plot->Picture1->image();
        QCOMPARE(image.size(), plot->Picture1->size());
        const QRect area = plot->Picture1->area().toRect();
        QVERIFY(area.width() > 300 && area.height() > 200);
        const QColor yellow(255, 255, 0), red(255, 0, 0), black(0, 0, 0);
        QVERIFY(near(image.pixel(area.right(), area.center().y()), yellow));
        QVERIFY(near(image.pixel(area.center().x(), area.bottom()), yellow));
        auto at = [&](double x, double y) { return plot->Picture1->toPixel(x, y).toPoint(); };
        // The axes at x = 0 and y = 0, the origin's mark filled red.
        for (const QPoint axis : {at(-1, 0), at(0, 5)})
            QVERIFY(anyNear(image, axis, 1, [&](QRgb pixel) { return near(pixel, red); }));
        QVERIFY(near(image.pixel(at(0, 0)), red));
        // The curve e^x through (1, e), and nowhere near (1, e + 1).
        QVERIFY(darkNear(image, at(1, std::exp(1))));
        QVERIFY(!darkNear(image, at(1, std::exp(1) + 1)));
        QCOMPARE(textsOf(plot, {"lblType", "lblTerms"}), (QStringList{"Power", " 30"}));
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

    // A refused setup box keeps the focus (a wrong window pair sends it to the other end, both
    // ends marked), is marked, and the status bar states the core's rule until the value is
    // accepted. No box reads a text's leading digits, or letters as 0.
    void refusedSetupBoxesKeepTheFocusAndSayWhy_data()
    {
        using namespace ode::plot;
        const QString step = QString::fromStdString(PlotStepRule()), number = QString::fromStdString(PlotNumberRule());
        addRefusalRows({
            {"step 0", "txtPlotStep", "0", "", step, "2"},
            {"step 81", "txtPlotStep", "81", "", step, "80"},
            {"step 4px", "txtPlotStep", "4px", "", step, "4"},
            {"division y", "txtDivy", "0", "", QString::fromStdString(DivisionRule("y")), "1"},
            {"division x", "txtDivx", "abc", "", QString::fromStdString(DivisionRule("x")), "0.5"},
            {"window x", "txtWindowgx", "-3", "txtWindowlx", QString::fromStdString(WindowRule("x")), "3"},
            {"file name in x-min", "txtWindowlx", "coupled.png", "", number, "-3"},
            {"y-max 1O", "txtWindowgy", "1O", "", number, "10"},
            {"origin 2x", "txtYorigin", "2x", "", number, "0"},
        });
    }
    void refusedSetupBoxesKeepTheFocusAndSayWhy()
    {
        refuseThenAccept(plot);
        QVERIFY(plot->txtWindowgx->styleSheet().isEmpty() && plot->txtWindowlx->styleSheet().isEmpty());
    }

    // A drag draws at most once a frame: the moves that come sooner are gathered into the next
    // picture, drawn a frame later or when the button is let go, always from the latest move;
    // moves a frame apart are each drawn. A drag pans in every direction: the point under the
    // press ends under the release, the window's size stays, no click-to-centre. The wait cursor
    // stays down for a drag and the wheel, and goes up for the Plot button.
    void aDragDrawsAtMostOnceAFrameWithoutTheWaitCursor_data()
    {
        QTest::addColumn<int>("moves");
        QTest::addColumn<int>("pause");    // milliseconds between moves
        QTest::addColumn<bool>("release"); // let go at once after the last move (else held)
        QTest::addColumn<int>("pictures"); // drawn for the drag
        QTest::addColumn<QPoint>("move");  // to the last move, in even steps; none: a zigzag up and right
        QTest::newRow("twenty quick moves, let go") << 20 << 0 << true << 2 << QPoint();
        QTest::newRow("twenty quick moves, held") << 20 << 0 << false << 2 << QPoint();
        QTest::newRow("one move, let go") << 1 << 0 << true << 1 << QPoint();
        QTest::newRow("three moves two frames apart") << 3 << 40 << true << 3 << QPoint();
        QTest::newRow("right and up") << 4 << 0 << true << 2 << QPoint(60, -40);
        QTest::newRow("left") << 4 << 0 << true << 2 << QPoint(-90, 0);
        QTest::newRow("down") << 4 << 0 << true << 2 << QPoint(0, 25);
    }
    void aDragDrawsAtMostOnceAFrameWithoutTheWaitCursor()
    {
        QFETCH(int, moves);
        QFETCH(int, pause);
        QFETCH(bool, release);
        QFETCH(int, pictures);
        QFETCH(QPoint, move);
        QList<bool> busy;
        plot->showBusy = [&](bool on) { busy << on; };
        PlotCanvas* canvas = plot->Picture1;
        QSignalSpy drawn(canvas, &PlotCanvas::dragged);
        const QPoint start = canvas->area().center().toPoint();
        const QPointF grabbed = canvas->toPlot(start);
        const QPoint last = start + (move.isNull() ? QPoint(3 * moves + 10, -2 * moves - 6) : move);
        QTest::mousePress(canvas, Qt::LeftButton, {}, start);
        for (int i = 1; i <= moves; ++i) {
            if (pause > 0 && i > 1)
                QTest::qWait(pause);
            const QPoint zigzag = start + QPoint(3 * i + 8, -2 * i - 5);
            moveTo(canvas, i == moves ? last : move.isNull() ? zigzag : start + move * i / moves, Qt::LeftButton);
        }
        if (release)
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, last);
        else
            QTest::qWait(60); // three frames: the gathered moves are drawn meanwhile
        QCOMPARE(drawn.count(), pictures);
        // The window drawn last is the one of the last move: the point grabbed lies under it.
        const QPointF now = canvas->toPlot(last);
        QCOMPARE(samePoint(now, grabbed), QString());
        if (!release)
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, last);
        QCOMPARE(drawn.count(), pictures); // nothing left to draw at the release
        QVERIFY(plot->PlotDrawn());
        QVERIFY(std::abs(number(plot->txtWindowgx) - number(plot->txtWindowlx) - 4) < 1e-5); // the size stays
        wheel(canvas, start, 1);
        QCOMPARE(busy, QList<bool>());
        plot->cmdPlot->click();
        QCOMPARE(busy, (QList<bool>{true, false}));
    }

    // The plot window answers the keys a desktop program does; each command's own question is
    // answered "no" by the test.
    void standardKeysReachTheirCommands_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Save") << "Ctrl+S" << "file dialog";
        QTest::newRow("Save As") << "Ctrl+Shift+S" << "file dialog";
        QTest::newRow("Print") << "Ctrl+P" << "printer";
    }
    void standardKeysReachTheirCommands()
    {
        QFETCH(QString, keys);
        QFETCH(QString, reached);
        QStringList seen;
        plot->chooseFile = [&]() {
            seen << "file dialog";
            return QString();
        };
        plot->confirmPrinter = [&](QPrinter&) {
            seen << "printer";
            return false;
        };
        QVERIFY(activate(plot));
        QTest::keySequence(plot, QKeySequence(keys));
        QCOMPARE(seen, QStringList{reached});
    }

    void navigationRoundTripsAndClickCentres()
    {
        plot->windowButtons[5]->click(); // zoom in
        QCOMPARE(windowTexts(plot), (QStringList{"-1", " 1", " 1.25", " 5.75"}));
        QVERIFY(plot->PlotDrawn());
        plot->windowButtons[0]->click(); // zoom out
        QCOMPARE(windowTexts(plot), (QStringList{"-2", " 2", "-1", " 8"}));
        plot->windowButtons[1]->click(); // quadrant 1 keeps the upper right corner
        QCOMPARE(windowTexts(plot), (QStringList{" 0", " 2", " 3.5", " 8"}));
        // A click at (0.5, 6.875) of [0,2] x [3.5,8] centres the window there, to a pixel.
        const double upx = plot->Picture1->unitsPerPixelX(), upy = plot->Picture1->unitsPerPixelY();
        QTest::mouseClick(plot->Picture1, Qt::LeftButton, {}, plot->Picture1->toPixel(0.5, 6.875).toPoint());
        const QPointF low(number(plot->txtWindowlx), number(plot->txtWindowly));
        const QPointF high(number(plot->txtWindowgx), number(plot->txtWindowgy));
        QCOMPARE(samePoint(low, QPointF(-0.5, 4.625), upx, upy), QString());
        QCOMPARE(samePoint(high, QPointF(1.5, 9.125), upx, upy), QString());
        moveTo(plot->Picture1, plot->Picture1->area().center());
        QVERIFY(plot->Picture1->toolTip().startsWith("( "));
        QVERIFY(plot->Picture1->toolTip().endsWith("): Click to center graph here"));
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
        QVERIFY(again->chkGrid->isChecked());
        QCOMPARE(textsOf(again, {"txtWindowly", "txtWindowgx"}), (QStringList{"-3", " 1.5"})); // x follows the interval
    }

    void saveAndCopy()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("picture");
        plot->chooseFile = [&]() { return name; };
        plot->mnuSave->trigger();
        QImage saved(name + ".bmp");
        QCOMPARE(saved.size(), plot->Picture1->size());
        QVERIFY(darkNear(saved, plot->Picture1->toPixel(1, std::exp(1)).toPoint())); // the curve's pixel
        plot->chooseFile = [&]() { return name + ".bmp"; };
        plot->mnuSaveAs->trigger();
        QVERIFY2(QFile::exists(name + ".bmp.bmp"), "the extension is always appended");

        plot->mnuCopy->trigger();
        QCOMPARE(QApplication::clipboard()->image().size(), plot->Picture1->size());
    }

    // Print: the picture fills the printable area's width or the height left above its caption
    // and the setup's lines, its shape kept, at more pixels than the window's; the lines follow
    // below it on the same page, the DIVISIONS line giving the boxes' texts as typed.
    void printScalesThePictureToThePage_data()
    {
        QTest::addColumn<int>("pageSize"); // QPageSize::PageSizeId
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QSize>("window");
        QTest::newRow("A4 portrait") << int(QPageSize::A4) << false << QSize();
        QTest::newRow("Letter landscape, large window") << int(QPageSize::Letter) << true << QSize(1400, 900);
        QTest::newRow("A5 portrait, wide window") << int(QPageSize::A5) << false << QSize(1400, 560);
        QTest::newRow("A5 landscape, tall window") << int(QPageSize::A5) << true << QSize(900, 1000);
    }
    void printScalesThePictureToThePage()
    {
        QFETCH(int, pageSize);
        QFETCH(bool, landscape);
        QFETCH(QSize, window);
        if (window.isValid()) {
            plot->resize(window);
            QApplication::processEvents();
        }
        plot->txtDivx->setText("0.50");
        plot->cmdPlot->click();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("plot.pdf");
        QRectF printable;
        plot->confirmPrinter = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(pageSize)));
            printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
            printable = printer.pageLayout().paintRect(QPageLayout::Point);
            return true;
        };
        plot->mnuPrint->trigger();
        const QString out = pdfLines(pdf).join('\n');
        for (const char* expected : {"Plot of Function(s)", "PLOT SETUP:", "AXES: [0,0]", "DIVISIONS: [0.50,1]",
                                     "X-WINDOW: [-2, 2]", "Y-WINDOW: [-1,8]"})
            QVERIFY2(out.contains(expected), expected);
        const PdfImage image = pdfImage(pdf);
        QCOMPARE(image.images, 1);
        const QSize canvas = plot->Picture1->size();
        const double below = wordTop(pdf, "PLOT"), lastLine = wordTop(pdf, "Y-WINDOW:");
        const QString sizes = QString::asprintf("%dx%d px, %g x %g pt on %g x %g pt; PLOT at %g pt, last line at %g pt",
                                                image.width, image.height, image.pointsWide, image.pointsHigh,
                                                printable.width(), printable.height(), below, lastLine);
        QVERIFY2(image.width >= canvas.width() && image.height >= canvas.height(), qPrintable(sizes));
        // Its shape kept, to the rounding of its pixels.
        const double aspect = double(canvas.width()) / canvas.height();
        QVERIFY2(std::abs(image.pointsWide / image.pointsHigh / aspect - 1) < 0.01, qPrintable(sizes));
        // As wide as the printable area, or as high as the room above the lines lets it be.
        const double tolerance = 1.5; // points: the pixel counts' rounding
        QVERIFY2(image.pointsWide <= printable.width() + tolerance, qPrintable(sizes));
        const bool fillsWidth = std::abs(image.pointsWide - printable.width()) < tolerance;
        // The caption and the setup's lines below the picture, on the page; when the picture is
        // narrower than the page, the lines end at the printable area's foot (within two lines
        // of 10 points): the picture took all the height.
        QVERIFY2(below > printable.top() + image.pointsHigh, qPrintable(sizes));
        QVERIFY2(lastLine > below && lastLine < printable.bottom(), qPrintable(sizes));
        QVERIFY2(fillsWidth || printable.bottom() - lastLine < 2 * 12, qPrintable(sizes));
        QVERIFY(wordTop(pdf, "Function(s)") > printable.top() + image.pointsHigh);
    }

    // Export Picture: refused with the reason before anything is drawn; then the picture the
    // window shows, its edges labelled, written by the extension through the drawing the command
    // line's --plot uses (which writes and reads back every format); a name of no known format
    // refused with a message and nothing written.
    void exportPictureWritesTheWindowsPicture()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("graph.svg");
        plot->choosePictureFile = [&]() { return path; };
        plot->ClearPlot();
        plot->mnuExportPicture->trigger();
        QVERIFY(!QFile::exists(path));
        QVERIFY(plot->statusBar()->currentMessage().startsWith("Plot the solution first"));
        plot->chkWindow->setChecked(true);
        plot->cmdPlot->click();
        QVERIFY(plot->PlotDrawn());
        plot->mnuExportPicture->trigger();
        const Svg svg = readSvg(path);
        QCOMPARE(svg.error, QString());
        QCOMPARE(svg.root, QString("svg"));
        QVERIFY(svg.shapes > 0);
        // The y window's labels.
        QVERIFY2(svg.texts.contains("8") && svg.texts.contains("-1"), qPrintable(svg.texts.join('|')));
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
        // Each format's full disk through that drawing: the command line's Pictures test.
        QTest::newRow("export") << "graph.png" << false;
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
        // The picture holds the legend too: a stroke of the second curve's blue in its upper right.
        const QRect area = plot->Picture1->area().toRect();
        const QRect corner(area.center().x(), area.top(), area.width() / 2, area.height() / 4);
        QVERIFY(strokeIn(plot->Picture1->image(), corner, QColor(0, 0, 255), 20));
        src.varDegree.assign(10, 1);
        src.coefOffset.assign(10, 0);
        src.depVarNames.assign(10, "z");
        plot->cmdPlot->click();
        QVERIFY(plot->Picture2->isHidden());
        QVERIFY(plot->frmLegend() && plot->frmLegend()->isVisible());
        QCOMPARE(plot->frmLegend()->windowTitle(), QString("Legend"));
    }

    // A new solution is fitted: the boxes show the fitted window and the curve fills the height.
    void aNewSolutionIsFittedUnlessTheWindowIsKept()
    {
        plot->chkKeepWindow->setChecked(false);
        form->cmdPlot->click();
        QCOMPARE(windowTexts(plot), (QStringList{"-2", " 2", "-.5", " 8"}));
        QCOMPARE(textsOf(plot, {"txtDivx", "txtDivy"}), (QStringList{" .5", " 1"}));
        QVERIFY(frameAndCurve(plot->Picture1->image()).share() > 0.8);
        // Kept: the next solution keeps the y-window; the x-window follows the interval.
        plot->chkKeepWindow->setChecked(true);
        plot->txtWindowgy->setText("20");
        plot->cmdPlot->click();
        form->txtXupper->setText("1");
        form->cmdSolve->click();
        form->cmdPlot->click();
        QCOMPARE(textsOf(plot, {"txtWindowgx", "txtWindowgy"}), (QStringList{" 1", "20"}));
    }

    // Fit from the button and from a double click, after the window was moved away.
    void fitComesBackFromAnyWindow_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("moveCode"); // the navigation button pressed first
        QTest::newRow("button after zoom in") << false << 5;
        QTest::newRow("button after pan right") << false << 6;
        QTest::newRow("double click after zoom out") << true << 0;
        QTest::newRow("double click after quadrant 3") << true << 3;
    }
    void fitComesBackFromAnyWindow()
    {
        QFETCH(bool, doubleClick);
        QFETCH(int, moveCode);
        plot->windowButtons[moveCode]->click();
        QVERIFY(plot->txtWindowgy->text() != QString(" 8") || plot->txtWindowgx->text() != QString(" 2"));
        if (doubleClick)
            QTest::mouseDClick(plot->Picture1, Qt::LeftButton, {}, plot->Picture1->area().center().toPoint());
        else
            find<QPushButton>(plot, "cmdFit")->click();
        QVERIFY(plot->PlotDrawn());
        QCOMPARE(windowTexts(plot), (QStringList{"-2", " 2", "-.5", " 8"}));
        // The boxes and the picture agree.
        const auto shown = ode::plot::ReadPlotSetup(plot->setupTexts());
        QCOMPARE(shown.PlotYmax, shell->state().plotState.PlotYmax);
        QCOMPARE(shown.PlotXmin, shell->state().plotState.PlotXmin);
    }

    // The wheel zooms about the point under the cursor: that point stays under it, the window's
    // size changes by 0.8 a notch, and the boxes say so.
    void theWheelZoomsAboutTheCursor_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("notches");
        QTest::newRow("in at (1, 2)") << 1.0 << 2.0 << 1;
        QTest::newRow("out at (-1.5, 7)") << -1.5 << 7.0 << -1;
        QTest::newRow("three in at (0.5, 0)") << 0.5 << 0.0 << 3;
    }
    void theWheelZoomsAboutTheCursor()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(int, notches);
        PlotCanvas* canvas = plot->Picture1;
        const QPointF pixel = canvas->toPixel(x, y);
        const QPointF before = canvas->toPlot(pixel);
        const double width = number(plot->txtWindowgx) - number(plot->txtWindowlx);
        wheel(canvas, pixel, notches);
        QVERIFY(plot->PlotDrawn());
        const double factor = std::pow(0.8, notches);
        QVERIFY(std::abs((number(plot->txtWindowgx) - number(plot->txtWindowlx)) / width - factor) < 1e-5);
        const QPointF after = canvas->toPlot(pixel);
        QCOMPARE(samePoint(after, before, 1e-5 * width, 1e-4), QString());
        QCOMPARE(ode::plot::ReadPlotSetup(plot->setupTexts()).PlotXmin, shell->state().plotState.PlotXmin);
    }

    // The status bar: the point under the mouse, and near the curve the curve's value there.
    void theStatusBarReadsThePointAndTheCurve()
    {
        auto* readout = find<QLabel>(plot, "lblPoint");
        auto hover = [&](double x, double y) { moveTo(plot->Picture1, plot->Picture1->toPixel(x, y)); };
        hover(1, std::exp(1));
        const QString onCurve = readout->text();
        QVERIFY2(onCurve.startsWith("x = ") && onCurve.contains("   y(") && onCurve.contains(") = 2.7"),
                 qPrintable(onCurve));
        hover(1, 6);
        const QString away = readout->text();
        QVERIFY2(away.startsWith("x = ") && !away.contains("y("), qPrintable(away));
    }

    // The picture takes the window's room and is drawn again at its new size; the window fits
    // a 1024 x 600 screen.
    void theCanvasGrowsWithTheWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(1400, 900);
        QTest::newRow("smallest") << QSize(400, 300);
    }
    void theCanvasGrowsWithTheWindow()
    {
        QFETCH(QSize, size);
        const QSize least = plot->minimumSizeHint();
        QVERIFY2(least.width() <= 1000 && least.height() <= 560,
                 qPrintable(QString("%1x%2").arg(least.width()).arg(least.height())));
        const QSize before = plot->Picture1->size();
        plot->resize(size);
        QApplication::processEvents();
        const QImage image = plot->Picture1->image();
        QCOMPARE(image.size(), plot->Picture1->size());
        if (size.width() > 1000)
            QVERIFY(image.width() > before.width() && image.height() > before.height());
        QVERIFY(frameAndCurve(image).frame.width() > image.width() / 2);
        QVERIFY(darkNear(image, plot->Picture1->toPixel(1, std::exp(1)).toPoint())); // the curve's pixel
    }

    // The coefficient-decay picture carries its axis titles: text up its left edge and along its
    // foot, clear of the dots.
    void theDecayPictureHasAxisTitles_data()
    {
        QTest::addColumn<int>("series");
        QTest::newRow("one series") << 1;
        QTest::newRow("a system's two") << 2;
    }
    void theDecayPictureHasAxisTitles()
    {
        QFETCH(int, series);
        ode::plot::DecayView view;
        view.resize(320, 160);
        std::vector<std::vector<double>> coefs;
        for (int j = 0; j < series; ++j) {
            std::vector<double> c;
            for (int k = 0; k <= 20; ++k)
                c.push_back(std::pow(0.1, k) * (j + 1));
            coefs.push_back(c);
        }
        view.setSeries(coefs, 1e-13);
        const QImage image = view.grab().toImage();
        const QFontMetrics fm(view.font());
        auto inkIn = [&](const QRect& r) {
            int count = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    count += image.valid(x, y) && dark(image.pixel(x, y));
            return count;
        };
        const int strip = fm.height() * 85 / 100 - 2;
        // The turned title in the left strip, the index's title in the bottom strip's middle.
        QVERIFY(inkIn(QRect(2, image.height() / 4, strip, image.height() / 2)) > 10);
        QVERIFY(inkIn(QRect(image.width() / 3, image.height() - strip, image.width() / 3, strip - 2)) > 10);
    }

    // Pictures written by the command line: an explicit window draws the picture it always drew;
    // without one the curve is fitted across the height; a system's picture names its curves.
    void writtenPictures_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("reference"); // a picture to match pixel for pixel
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("legend");
        QTest::newRow("explicit window") << "airy --plot-window -6,3,-1,1.5"
                                         << "airy-window.png" << QSize(640, 480) << false;
        QTest::newRow("explicit window, grid, size")
            << "harmonic-oscillator --plot-window -1,7,-2,2 --plot-grid --plot-size 500x300"
            << "oscillator-window-grid.png" << QSize(500, 300) << false;
        QTest::newRow("fitted") << "harmonic-oscillator" << QString() << QSize(640, 480) << false;
        QTest::newRow("fitted, wide") << "exponential-decay --plot-size 1000x300" << QString() << QSize(1000, 300)
                                      << false;
        QTest::newRow("fitted derivative") << "airy --plot-derivative 1" << QString() << QSize(640, 480) << false;
        QTest::newRow("system") << "predator-prey" << QString() << QSize(640, 480) << true;
        QTest::newRow("system, explicit window")
            << "predator-prey --plot-window 0,1,0,3" << QString() << QSize(640, 480) << true;
    }
    void writtenPictures()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, reference);
        QFETCH(QSize, size);
        QFETCH(bool, legend);
        QTemporaryDir dir;
        const QString png = dir.filePath("picture.png");
        QStringList args = arguments.split(' ');
        args[0] = QString(ODESERIES_SOURCE_DIR) + "/examples/" + args[0];
        QCOMPARE(solve(args + QStringList{"--plot", png}), 0);
        const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), size);
        if (!reference.isEmpty()) {
            const QImage want = QImage(QString(ODESERIES_SOURCE_DIR) + "/tests/plot/data/" + reference)
                                    .convertToFormat(QImage::Format_RGB32);
            QCOMPARE(image, want);
            return;
        }
        const FrameAndCurve f = frameAndCurve(image);
        if (!legend)
            QVERIFY2(f.share() > 0.75, qPrintable(QString::number(f.share())));
        const QRect corner(f.frame.center().x(), f.frame.top(), f.frame.width() / 2, f.frame.height() / 4);
        QCOMPARE(strokeIn(image, corner, QColor(0, 0, 255), 20), legend);
    }

    // On a bitmap a long steep curve is stroked a few points at a time, each piece clipped to its
    // own columns: the picture is the one a single stroke of each run draws (as on a pixmap, which
    // is stroked whole), pixel for pixel, at one and two pixels a unit.
    void aCurveDrawnInPiecesIsTheWholeStroke_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("ywindow"); // "low,high"
        QTest::newRow("within the plane") << 1.0 << "-1.2,1.2";
        QTest::newRow("leaving it at its peaks") << 1.0 << "-0.9,0.95";
        QTest::newRow("two pixels a unit") << 2.0 << "-1.2,1.2";
        QTest::newRow("two pixels a unit, leaving it") << 2.0 << "-0.3,0.6";
    }
    void aCurveDrawnInPiecesIsTheWholeStroke()
    {
        QFETCH(double, ratio);
        QFETCH(QString, ywindow);
        // Two curves of 31 swings over [-1, 1]: T31 and T24 / 2 + 0.3 from Chebyshev coefficients.
        ode::plot::PlotSource source;
        source.xlower = -1;
        source.xupper = 1;
        source.varDegree = {31, 31};
        source.coefOffset = {0, 32};
        source.coef.assign(64, 0.0);
        source.chebyshev.assign(64, 0.0);
        source.chebyshev[31] = 1;
        source.chebyshev[32] = 0.3;
        source.chebyshev[32 + 24] = 0.5;
        source.depVarNames = {"u", "v"};
        ode::plot::PlotSetupTexts texts;
        texts.windowlx = "-1.05";
        texts.windowgx = "1.05";
        texts.windowly = ywindow.section(',', 0, 0).toStdString();
        texts.windowgy = ywindow.section(',', 1, 1).toStdString();
        texts.divx = texts.divy = "0.25";
        texts.grid = texts.labelDivisions = true;
        ode::plot::PlotPicture picture;
        picture.state = ode::plot::ReadPlotSetup(texts);
        picture.source = &source;
        picture.style = ode::plot::PlotStyle::Framed;
        const QSize size(1200, 700);
        const QImage pieces = ode::plot::RenderPlotImage(size.width(), size.height(), picture, nullptr, ratio);
        QPixmap whole(size * ratio);
        whole.setDevicePixelRatio(ratio);
        {
            QPainter painter(&whole);
            QVERIFY(!ode::plot::RenderPlot(painter, size.width(), size.height(), picture));
        }
        QCOMPARE(whole.toImage().convertToFormat(pieces.format()), pieces);
    }

    // The system's legend in the scalable pictures: the names as text.
    void aSystemsDrawingNamesItsCurves_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("svg") << "prey.svg";
        QTest::newRow("pdf") << "prey.pdf";
    }
    void aSystemsDrawingNamesItsCurves()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QCOMPARE(solve({QString(ODESERIES_SOURCE_DIR) + "/examples/predator-prey", "--plot", path}), 0);
        const QStringList words =
            name.endsWith(".pdf") ? pdfLines(path).join(' ').split(' ', Qt::SkipEmptyParts) : readSvg(path).texts;
        for (const char* word : {"u", "v", "t"})
            QVERIFY2(words.contains(word), qPrintable(words.join('|')));
    }
};

QTEST_MAIN(TestPlotWindow)
#include "tst_plot_window.moc"
