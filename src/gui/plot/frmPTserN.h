#pragma once
// The plot window "Plot": draws the last solution or one of its derivatives, with the setup
// boxes, the navigation buttons, the legend, printing, bitmap files and the clipboard.

#include "gui/app/FormHost.h"
#include "gui/plot/PlotRender.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <QTimer>

#include <functional>
#include <map>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class QVBoxLayout;

namespace ode {
struct AppState;
}
namespace ode::app {
class FormEvents;
}

namespace ode::plot {

// Picture1: the plot area. It takes the window's free room; the picture is drawn at its size.
// The mouse steers it: a click centres the graph on the point, a drag pans it, the wheel zooms
// about the point under the cursor and a double click fits the window to the curves. A drag asks
// for a new picture at most once a frame: the moves in between are gathered into the next.
class PlotCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PlotCanvas(QWidget* parent);
    QSize sizeHint() const override { return QSize(640, 480); }
    void setImage(const QImage& image);
    void clear();
    const QImage& image() const { return m_image; }
    // The user scale of the picture now shown: the window and where its plane lies.
    void setScale(const PlotState& shown, const QRectF& area)
    {
        m_shown = shown;
        m_area = area;
        m_hasScale = true;
    }
    bool hasScale() const { return m_hasScale; }
    const QRectF& area() const { return m_area; }
    QPointF toPlot(const QPointF& pixel) const;
    QPointF toPixel(double x, double y) const;
    // Plot units of a pixel, across and up.
    double unitsPerPixelX() const;
    double unitsPerPixelY() const;

signals:
    void clickedAt(float x, float y);
    // A drag from the press: the window shown at the press, moved by (dx, dy) plot units.
    void dragged(const ode::plot::PlotState& atPress, double dx, double dy);
    // The wheel at the point (x, y): `steps` notches, positive away from the user (closer).
    void wheeledAt(double x, double y, double steps);
    void doubleClicked();
    void hovered(double x, double y);
    void resized();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_image;
    PlotState m_shown;
    QRectF m_area;
    bool m_hasScale = false;
    // Sends the drag's latest offset as `dragged`, unless it was sent already.
    void sendDrag();

    // The drag under way: where it started and the window then.
    bool m_pressed = false, m_dragging = false;
    QPointF m_pressAt;
    PlotState m_atPress;
    // The drag's offset not yet drawn, the time since its last picture was finished, and the
    // timer that sends the offset when a frame has passed.
    bool m_dragPending = false;
    double m_dragX = 0, m_dragY = 0;
    QElapsedTimer m_sinceDrag;
    QTimer m_dragTimer;
};

// Picture2 and frmLegend's surface: one row per curve, its name and a stroke of its colour.
class LegendView : public QWidget {
    Q_OBJECT
public:
    explicit LegendView(QWidget* parent);
    void setNames(const std::vector<std::string>& names);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<std::string> m_names;
};

class FrmPTserN : public QMainWindow, public app::PlotView {
    Q_OBJECT
public:
    FrmPTserN(AppState& state, std::function<void(QWidget*)> help, std::function<void()> about);
    ~FrmPTserN() override;

    // The picture's size when the window opens, in pixels; it grows with the window.
    static constexpr int kPictureWidth = 640;
    static constexpr int kPictureHeight = 480;

    PlotCanvas* Picture1;
    LegendView* Picture2;
    QLineEdit *txtWindowlx, *txtWindowgx, *txtWindowly, *txtWindowgy, *txtPlotStep;
    QLineEdit *txtXorigin, *txtYorigin, *txtDivx, *txtDivy;
    QCheckBox *chkGrid, *chkPersist, *chkDivisions, *chkWindow;
    QComboBox* cboDerivative;
    QPushButton* cmdPlot;
    QPushButton* cmdFit;                       // the window fitted to the interval and the curves
    QCheckBox* chkKeepWindow;                  // a new solution keeps the y-window and setup instead of a fit
    QLabel* lblPoint;                          // the status bar's coordinates under the mouse
    std::map<int, QPushButton*> windowButtons; // by ChangeWindow code
    QLabel *lblType, *lblTerm, *lblTerms, *lblPer, *lblPeriod, *lblXLvalid, *lblXUvalid, *lblExpansion;
    QAction *mnuSave, *mnuSaveAs, *mnuCopy, *mnuPrint, *mnuHelp, *mnuAbout;
    QAction* mnuExportPicture; // PNG, BMP, SVG or PDF by the name's extension
    QWidget* frmLegend() const { return m_legendWindow; }

    // The file dialog and printer dialog (replaced by the tests).
    std::function<QString()> chooseFile;
    std::function<QString()> choosePictureFile;
    std::function<bool(QPrinter&)> confirmPrinter;
    // Puts the wait cursor up (true) and takes it down (false) around a plot that may take a
    // moment; a drag's or the wheel's picture goes without it (replaced by the tests).
    std::function<void(bool)> showBusy;
    QPrinter& printer() { return m_printer; }

    bool PlotDrawn() const { return m_plotDrawn; }
    const QString& PlotFileName() const { return m_plotFileName; }
    int DerOrder() const { return m_derOrder; }

    // ClearPlot: the picture is emptied and no plot stands.
    void ClearPlot() override;
    QWidget* plotWindowWidget() override { return this; }
    void showSolution(PlotSource source, const QString& lowerText, const QString& upperText) override;
    // The plot command.
    void cmdPlot_Click();
    // The same without the wait cursor: a drag's or the wheel's picture, drawn while the mouse
    // moves.
    void Replot();
    // DrawPlot: false (after a message) when the window cannot be drawn.
    bool DrawPlot();
    void ChangeWindow(int code);
    // The window fitted to the interval and to the curves drawn; false (and a note in the
    // status bar) when no curve has a value there.
    bool Fit();
    // The wheel's zoom about (x, y) and a drag's pan, as the mouse does them.
    void ZoomAt(double x, double y, double steps);
    void PanFrom(const PlotState& atPress, double dx, double dy);
    void ShowSeriesSpecs();
    PlotSetupTexts setupTexts() const;
    // The picture as it is drawn now (a fresh drawing).
    QImage renderedImage();

    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuExportPicture_Click();
    void mnuCopy_Click();
    void mnuPrint_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's steps: the three frames beside the picture, the menus, the setup
    // boxes' rules.
    void buildSeriesSpecs(QWidget* central, QVBoxLayout* right);
    void buildPlotSetup(QWidget* central, QVBoxLayout* right);
    void buildNavigation(QWidget* central, QVBoxLayout* right);
    void buildMenus(const std::function<void(QWidget*)>& help, const std::function<void()>& about);
    void wireSetupBoxes();
    void showSetup(const PlotSetupTexts& t);
    PlotPicture currentPicture() const;
    void showPoint(double x, double y);
    // The plot's size on opening: the picture's design size, within the screen.
    void sizeToScreen();
    void SaveBitmap();
    void showLegend();
    void plot(bool busy);

    AppState& m_state;
    app::FormEvents* m_events;
    QWidget* m_side = nullptr; // the frames beside the picture
    QWidget* m_legendWindow = nullptr;
    LegendView* m_legendView = nullptr;
    QPrinter m_printer;
    bool m_plotDrawn = false;
    bool m_busy = false; // the wait cursor is up
    int m_derOrder = 0;
    QString m_plotFileName;
};

} // namespace ode::plot
