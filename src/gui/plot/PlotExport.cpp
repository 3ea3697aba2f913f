#include "plot/PictureWriter.h"

#include "common/Utf8.h"
#include "gui/app/FormSupport.h"
#include "gui/plot/PlotRender.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

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

std::optional<QString> WritePicture(const ode::plot::PlotSource& source, const ode::plot::PictureRequest& request)
{
    qInstallMessageHandler(quiet);
    // Text needs a running application; without a display the offscreen platform serves (Windows
    // always has its own, with the system's fonts, which the offscreen platform lacks there).
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
#ifndef _WIN32
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        static int argc = 1;
        static char name[] = "odeseries";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    ode::plot::PlotPicture picture;
    picture.state = request.state;
    picture.source = &source;
    picture.derOrder = request.derivative;
    picture.style = request.framed ? ode::plot::PlotStyle::Framed : ode::plot::PlotStyle::Plain;
    // The format by the file's extension; a name without one of ours stays a PNG, as before.
    const QString path = ode::app::QtPath(request.file);
    return ode::plot::IsPlotFileName(path) ? ode::plot::SavePlotFile(path, request.width, request.height, picture)
                                           : SavePng(path, request.width, request.height, picture);
}

// No exception may cross into the program that loaded the window library: one becomes the
// message.
class QtPictureWriter final : public ode::plot::PictureWriter {
public:
    std::optional<std::string> write(const ode::plot::PlotSource& source,
                                     const ode::plot::PictureRequest& request) const override
    {
        try {
            if (const std::optional<QString> error = WritePicture(source, request))
                return error->toStdString();
            return std::nullopt;
        } catch (const std::exception& e) {
            return "The plot cannot be drawn: " + ode::Excerpt(e.what());
        } catch (...) {
            return std::string("The plot cannot be drawn.");
        }
    }
};

} // namespace

extern "C" Q_DECL_EXPORT const ode::plot::PictureWriter* odeseries_picture_writer()
{
    static const QtPictureWriter writer;
    return &writer;
}
