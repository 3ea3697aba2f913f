#include "plot/PlotRequest.h"

#include "common/NumberFormat.h"
#include "common/Utf8.h"
#include "gui/plot/PlotRender.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

namespace {

int fail(const OdePlotRequest* r, const QString& text)
{
    if (r->message && r->messageSize > 0) {
        const QByteArray bytes = text.toUtf8();
        const int n = qMin(r->messageSize - 1, static_cast<int>(bytes.size()));
        std::memcpy(r->message, bytes.constData(), static_cast<size_t>(n));
        r->message[n] = '\0';
    }
    return 1;
}

// The command line's output carries only its own messages: Qt's start-up notes are dropped.
void quiet(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", qPrintable(text));
}

std::optional<QString> SavePng(const QString& path, int width, int height, const ode::plot::PlotPicture& picture)
{
    QByteArray bytes;
    if (auto error = ode::plot::PlotFileBytes(QStringLiteral("png"), width, height, picture, bytes))
        return error;
    return ode::plot::WritePictureFile(path, bytes);
}

int RenderPlot(const OdePlotRequest* r)
{
    qInstallMessageHandler(quiet);
    // Text needs a running application; without a display the offscreen platform serves.
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "odeseries";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    ode::plot::PlotSource source;
    source.kind = r->seriesKind == 1 ? ode::SeriesKind::Power : ode::SeriesKind::Trigonometric;
    source.coef.assign(r->coef, r->coef + r->coefCount);
    source.varDegree.assign(r->varDegree, r->varDegree + r->curveCount);
    source.coefOffset.assign(r->coefOffset, r->coefOffset + r->curveCount);
    source.seriesDegree = r->seriesDegree;
    source.xcenter = r->xcenter;
    source.period = r->period;
    if (r->chebyshevCount > 0) {
        source.chebyshev.assign(r->chebyshev, r->chebyshev + r->chebyshevCount);
        source.xlower = r->xlower;
        source.xupper = r->xupper;
    }
    ode::plot::PlotPicture picture;
    ode::plot::PlotSetupTexts texts;
    texts.windowlx = ode::FormatSigned(r->xmin);
    texts.windowgx = ode::FormatSigned(r->xmax);
    texts.windowly = ode::FormatSigned(r->ymin);
    texts.windowgy = ode::FormatSigned(r->ymax);
    texts.grid = r->grid != 0;
    texts.labelWindow = texts.labelDivisions = r->labels != 0;
    picture.state = ode::plot::ReadPlotSetup(texts);
    picture.source = &source;
    picture.derOrder = r->derOrder;
    // The format by the file's extension; a name without one of ours stays a PNG, as before.
    QString path = QString::fromLocal8Bit(r->outputFile);
    const bool named = ode::plot::IsPlotFileName(path);
    if (const auto error = named ? ode::plot::SavePlotFile(path, r->width, r->height, picture)
                                 : SavePng(path, r->width, r->height, picture))
        return fail(r, *error);
    return 0;
}

} // namespace

// No exception may cross into the program that loaded the window library: one becomes the
// request's message.
extern "C" Q_DECL_EXPORT int odeseries_render_plot_png(const OdePlotRequest* r)
{
    try {
        return RenderPlot(r);
    } catch (const std::exception& e) {
        return fail(r, QString::fromStdString("The plot cannot be drawn: " + ode::Excerpt(e.what())));
    } catch (...) {
        return fail(r, QStringLiteral("The plot cannot be drawn."));
    }
}
