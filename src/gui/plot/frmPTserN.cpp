#include "gui/plot/frmPTserN.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "gui/app/AppState.h"
#include "gui/app/FormEvents.h"
#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "gui/app/Messages.h"
#include "plot/PlotFit.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace ode::plot {

using app::q;
using app::s;

namespace {

QLabel* plotLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* setupBox(const char* name, const QString& text, const QString& tip, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setToolTip(tip);
    e->setMaximumWidth(90);
    return e;
}

// The picture never gets smaller than this, so that the window fits a 1024 x 600 screen.
constexpr int kMinimumPictureWidth = 400;
constexpr int kMinimumPictureHeight = 300;
// Pixels the mouse moves with the button down before a press is a drag.
constexpr int kDragStart = 4;
// The wheel's zoom for one notch.
constexpr double kWheelZoom = 0.8;
// How near the mouse a curve is read, in pixels.
constexpr double kReadoutPixels = 6;
// A frame of the screen, in milliseconds: a drag draws no more often than this.
constexpr int kFrameMilliseconds = 16;
// The printed picture's resolution on paper, in dots an inch.
constexpr double kPrintDotsPerInch = 300;
} // namespace

PlotCanvas::PlotCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName("Picture1");
    setMinimumSize(kMinimumPictureWidth, kMinimumPictureHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    m_dragTimer.setSingleShot(true);
    m_dragTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_dragTimer, &QTimer::timeout, this, [this]() { sendDrag(); });
}

void PlotCanvas::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void PlotCanvas::clear()
{
    m_image = QImage();
    update();
}

double PlotCanvas::unitsPerPixelX() const
{
    return (static_cast<double>(m_shown.PlotXmax) - m_shown.PlotXmin) / std::max(1.0, m_area.width());
}

double PlotCanvas::unitsPerPixelY() const
{
    return (static_cast<double>(m_shown.PlotYmax) - m_shown.PlotYmin) / std::max(1.0, m_area.height());
}

QPointF PlotCanvas::toPlot(const QPointF& pixel) const
{
    return QPointF(m_shown.PlotXmin + (pixel.x() - m_area.left()) * unitsPerPixelX(),
                   m_shown.PlotYmax - (pixel.y() - m_area.top()) * unitsPerPixelY());
}

QPointF PlotCanvas::toPixel(double x, double y) const
{
    return QPointF(m_area.left() + (x - m_shown.PlotXmin) / unitsPerPixelX(),
                   m_area.top() + (m_shown.PlotYmax - y) / unitsPerPixelY());
}

void PlotCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!m_image.isNull())
        p.drawImage(0, 0, m_image);
}

void PlotCanvas::mousePressEvent(QMouseEvent* event)
{
    if (!m_hasScale)
        return;
    m_pressed = true;
    m_dragging = false;
    m_pressAt = event->position();
    m_atPress = m_shown;
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_hasScale)
        return;
    const QPointF at = toPlot(event->position());
    setToolTip(q(CoordinateTip(static_cast<float>(at.x()), static_cast<float>(at.y()))));
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        const QPointF moved = event->position() - m_pressAt;
        if (!m_dragging && moved.manhattanLength() >= kDragStart)
            m_dragging = true;
        if (m_dragging) {
            const double upx = (static_cast<double>(m_atPress.PlotXmax) - m_atPress.PlotXmin) / m_area.width();
            const double upy = (static_cast<double>(m_atPress.PlotYmax) - m_atPress.PlotYmin) / m_area.height();
            m_dragX = -moved.x() * upx;
            m_dragY = moved.y() * upy;
            m_dragPending = true;
            // A frame after the last picture was finished, or at once when that is past: the
            // moves come far more often than a picture can be drawn.
            if (!m_dragTimer.isActive()) {
                const qint64 waited = m_sinceDrag.isValid() ? m_sinceDrag.elapsed() : kFrameMilliseconds;
                if (waited >= kFrameMilliseconds)
                    sendDrag();
                else
                    m_dragTimer.start(static_cast<int>(kFrameMilliseconds - waited));
            }
            return;
        }
    }
    emit hovered(at.x(), at.y());
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    if (m_dragging || !m_hasScale) {
        // The release shows where the drag ended.
        if (m_dragging)
            sendDrag();
        m_dragging = false;
        return;
    }
    // A click without a drag: the point becomes the centre.
    const QPointF at = toPlot(event->position());
    emit clickedAt(static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void PlotCanvas::sendDrag()
{
    m_dragTimer.stop();
    if (!m_dragPending)
        return;
    m_dragPending = false;
    emit dragged(m_atPress, m_dragX, m_dragY);
    m_sinceDrag.start();
}

void PlotCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = false;
    m_dragging = false;
    m_dragPending = false;
    m_dragTimer.stop();
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void PlotCanvas::wheelEvent(QWheelEvent* event)
{
    if (!m_hasScale || event->angleDelta().y() == 0)
        return;
    const QPointF at = toPlot(event->position());
    emit wheeledAt(at.x(), at.y(), event->angleDelta().y() / 120.0);
    event->accept();
}

void PlotCanvas::resizeEvent(QResizeEvent*) { emit resized(); }

LegendView::LegendView(QWidget* parent) : QWidget(parent) { setMinimumSize(120, 60); }

void LegendView::setNames(const std::vector<std::string>& names)
{
    m_names = names;
    setMinimumHeight(static_cast<int>(names.size()) * fontMetrics().lineSpacing() + 4);
    update();
}

void LegendView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const int h = fontMetrics().lineSpacing();
    int nameWidth = 0;
    for (const auto& n : m_names)
        nameWidth = qMax(nameWidth, fontMetrics().horizontalAdvance(q(n)));
    for (size_t j = 0; j < m_names.size(); ++j) {
        const Rgb c = CurveColour(static_cast<int>(j));
        const int y = static_cast<int>(j) * h;
        p.setPen(QColor(c.r, c.g, c.b));
        p.drawText(QPoint(4, y + fontMetrics().ascent()), q(m_names[j]));
        p.drawLine(nameWidth + 20, y + h / 2, nameWidth + 70, y + h / 2);
    }
}

FrmPTserN::FrmPTserN(AppState& state, std::function<void(QWidget*)> help, std::function<void()> about) : m_state(state)
{
    setObjectName("frmPTserN");
    setWindowTitle("Plot");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* central = new QWidget(this);
    auto* main = new QHBoxLayout(central);
    auto* left = new QVBoxLayout();
    Picture1 = new PlotCanvas(central);
    left->addWidget(Picture1);
    // The frames beside the picture scroll when the screen is too low for them.
    auto* side = new QWidget(central);
    side->setObjectName("sidePanel");
    auto* right = new QVBoxLayout(side);
    right->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(central);
    scroll->setObjectName("sideScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    // What to plot, Plot and Fit stay in sight above the frames.
    auto* column = new QVBoxLayout();
    main->addLayout(left, 1);
    main->addLayout(column, 0);

    buildSeriesSpecs(central, right);
    buildPlotSetup(central, right);
    buildNavigation(central, right);
    Picture2 = new LegendView(central);
    Picture2->setObjectName("Picture2");
    Picture2->hide();
    right->addWidget(Picture2);

    auto* commands = new QHBoxLayout();
    cboDerivative = new QComboBox(central);
    cboDerivative->setObjectName("cboDerivative");
    cboDerivative->setToolTip("Select what to plot from list");
    cmdPlot = new QPushButton("&Plot", central);
    cmdPlot->setObjectName("cmdPlot");
    cmdPlot->setToolTip("Plot the selected option");
    cmdFit = new QPushButton("&Fit", central);
    cmdFit->setObjectName("cmdFit");
    cmdFit->setToolTip("Fit the window to the interval and the curves (or double-click the graph)");
    commands->addWidget(cboDerivative);
    commands->addWidget(cmdPlot);
    commands->addWidget(cmdFit);
    column->addLayout(commands);
    column->addWidget(scroll, 1);
    right->addStretch();
    scroll->setWidget(side);
    scroll->setFixedWidth(side->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    m_side = side;
    setCentralWidget(central);

    buildMenus(help, about);
    lblPoint = new QLabel(central);
    lblPoint->setObjectName("lblPoint");
    statusBar()->addPermanentWidget(lblPoint);
    chooseFile = [this]() { return app::ChooseFileWithDialog(this, true); };
    choosePictureFile = [this]() {
        return QFileDialog::getSaveFileName(
            this, "Export Picture", QString(),
            "PNG image (*.png);;SVG drawing (*.svg);;PDF page (*.pdf);;BMP image (*.bmp)");
    };
    confirmPrinter = [this](QPrinter& printer) { return app::ConfirmPrinterWithDialog(this, printer); };
    showBusy = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };

    wireSetupBoxes();
    // Loading.
    for (const char* item : kDerivativeItems)
        cboDerivative->addItem(item);
    cboDerivative->setCurrentIndex(0);
    m_plotFileName.clear();
    if (!m_state.plotWindowUsed) {
        txtWindowlx->setText(q(FormatSigned(m_state.plotSource.xlower)));
        txtWindowgx->setText(q(FormatSigned(m_state.plotSource.xupper)));
        chkDivisions->setChecked(true); // the frame's numbers from the first plot on
    } else {
        showSetup(SetupTextsFrom(m_state.plotState));
    }
    ShowSeriesSpecs();
    m_state.plotWindowUsed = true;
    m_plotDrawn = false;
    sizeToScreen();
}

void FrmPTserN::sizeToScreen()
{
    const QScreen* screen = this->screen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 600);
    // Room for the title bar and the frame, which the window manager adds.
    const QSize room(free.width() - 16, free.height() - 48);
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + 24;
    QSize size(Picture1->sizeHint().width() + m_side->sizeHint().width() + 48,
               std::max(Picture1->sizeHint().height(), m_side->sizeHint().height()) + bars);
    size = size.boundedTo(room).expandedTo(minimumSizeHint());
    resize(size);
}

void FrmPTserN::buildSeriesSpecs(QWidget* central, QVBoxLayout* right)
{
    // Series specs.
    auto* specs = new QGroupBox("Series specs", central);
    specs->setObjectName("fraSerSpecs");
    auto* sl = new QGridLayout(specs);
    sl->addWidget(plotLabel("lblTyp", "Type:", specs), 0, 0);
    lblType = plotLabel("lblType", QString(), specs);
    sl->addWidget(lblType, 0, 1);
    sl->addWidget(plotLabel("lblInterval", "Interval of validity:", specs), 1, 0, 1, 3);
    lblXLvalid = plotLabel("lblXLvalid", QString(), specs);
    lblXUvalid = plotLabel("lblXUvalid", QString(), specs);
    sl->addWidget(lblXLvalid, 2, 0);
    sl->addWidget(plotLabel("lblXvalidity", "<=x<=", specs), 2, 1);
    sl->addWidget(lblXUvalid, 2, 2);
    lblTerm = plotLabel("lblTerm", QString(), specs);
    lblTerms = plotLabel("lblTerms", QString(), specs);
    sl->addWidget(lblTerm, 3, 0);
    sl->addWidget(lblTerms, 3, 1);
    sl->addWidget(plotLabel("lblExpans", "Center of expansion:", specs), 4, 0);
    lblExpansion = plotLabel("lblExpansion", QString(), specs);
    sl->addWidget(lblExpansion, 4, 1);
    lblPer = plotLabel("lblPer", "Period:", specs);
    lblPeriod = plotLabel("lblPeriod", QString(), specs);
    sl->addWidget(lblPer, 5, 0);
    sl->addWidget(lblPeriod, 5, 1);
    right->addWidget(specs);
}

void FrmPTserN::buildPlotSetup(QWidget* central, QVBoxLayout* right)
{
    // Plot setup.
    auto* setup = new QGroupBox("Plot setup", central);
    setup->setObjectName("fraPlotSpecs");
    auto* pl = new QGridLayout(setup);
    txtWindowlx = setupBox("txtWindowlx", "-20", "Lower limit for x (plotting)", setup);
    txtWindowgx = setupBox("txtWindowgx", "20", "Upper limit for x (plotting)", setup);
    txtWindowly = setupBox("txtWindowly", "-15", "Lower limit for y (plotting)", setup);
    txtWindowgy = setupBox("txtWindowgy", "15", "Upper limit for y (plotting)", setup);
    txtPlotStep = setupBox("txtPlotStep", "1", QString("Enter integer between 1 and %1").arg(kMaxPlotStep), setup);
    txtXorigin = setupBox("txtXorigin", "0", "Position of y-axis", setup);
    txtYorigin = setupBox("txtYorigin", "0", "Position of x-axis", setup);
    txtDivx = setupBox("txtDivx", "1", "Size of divisions on x-axis", setup);
    txtDivy = setupBox("txtDivy", "1", "Size of divisions on y-axis", setup);
    pl->addWidget(txtWindowly, 0, 0);
    pl->addWidget(plotLabel("lblYwindow", "<=y<=", setup), 0, 1);
    pl->addWidget(txtWindowgy, 0, 2);
    pl->addWidget(txtWindowlx, 1, 0);
    pl->addWidget(plotLabel("lblXwindow", "<=x<=", setup), 1, 1);
    pl->addWidget(txtWindowgx, 1, 2);
    pl->addWidget(plotLabel("lblPlotStep", "Plot step:", setup), 2, 0);
    pl->addWidget(txtPlotStep, 2, 1);
    pl->addWidget(plotLabel("lblXorigin", "x-origin:", setup), 3, 0);
    pl->addWidget(txtXorigin, 3, 1);
    pl->addWidget(plotLabel("lblDivx", "x-divisions:", setup), 3, 2);
    pl->addWidget(txtDivx, 3, 3);
    pl->addWidget(plotLabel("lblYorigin", "y-origin:", setup), 4, 0);
    pl->addWidget(txtYorigin, 4, 1);
    pl->addWidget(plotLabel("lblDivy", "y-divisions:", setup), 4, 2);
    pl->addWidget(txtDivy, 4, 3);
    chkGrid = new QCheckBox("Grid", setup);
    chkGrid->setObjectName("chkGrid");
    chkGrid->setToolTip("Check if you want a grid on graph");
    chkPersist = new QCheckBox("Persist", setup);
    chkPersist->setObjectName("chkPersist");
    chkPersist->setToolTip("Check if you want persistent graphics");
    chkDivisions = new QCheckBox("Label divisons", setup);
    chkDivisions->setObjectName("chkDivisions");
    chkWindow = new QCheckBox("Label window", setup);
    chkWindow->setObjectName("chkWindow");
    pl->addWidget(chkGrid, 5, 0);
    pl->addWidget(chkPersist, 5, 1);
    pl->addWidget(chkDivisions, 6, 0);
    pl->addWidget(chkWindow, 6, 1);
    chkKeepWindow = new QCheckBox("Keep window", setup);
    chkKeepWindow->setObjectName("chkKeepWindow");
    chkKeepWindow->setToolTip("Keep this y-window and setup for the next solution plotted (else it is fitted)");
    pl->addWidget(chkKeepWindow, 5, 2, 1, 2);
    right->addWidget(setup);
}

void FrmPTserN::buildNavigation(QWidget* central, QVBoxLayout* right)
{
    // Graph: the fourteen window changes.
    auto* graph = new QGroupBox("Graph", central);
    graph->setObjectName("fraZoomPan");
    auto* gl = new QGridLayout(graph);
    struct ButtonSpec {
        const char* frame;
        const char* frameCaption;
        const char* name;
        const char* caption;
        const char* tip;
        int code;
    };
    const ButtonSpec specsList[] = {
        {"FraWindow", "Window", "cmdDecWindX", "x <>", "Narrower x-window", 11},
        {"FraWindow", "Window", "cmdIncWindX", "x < >", "Wider x-window", 10},
        {"FraWindow", "Window", "cmdDecWindY", "y <>", "Narrower y-window", 13},
        {"FraWindow", "Window", "cmdIncWindY", "y < >", "Wider y-window", 12},
        {"fraPan", "Pan", "cmdPanUp", "Up", "Pan up", 7},
        {"fraPan", "Pan", "cmdPanDown", "Down", "Pan down", 9},
        {"fraPan", "Pan", "cmdPanRight", "Right", "Pan right", 6},
        {"fraPan", "Pan", "cmdPanLeft", "Left", "Pan left", 8},
        {"fraZoom", "Zoom", "cmdZoomIn", "In", "Zoom in", 5},
        {"fraZoom", "Zoom", "cmdZoomOut", "Out", "Zoom out", 0},
        {"fraZoomQuad", "Quadrant", "cmdZoomQ1", "1", "Zoom quadrant 1", 1},
        {"fraZoomQuad", "Quadrant", "cmdZoomQ2", "2", "Zoom quadrant 2", 2},
        {"fraZoomQuad", "Quadrant", "cmdZoomQ3", "3", "Zoom quadrant 3", 3},
        {"fraZoomQuad", "Quadrant", "cmdZoomQ4", "4", "Zoom quadrant 4", 4},
    };
    std::map<std::string, QGridLayout*> frames;
    int frameIndex = 0;
    for (const ButtonSpec& b : specsList) {
        if (!frames.count(b.frame)) {
            auto* f = new QGroupBox(b.frameCaption, graph);
            f->setObjectName(b.frame);
            frames[b.frame] = new QGridLayout(f);
            gl->addWidget(f, frameIndex / 2, frameIndex % 2);
            ++frameIndex;
        }
        QGridLayout* fl = frames[b.frame];
        auto* button = new QPushButton(b.caption, graph);
        button->setObjectName(b.name);
        button->setToolTip(b.tip);
        const int n = fl->count();
        fl->addWidget(button, n / 2, n % 2);
        windowButtons[b.code] = button;
        const int code = b.code;
        connect(button, &QPushButton::clicked, this, app::Guarded(this, [this, code]() { ChangeWindow(code); }));
    }
    right->addWidget(graph);
}

void FrmPTserN::buildMenus(const std::function<void(QWidget*)>& help, const std::function<void()>& about)
{
    auto* file = menuBar()->addMenu("File");
    file->setObjectName("mnuFile");
    mnuSave = file->addAction("Save");
    mnuSave->setObjectName("mnuSave");
    mnuSaveAs = file->addAction("Save As");
    mnuSaveAs->setObjectName("mnuSaveAs");
    mnuExportPicture = file->addAction("Export Picture...");
    mnuExportPicture->setObjectName("mnuExportPicture");
    mnuExportPicture->setToolTip("Save the graph as a PNG or BMP image, an SVG drawing or a PDF page");
    mnuCopy = file->addAction("Copy graph to clipboard");
    mnuCopy->setObjectName("mnuCopy");
    mnuPrint = file->addAction("Print");
    mnuPrint->setObjectName("mnuPrint");
    mnuHelp = menuBar()->addAction("Help");
    mnuHelp->setObjectName("mnuHelp");
    mnuAbout = menuBar()->addAction("About");
    mnuAbout->setObjectName("mnuAbout");
    connect(mnuHelp, &QAction::triggered, this, app::Guarded(this, [this, help]() { help(this); }));
    connect(mnuAbout, &QAction::triggered, this, app::Guarded(this, [about]() { about(); }));
    connect(mnuSave, &QAction::triggered, this, app::Guarded(this, [this]() { mnuSave_Click(); }));
    connect(mnuSaveAs, &QAction::triggered, this, app::Guarded(this, [this]() { mnuSaveAs_Click(); }));
    connect(mnuCopy, &QAction::triggered, this, app::Guarded(this, [this]() { mnuCopy_Click(); }));
    connect(mnuExportPicture, &QAction::triggered, this, app::Guarded(this, [this]() { mnuExportPicture_Click(); }));
    connect(mnuPrint, &QAction::triggered, this, app::Guarded(this, [this]() { mnuPrint_Click(); }));
    connect(cmdPlot, &QPushButton::clicked, this, app::Guarded(this, [this]() { cmdPlot_Click(); }));
    app::GiveStandardKeys(this, {file, nullptr, nullptr, mnuSave, mnuSaveAs, mnuPrint, mnuHelp});
}

void FrmPTserN::wireSetupBoxes()
{
    // The setup boxes' events.
    m_events = new app::FormEvents(this);
    const std::vector<QLineEdit*> boxes = {txtWindowlx, txtWindowgx, txtWindowly, txtWindowgy, txtPlotStep,
                                           txtXorigin,  txtYorigin,  txtDivx,     txtDivy};
    for (QLineEdit* b : boxes) {
        m_events->selectOnFocus(b);
        m_events->onChange(b, [this]() { ClearPlot(); });
        if (b == txtPlotStep)
            continue;
        connect(b, &QLineEdit::textEdited, this, app::Guarded(this, [b](const QString& text) {
                    if (!text.contains(','))
                        return;
                    const int cursor = b->cursorPosition();
                    b->setText(QString(text).replace(',', '.'));
                    b->setCursorPosition(cursor);
                }));
    }
    // A window whose ends are the wrong way round sends the focus to the other end and says
    // why in the status bar, until the pair is right.
    auto pairRule = [this](QLineEdit* lower, QLineEdit* upper, QLineEdit* other, const char* axis) {
        const bool wrong = ParseNumber(s(upper->text())) <= ParseNumber(s(lower->text()));
        for (QLineEdit* end : {lower, upper})
            end->setStyleSheet(wrong ? app::kRefusedBoxStyle : "");
        if (wrong) {
            statusBar()->showMessage(q(WindowRule(axis)));
            other->setFocus();
        } else if (statusBar()->currentMessage() == q(WindowRule(axis))) {
            statusBar()->clearMessage();
        }
    };
    m_events->onLostFocus(txtWindowlx, [=]() { pairRule(txtWindowlx, txtWindowgx, txtWindowgx, "x"); });
    m_events->onLostFocus(txtWindowgx, [=]() { pairRule(txtWindowlx, txtWindowgx, txtWindowlx, "x"); });
    m_events->onLostFocus(txtWindowly, [=]() { pairRule(txtWindowly, txtWindowgy, txtWindowgy, "y"); });
    m_events->onLostFocus(txtWindowgy, [=]() { pairRule(txtWindowly, txtWindowgy, txtWindowly, "y"); });
    for (QLineEdit* b : {txtWindowlx, txtWindowgx, txtWindowly, txtWindowgy, txtXorigin, txtYorigin})
        m_events->onValidate(
            b, [b]() { return CheckPlotNumber(s(b->text())); }, []() { return q(PlotNumberRule()); });
    m_events->onValidate(
        txtPlotStep, [this]() { return CheckPlotStep(s(txtPlotStep->text())); }, []() { return q(PlotStepRule()); });
    m_events->onValidate(
        txtDivx, [this]() { return CheckDivision(s(txtDivx->text())); }, []() { return q(DivisionRule("x")); });
    m_events->onValidate(
        txtDivy, [this]() { return CheckDivision(s(txtDivy->text())); }, []() { return q(DivisionRule("y")); });
    m_events->onGotFocus(cboDerivative, [this]() { m_derOrder = DerivativeOrderOf(s(cboDerivative->currentText())); });
    m_events->onLostFocus(cboDerivative, [this]() {
        if (DerivativeOrderOf(s(cboDerivative->currentText())) != m_derOrder)
            ClearPlot();
    });
    connect(Picture1, &PlotCanvas::clickedAt, this, app::Guarded(this, [this](float x, float y) {
                PlotSetupTexts t = setupTexts();
                CenterWindowOn(x, y, m_state.plotState, t);
                showSetup(t);
                cmdPlot_Click();
            }));
    connect(Picture1, &PlotCanvas::dragged, this,
            app::Guarded(this, [this](const PlotState& atPress, double dx, double dy) { PanFrom(atPress, dx, dy); }));
    connect(Picture1, &PlotCanvas::wheeledAt, this,
            app::Guarded(this, [this](double x, double y, double steps) { ZoomAt(x, y, steps); }));
    connect(Picture1, &PlotCanvas::doubleClicked, this, app::Guarded(this, [this]() {
                if (Fit())
                    cmdPlot_Click();
            }));
    connect(Picture1, &PlotCanvas::hovered, this, app::Guarded(this, [this](double x, double y) { showPoint(x, y); }));
    connect(Picture1, &PlotCanvas::resized, this, app::Guarded(this, [this]() {
                if (m_plotDrawn)
                    DrawPlot();
            }));
    connect(cmdFit, &QPushButton::clicked, this, app::Guarded(this, [this]() {
                if (Fit())
                    cmdPlot_Click();
            }));
}

FrmPTserN::~FrmPTserN() { delete m_legendWindow; }

void FrmPTserN::showSetup(const PlotSetupTexts& t)
{
    txtWindowlx->setText(q(t.windowlx));
    txtWindowgx->setText(q(t.windowgx));
    txtWindowly->setText(q(t.windowly));
    txtWindowgy->setText(q(t.windowgy));
    txtPlotStep->setText(q(t.plotStep));
    txtXorigin->setText(q(t.xorigin));
    txtYorigin->setText(q(t.yorigin));
    txtDivx->setText(q(t.divx));
    txtDivy->setText(q(t.divy));
    chkGrid->setChecked(t.grid);
    chkPersist->setChecked(t.persist);
    chkDivisions->setChecked(t.labelDivisions);
    chkWindow->setChecked(t.labelWindow);
    chkKeepWindow->setChecked(t.keepWindow);
}

PlotSetupTexts FrmPTserN::setupTexts() const
{
    PlotSetupTexts t;
    t.windowlx = s(txtWindowlx->text());
    t.windowgx = s(txtWindowgx->text());
    t.windowly = s(txtWindowly->text());
    t.windowgy = s(txtWindowgy->text());
    t.plotStep = s(txtPlotStep->text());
    t.xorigin = s(txtXorigin->text());
    t.yorigin = s(txtYorigin->text());
    t.divx = s(txtDivx->text());
    t.divy = s(txtDivy->text());
    t.grid = chkGrid->isChecked();
    t.persist = chkPersist->isChecked();
    t.labelDivisions = chkDivisions->isChecked();
    t.labelWindow = chkWindow->isChecked();
    t.keepWindow = chkKeepWindow->isChecked();
    return t;
}

void FrmPTserN::ShowSeriesSpecs()
{
    const PlotSource& src = m_state.plotSource;
    if (src.kind == SeriesKind::Trigonometric) {
        lblType->setText("Trig");
        lblTerm->setText("# of terms:");
        lblPer->setVisible(true);
        lblPeriod->setVisible(true);
        lblPeriod->setText(src.periodText == "*" ? QString::fromUtf8("2\u03c0") : q(src.periodText));
    } else {
        lblType->setText("Power");
        lblTerm->setText("Degree:");
        lblPer->setVisible(false);
        lblPeriod->setVisible(false);
    }
    // The trigonometric form counts terms, one more than the last coefficient's index.
    lblTerms->setText(q(FormatSigned(src.kind == SeriesKind::Trigonometric ? src.seriesDegree + 1 : src.seriesDegree)));
    lblXLvalid->setText(q(FormatSigned(src.xlower)));
    lblXUvalid->setText(q(FormatSigned(src.xupper)));
    lblExpansion->setText(q(FormatSigned(src.xcenter)));
}

void FrmPTserN::ClearPlot()
{
    Picture1->clear();
    m_plotDrawn = false;
}

PlotPicture FrmPTserN::currentPicture() const
{
    PlotPicture picture;
    picture.state = m_state.plotState;
    picture.divxText = s(txtDivx->text());
    picture.divyText = s(txtDivy->text());
    picture.source = m_state.plotSource.varDegree.empty() ? nullptr : &m_state.plotSource;
    picture.derOrder = m_derOrder;
    picture.style = PlotStyle::Framed;
    picture.font = Picture1->font();
    return picture;
}

QImage FrmPTserN::renderedImage() { return RenderPlotImage(Picture1->width(), Picture1->height(), currentPicture()); }

bool FrmPTserN::Fit()
{
    const PlotSource& src = m_state.plotSource;
    if (src.varDegree.empty()) {
        statusBar()->showMessage("Solve a problem first: there is no curve to fit the window to.");
        return false;
    }
    const auto fitted = FitSource(src, DerivativeOrderOf(s(cboDerivative->currentText())));
    if (!fitted) {
        statusBar()->showMessage("The curves have no value on the interval to fit the window to.");
        return false;
    }
    PlotSetupTexts t = setupTexts();
    ShowFitted(*fitted, t);
    showSetup(t);
    return true;
}

void FrmPTserN::ZoomAt(double x, double y, double steps)
{
    if (!m_plotDrawn)
        return;
    PlotSetupTexts t = setupTexts();
    ZoomAbout(m_state.plotState, x, y, std::pow(kWheelZoom, steps), t);
    PlotScale scale;
    const PlotState next = ReadPlotSetup(t);
    // Single precision ends the zoom before the window loses its width.
    const double w = static_cast<double>(next.PlotXmax) - next.PlotXmin;
    const double h = static_cast<double>(next.PlotYmax) - next.PlotYmin;
    const double size = std::max(
        {std::fabs(next.PlotXmin), std::fabs(next.PlotXmax), std::fabs(next.PlotYmin), std::fabs(next.PlotYmax)});
    if (ComputeScale(next, Picture1->width(), Picture1->height(), scale) || std::min(w, h) < size * 1e-5 ||
        std::max(w, h) > 1e30) {
        statusBar()->showMessage(steps > 0 ? "The window cannot get any smaller."
                                           : "The window cannot get any larger.");
        return;
    }
    showSetup(t);
    Replot();
}

void FrmPTserN::PanFrom(const PlotState& atPress, double dx, double dy)
{
    if (!m_plotDrawn)
        return;
    PlotSetupTexts t = setupTexts();
    PanBy(atPress, dx, dy, t);
    showSetup(t);
    Replot();
}

void FrmPTserN::showPoint(double x, double y)
{
    const PlotSource& src = m_state.plotSource;
    if (!m_plotDrawn || src.varDegree.empty()) {
        lblPoint->clear();
        return;
    }
    std::vector<std::function<double(double)>> curves;
    for (int j = 0; j <= src.lastVar(); ++j)
        curves.push_back(src.curveFunction(j, m_derOrder));
    const auto near = x >= m_state.plotState.PlotXmin && x <= m_state.plotState.PlotXmax
                          ? NearestCurve(curves, x, y, Picture1->unitsPerPixelY(), kReadoutPixels)
                          : std::nullopt;
    lblPoint->setText(q(PointReadout(src, m_derOrder, x, y, near)));
}

bool FrmPTserN::DrawPlot()
{
    m_derOrder = DerivativeOrderOf(s(cboDerivative->currentText()));
    std::optional<QString> error;
    QImage image =
        RenderPlotImage(Picture1->width(), Picture1->height(), currentPicture(), &error, Picture1->devicePixelRatioF());
    if (error) {
        if (m_busy) {
            m_busy = false;
            showBusy(false);
        }
        app::ShowMessage(this, *error);
        m_plotDrawn = false;
        return false;
    }
    Picture1->setScale(m_state.plotState, PlotArea(Picture1->width(), Picture1->height(), currentPicture()));
    Picture1->setImage(image);
    return true;
}

void FrmPTserN::showLegend()
{
    const PlotSource& src = m_state.plotSource;
    const int lastVar = src.lastVar();
    if (lastVar <= 0) {
        Picture2->hide();
        if (m_legendWindow)
            m_legendWindow->hide();
        return;
    }
    if (lastVar < 9) {
        Picture2->setNames(src.depVarNames);
        Picture2->show();
        if (m_legendWindow)
            m_legendWindow->hide();
        return;
    }
    Picture2->hide();
    if (!m_legendWindow) {
        m_legendWindow = new QWidget(nullptr, Qt::Window);
        m_legendWindow->setObjectName("frmLegend");
        m_legendWindow->setWindowTitle("Legend");
        auto* layout = new QVBoxLayout(m_legendWindow);
        m_legendView = new LegendView(m_legendWindow);
        layout->addWidget(m_legendView);
    }
    m_legendView->setNames(src.depVarNames);
    m_legendWindow->show();
}

void FrmPTserN::cmdPlot_Click() { plot(true); }

void FrmPTserN::Replot() { plot(false); }

void FrmPTserN::plot(bool busy)
{
    if (!m_events->validateFocused())
        return;
    if (busy) {
        m_busy = true;
        showBusy(true);
    }
    ClearPlot();
    m_plotDrawn = true;
    m_state.plotState = ReadPlotSetup(setupTexts());
    show();
    DrawPlot();
    if (m_busy) {
        m_busy = false;
        showBusy(false);
    }
    showLegend();
}

void FrmPTserN::ChangeWindow(int code)
{
    PlotSetupTexts t = setupTexts();
    plot::ChangeWindow(code, t);
    showSetup(t);
    cmdPlot_Click();
}

void FrmPTserN::mnuSave_Click()
{
    if (m_plotFileName.isEmpty())
        m_plotFileName = chooseFile();
    if (!m_plotFileName.isEmpty())
        SaveBitmap();
}

void FrmPTserN::mnuSaveAs_Click()
{
    m_plotFileName = chooseFile();
    if (!m_plotFileName.isEmpty())
        SaveBitmap();
}

void FrmPTserN::SaveBitmap()
{
    if (!m_plotDrawn)
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const bool drawn = buffer.open(QIODevice::WriteOnly) && renderedImage().save(&buffer, "BMP") && !bytes.isEmpty();
    const auto error = drawn ? WritePictureFile(m_plotFileName + ".bmp", bytes)
                             : std::optional<QString>(QStringLiteral("The BMP picture cannot be made."));
    if (error)
        app::ShowMessage(this, *error);
}

void FrmPTserN::mnuExportPicture_Click()
{
    if (!m_plotDrawn) {
        statusBar()->showMessage("Plot the solution first: there is no graph to export.");
        return;
    }
    const QString name = choosePictureFile();
    if (name.isEmpty())
        return;
    if (const auto error = SavePlotFile(name, Picture1->width(), Picture1->height(), currentPicture()))
        app::ShowMessage(this, *error);
}

void FrmPTserN::mnuCopy_Click()
{
    QApplication::clipboard()->setImage(Picture1->image().isNull() ? renderedImage() : Picture1->image());
}

void FrmPTserN::mnuPrint_Click()
{
    if (!confirmPrinter(m_printer))
        return;
    QPainter painter;
    if (!painter.begin(&m_printer)) {
        app::ShowMessage(this, "The printer cannot be started.");
        return;
    }
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font(), &m_printer);
    int y = metrics.ascent();
    const QStringList lines = {QString(),
                               QString(),
                               "PLOT SETUP:",
                               QString(),
                               "     AXES: [" + txtXorigin->text() + "," + txtYorigin->text() + "]",
                               "DIVISIONS: [" + txtDivx->text() + "," + txtDivy->text() + "]",
                               " X-WINDOW: [" + txtWindowlx->text() + "," + txtWindowgx->text() + "]",
                               " Y-WINDOW: [" + txtWindowly->text() + "," + txtWindowgy->text() + "]"};
    if (m_plotDrawn) {
        // The picture as large as the printable area allows, its shape kept, with room below it
        // for its caption and the setup's lines; drawn sharp on paper, from the window's
        // picture at more pixels.
        const QSizeF page(m_printer.width(), m_printer.height());
        const double text = (1.0 + lines.size()) * metrics.lineSpacing() + metrics.descent();
        const QSizeF room(page.width(), std::max(page.height() - text, page.height() / 2));
        const QSize canvas = Picture1->size();
        const QSizeF size = QSizeF(canvas).scaled(room, Qt::KeepAspectRatio);
        const double ratio =
            std::clamp(size.width() / m_printer.resolution() * kPrintDotsPerInch / canvas.width(), 1.0, 8.0);
        painter.drawImage(QRectF(QPointF(0, 0), size),
                          RenderPlotImage(canvas.width(), canvas.height(), currentPicture(), nullptr, ratio));
        y = static_cast<int>(std::ceil(size.height())) + metrics.lineSpacing();
        painter.drawText(0, y,
                         m_derOrder != 0 ? QStringLiteral("Plot of derivative(s) #") + q(FormatSigned(m_derOrder) + " ")
                                         : QStringLiteral("Plot of Function(s)"));
        y += metrics.lineSpacing();
    }
    for (const QString& line : lines) {
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
    painter.end();
}

void FrmPTserN::closeEvent(QCloseEvent* event)
{
    if (m_legendWindow)
        m_legendWindow->hide();
    event->accept();
}

void FrmPTserN::showSolution(PlotSource source, const QString& lowerText, const QString& upperText)
{
    m_state.plotSource = std::move(source);
    ShowSeriesSpecs();
    txtWindowlx->setText(q(FormatSigned(ParseNumber(lowerText.toStdString()))));
    txtWindowgx->setText(q(FormatSigned(ParseNumber(upperText.toStdString()))));
    // A new solution is fitted, unless the window is to be kept.
    if (!chkKeepWindow->isChecked())
        Fit();
    cmdPlot_Click();
}

} // namespace ode::plot
