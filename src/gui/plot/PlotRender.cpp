#include "gui/plot/PlotRender.h"

#include "common/FileIO.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace ode::plot {

namespace {

QColor colour(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// Plot units to pixels.
struct Mapping {
    double xmin, ymax, upx, upy;
    QPointF operator()(double x, double y) const { return QPointF((x - xmin) / upx, (ymax - y) / upy); }
};

QFont verdana(int pixelHeight, int pixelWidth)
{
    QFont f(QStringLiteral("Verdana"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelHeight);
    // The character cell's width as the design asks for it.
    QFontMetricsF m(f);
    const double average = m.averageCharWidth();
    if (average > 0)
        f.setStretch(qBound(1, static_cast<int>(100.0 * pixelWidth / average * 0.75), 4000));
    return f;
}

void drawLabel(QPainter& p, const Mapping& map, const Label& l)
{
    const QPointF at = map(l.x, l.y);
    const QFontMetricsF m(p.font());
    p.save();
    p.translate(at);
    if (l.turned)
        p.rotate(90);
    p.drawText(QPointF(0, m.ascent()), QString::fromStdString(l.text));
    p.restore();
}

} // namespace

std::optional<QString> RenderPlot(QPainter& p, int width, int height, const PlotPicture& picture)
{
    p.fillRect(QRect(0, 0, width, height), Qt::white);
    const PlotState& s = picture.state;
    PlotScale scale;
    if (auto message = ComputeScale(s, width, height, scale))
        return QString::fromStdString(*message);
    const Mapping map{s.PlotXmin, s.PlotYmax, scale.unitsPerPixelX, scale.unitsPerPixelY};
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(QRect(0, 0, width, height));
    auto line = [&](const Segment& seg) { p.drawLine(map(seg.x1, seg.y1), map(seg.x2, seg.y2)); };

    // DrawFrame: one pixel inside the right and bottom edges.
    p.setPen(QPen(QColor(255, 255, 0), 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(
        QRectF(map(s.PlotXmin, s.PlotYmax), map(s.PlotXmax - scale.unitsPerPixelX, s.PlotYmin + scale.unitsPerPixelY)));
    // DrawTicks.
    p.setPen(QPen(QColor(0, 255, 0), 0));
    for (const Segment& seg : TickSegments(s, scale))
        line(seg);
    // DrawAxes.
    p.setPen(QPen(QColor(255, 0, 0), 0));
    line({s.PlotXmin, s.AxisY0, s.PlotXmax, s.AxisY0});
    line({s.AxisX0, s.PlotYmin, s.AxisX0, s.PlotYmax});
    // MarkOrigin: radius a hundredth of the scale width.
    const double radius = width / 100.0;
    p.setPen(QPen(QColor(255, 0, 255), 0));
    p.setBrush(QColor(255, 0, 0));
    const QPointF origin = map(0, 0);
    if (std::abs(origin.x()) < 1e6 && std::abs(origin.y()) < 1e6)
        p.drawEllipse(origin, radius, radius);
    p.setBrush(Qt::NoBrush);
    // Labels.
    if (s.LabelWindowFlag) {
        p.setPen(QColor(0, 192, 192));
        p.setFont(verdana(20, 16));
        for (const Label& l : WindowLabels(s, scale))
            drawLabel(p, map, l);
    }
    if (s.LabelDivisionsFlag) {
        p.setPen(Qt::black);
        p.setFont(verdana(7, 5));
        for (const Label& l : DivisionLabels(s, scale, picture.divxText, picture.divyText))
            drawLabel(p, map, l);
    }
    // DrawCurves.
    if (picture.source) {
        for (int j = 0; j <= picture.source->lastVar(); ++j) {
            p.setPen(QPen(colour(CurveColour(j)), 0));
            const CurvePath path = SampleCurve(picture.source->curveFunction(j, picture.derOrder), s, scale);
            for (const auto& [x, y] : path.points) {
                const QPointF at = map(x, y);
                if (at.y() > -1 && at.y() < height + 1)
                    p.drawPoint(at);
            }
            for (const Segment& seg : path.segments)
                line(seg);
        }
    }
    p.restore();
    return std::nullopt;
}

bool IsPlotFileName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "png" || suffix == "bmp" || suffix == "svg" || suffix == "pdf";
}

std::optional<QString> PlotFileBytes(const QString& format, int width, int height, const PlotPicture& picture,
                                     QByteArray& bytes)
{
    const QString suffix = format.toLower();
    const QString failed = QStringLiteral("The %1 picture cannot be made.").arg(suffix.toUpper());
    bytes.clear();
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return failed;
    std::optional<QString> message;
    bool drawn = true;
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(QStringLiteral("ODE Series plot"));
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn)
            message = RenderPlot(painter, width, height, picture);
        drawn = painter.end() && drawn;
    } else if (suffix == "pdf") {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(QStringLiteral("ODE Series plot"));
        pdf.setCreator(QStringLiteral("ODE Series"));
        pdf.setResolution(72); // one unit a point: the page is the picture's size
        pdf.setPageSize(QPageSize(QSizeF(width, height), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        drawn = painter.begin(&pdf);
        if (drawn)
            message = RenderPlot(painter, width, height, picture);
        drawn = painter.end() && drawn;
    } else if (suffix == "png" || suffix == "bmp") {
        const QImage image = RenderPlotImage(width, height, picture, &message);
        drawn = message || image.save(&buffer, suffix == "bmp" ? "BMP" : "PNG");
    } else {
        return failed;
    }
    if (message)
        return message;
    if (!drawn || bytes.isEmpty())
        return failed;
    return std::nullopt;
}

std::optional<QString> WritePictureFile(const QString& path, const QByteArray& bytes)
{
    std::string error;
    if (!WriteFilesAtomically({{QFile::encodeName(path).toStdString(), bytes.toStdString()}}, error))
        return QString::fromStdString(error);
    return std::nullopt;
}

std::optional<QString> SavePlotFile(const QString& path, int width, int height, const PlotPicture& picture)
{
    if (!IsPlotFileName(path))
        return QStringLiteral("A picture is saved as .png, .bmp, .svg or .pdf, not %1.").arg(path);
    QByteArray bytes;
    if (auto message = PlotFileBytes(QFileInfo(path).suffix(), width, height, picture, bytes))
        return message;
    return WritePictureFile(path, bytes);
}

QImage RenderPlotImage(int width, int height, const PlotPicture& picture, std::optional<QString>* error)
{
    QImage image(qMax(1, width), qMax(1, height), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    auto message = RenderPlot(painter, width, height, picture);
    if (error)
        *error = message;
    return image;
}

} // namespace ode::plot
