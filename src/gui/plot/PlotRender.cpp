#include "gui/plot/PlotRender.h"

#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "gui/app/FormSupport.h"
#include "plot/PlotFit.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#if ODESERIES_SVG
#include <QSvgGenerator>
#endif

#include <algorithm>
#include <functional>
#include <cmath>

namespace ode::plot {

namespace {

QColor colour(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// Plot units to pixels.
struct Mapping {
    double xmin, ymax, upx, upy;
    double left = 0, top = 0; // where the plane starts in the picture
    QPointF operator()(double x, double y) const { return QPointF(left + (x - xmin) / upx, top + (ymax - y) / upy); }
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

// The curves' width in the framed picture, in the picture's units (device independent pixels).
constexpr double kCurveWidth = 1.5;

// A system's legend in the upper right corner of `area`: each name with a stroke of its curve's
// colour, in as many columns as the height needs.
void drawLegend(QPainter& p, const QRectF& area, const PlotPicture& picture)
{
    const PlotSource& src = *picture.source;
    p.save();
    p.setClipping(false);
    p.setFont(picture.font);
    const QFontMetricsF fm(picture.font);
    const double row = fm.height() + 2, stroke = 24, pad = 6;
    const int count = src.lastVar() + 1;
    double nameWidth = 0;
    for (int j = 0; j < count; ++j)
        nameWidth = std::max(nameWidth, fm.horizontalAdvance(QString::fromStdString(CurveName(src, j, 0))));
    const int perColumn = std::max(1, static_cast<int>((area.height() - 2 * pad - 8) / row));
    const int columns = (count + perColumn - 1) / perColumn;
    const int rows = std::min(count, perColumn);
    const double columnWidth = stroke + pad + nameWidth + pad;
    const QRectF box(area.right() - 6 - columns * columnWidth - pad, area.top() + 6, columns * columnWidth + pad,
                     rows * row + pad);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(128, 128, 128), 0));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRect(box);
    p.setBrush(Qt::NoBrush);
    for (int j = 0; j < count; ++j) {
        const double x = box.left() + pad + (j / perColumn) * columnWidth;
        const double y = box.top() + pad / 2 + (j % perColumn) * row;
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(colour(CurveColour(j)), picture.style == PlotStyle::Framed ? kCurveWidth + 0.5 : 2));
        p.drawLine(QPointF(x, y + row / 2), QPointF(x + stroke, y + row / 2));
        p.setPen(Qt::black);
        p.drawText(QRectF(x + stroke + pad, y, nameWidth + pad, row), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(CurveName(src, j, 0)));
    }
    p.restore();
}

// DrawTicks (or the grid) in green, then DrawAxes in red, through `line`, which maps plane
// segments to the surface: the plain and the framed pictures alike.
void drawTicksAndAxes(QPainter& p, const PlotState& s, const PlotScale& scale,
                      const std::function<void(const Segment&)>& line)
{
    p.setPen(QPen(QColor(0, 255, 0), 0));
    for (const Segment& seg : TickSegments(s, scale))
        line(seg);
    p.setPen(QPen(QColor(255, 0, 0), 0));
    line({s.PlotXmin, s.AxisY0, s.PlotXmax, s.AxisY0});
    line({s.AxisX0, s.PlotYmin, s.AxisX0, s.PlotYmax});
}

// `white`: the surface is white already (a new image), so the background is not painted again.
std::optional<QString> renderPlain(QPainter& p, int width, int height, const PlotPicture& picture, bool white)
{
    if (!white)
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
    // DrawTicks, DrawAxes.
    drawTicksAndAxes(p, s, scale, line);
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
            const CurvePath path = SampleCurve(picture.source->curveValues(j, picture.derOrder), s, scale);
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
    if (picture.source && picture.source->lastVar() > 0)
        drawLegend(p, QRectF(0, 0, width, height), picture);
    return std::nullopt;
}

// The framed picture's measures: the plane's place and the numbers along its sides.
struct FramedLayout {
    QRectF area;
    bool margins = false;
    std::vector<FrameNumber> xs, ys;
    AxisTitles titles;
};

constexpr double kPad = 4, kOutTick = 4;

FramedLayout layoutFramed(int width, int height, const PlotPicture& picture)
{
    FramedLayout l;
    l.area = QRectF(0, 0, width, height);
    const PlotState& s = picture.state;
    const QFontMetricsF fm(picture.font);
    const double line = fm.height();
    l.titles = picture.source ? TitlesOf(*picture.source, picture.derOrder) : AxisTitles{"x", "y"};
    const double top = std::ceil(line / 2 + kPad);
    const double bottom = std::ceil(kPad + kOutTick + line + kPad + line + kPad);
    const double areaHeight = height - top - bottom;
    if (areaHeight < 40 || width < 160)
        return l; // too small for margins: the plane takes the whole picture
    const double h = static_cast<double>(s.PlotYmax) - s.PlotYmin;
    const double w = static_cast<double>(s.PlotXmax) - s.PlotXmin;
    if (!(h > 0) || !(w > 0) || !std::isfinite(h) || !std::isfinite(w))
        return l;
    if (s.LabelDivisionsFlag)
        l.ys = FrameNumbers(s.PlotYmin, s.PlotYmax, s.AxisY0, s.DivY, areaHeight / h, line * 1.6);
    // At least room for "-0.000": the plane stays in place while the numbers change with a
    // zoom or a pan.
    double numbersWidth = fm.horizontalAdvance(QStringLiteral("-0.000"));
    for (const FrameNumber& n : l.ys)
        numbersWidth = std::max(numbersWidth, fm.horizontalAdvance(QString::fromStdString(n.text)));
    if (s.LabelWindowFlag)
        for (float v : {s.PlotYmin, s.PlotYmax})
            numbersWidth = std::max(numbersWidth, fm.horizontalAdvance(QString::fromStdString(FormatSignedSingle(v))));
    const double left = std::ceil(kPad + line + kPad + numbersWidth + kOutTick + kPad);
    const double right = std::ceil(fm.horizontalAdvance(QStringLiteral("0000")) / 2 + kPad);
    const double areaWidth = width - left - right;
    if (areaWidth < 60) {
        l.ys.clear();
        return l;
    }
    if (s.LabelDivisionsFlag) {
        // The x numbers a little wider apart than the widest of them.
        double gap = line * 3;
        for (int pass = 0; pass < 2; ++pass) {
            l.xs = FrameNumbers(s.PlotXmin, s.PlotXmax, s.AxisX0, s.DivX, areaWidth / w, gap);
            double widest = 0;
            for (const FrameNumber& n : l.xs)
                widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(n.text)));
            if (widest + line <= gap)
                break;
            gap = widest + line;
        }
    }
    l.area = QRectF(left, top, areaWidth, areaHeight);
    l.margins = true;
    return l;
}

// A run of points with those dropped that lie within `tolerance` pixels of the line from the last
// point kept along its first step (Reumann-Witkam): a smooth curve sampled at every pixel keeps a
// few points in ten, and the wide pen, whose cost is in its joins, draws it many times faster.
QPolygonF simplified(const QPolygonF& run, double tolerance)
{
    if (run.size() < 3)
        return run;
    QPolygonF out;
    out << run[0];
    int anchor = 0;
    for (int i = 1; i < run.size(); ++i) {
        if (i == anchor + 1)
            continue;
        const QPointF a = run[anchor], d = run[anchor + 1] - a;
        const double length = std::hypot(d.x(), d.y());
        const QPointF v = run[i] - a;
        const double off = length > 0 ? std::abs(d.x() * v.y() - d.y() * v.x()) / length : std::hypot(v.x(), v.y());
        // Beyond the tolerance, or turning back along the line: the point before is kept.
        if (off > tolerance || d.x() * v.x() + d.y() * v.y() < 0) {
            anchor = i - 1;
            out << run[anchor];
        }
    }
    out << run.back();
    return out;
}

// Points of a curve stroked at once on a bitmap (see strokeRun).
constexpr int kPiecePoints = 16;

// Whether strokeRun may cut a run into pieces: a bitmap without a transformation whose pixels
// are a whole number of the picture's units (1, 2 or 4), so that the pieces' columns fall on
// pixel edges exactly.
bool piecewise(const QPainter& p)
{
    const QPaintDevice* device = p.device();
    if (!device || device->devType() != QInternal::Image || !p.paintEngine() ||
        p.paintEngine()->type() != QPaintEngine::Raster || !p.worldTransform().isIdentity())
        return false;
    const double ratio = device->devicePixelRatioF();
    return ratio == 1 || ratio == 2 || ratio == 4;
}

// One run of a curve (its points' x never decreasing) clipped to `plane`, a rectangle on whole
// pixels. Qt's rasterizer takes a wide smooth stroke's outline in bands of rows, and its cost
// grows with the run's points times the height it spans: a full-height wave across a large
// picture took milliseconds. On a bitmap the run is drawn in pieces of a few
// points, each clipped to its own columns of pixels and carrying the points a few pixels
// beyond them, where its stroke is the whole run's. The columns tile the plane, so each pixel
// is painted once and as by one stroke of the run.
void strokeRun(QPainter& p, const QPolygonF& run, const QRectF& plane, bool pieces)
{
    const int n = static_cast<int>(run.size());
    if (!pieces || n <= 2 * kPiecePoints) {
        p.drawPolyline(run);
        return;
    }
    const double ratio = p.device()->devicePixelRatioF();
    // Beyond this distance from a piece's columns its stroke may differ from the run's: half
    // the pen, the smoothing's pixel and a margin.
    const double reach = kCurveWidth / 2 + 3;
    auto firstAtOrAfter = [&](double x) {
        return static_cast<int>(
            std::lower_bound(run.begin(), run.end(), x, [](const QPointF& a, double v) { return a.x() < v; }) -
            run.begin());
    };
    double from = plane.left();
    for (int cut = kPiecePoints; from < plane.right(); cut += kPiecePoints) {
        double to = plane.right();
        if (cut < n - kPiecePoints)
            to = std::min(to, std::floor(run[cut].x() * ratio) / ratio);
        if (!(to > from))
            continue;
        const int first = std::max(0, firstAtOrAfter(from - reach) - 1);
        const int last = std::min(n - 1, firstAtOrAfter(to + reach));
        if (last > first) {
            p.setClipRect(QRectF(from, plane.top(), to - from, plane.height()));
            p.drawPolyline(run.constData() + first, last - first + 1);
        }
        from = to;
    }
    p.setClipRect(plane);
}

// The curve's runs, those parts left out that lie wholly beyond one side of `plane`.
void drawPolylines(QPainter& p, const Mapping& map, const CurvePath& path, const QRectF& plane)
{
    const QRectF near = plane.adjusted(-4, -4, 4, 4);
    auto beyond = [&](const QPointF& a, const QPointF& b) {
        return (a.y() < near.top() && b.y() < near.top()) || (a.y() > near.bottom() && b.y() > near.bottom()) ||
               (a.x() < near.left() && b.x() < near.left()) || (a.x() > near.right() && b.x() > near.right());
    };
    const double ratio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const double tolerance = 0.2 / std::max(1.0, ratio);
    const bool pieces = piecewise(p);
    QPolygonF run;
    QPointF last;
    auto flush = [&]() {
        if (run.size() > 1)
            strokeRun(p, simplified(run, tolerance), plane, pieces);
        run.clear();
    };
    for (const Segment& seg : path.segments) {
        const QPointF a = map(seg.x1, seg.y1), b = map(seg.x2, seg.y2);
        if (beyond(a, b)) {
            flush();
            continue;
        }
        if (run.isEmpty() || a != last) {
            flush();
            run << a;
        }
        run << b;
        last = b;
    }
    flush();
}

std::optional<QString> renderFramed(QPainter& p, int width, int height, const PlotPicture& picture, bool white)
{
    if (!white)
        p.fillRect(QRect(0, 0, width, height), Qt::white);
    const PlotState& s = picture.state;
    const FramedLayout l = layoutFramed(width, height, picture);
    const QRectF area = l.area;
    PlotScale scale;
    if (auto message = ComputeScale(s, static_cast<int>(area.width()), static_cast<int>(area.height()), scale))
        return QString::fromStdString(*message);
    // The plane's scale from its exact size.
    scale.unitsPerPixelX = (static_cast<double>(s.PlotXmax) - s.PlotXmin) / area.width();
    scale.unitsPerPixelY = (static_cast<double>(s.PlotYmax) - s.PlotYmin) / area.height();
    scale.xStep = scale.unitsPerPixelX * s.PlotStep;
    const Mapping map{s.PlotXmin, s.PlotYmax, scale.unitsPerPixelX, scale.unitsPerPixelY, area.left(), area.top()};
    p.save();
    p.setFont(picture.font);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(area);
    auto line = [&](const Segment& seg) { p.drawLine(map(seg.x1, seg.y1), map(seg.x2, seg.y2)); };

    // Ticks or the grid, the axes, then the origin's mark.
    drawTicksAndAxes(p, s, scale, line);
    const QPointF origin = map(0, 0);
    if (area.adjusted(-20, -20, 20, 20).contains(origin)) {
        const double radius = std::clamp(area.width() / 100.0, 3.0, 6.0);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(255, 0, 255), 1));
        p.setBrush(QColor(255, 0, 0));
        p.drawEllipse(origin, radius, radius);
        p.setBrush(Qt::NoBrush);
    }
    // The curves, smooth, a pixel and a half wide on every screen.
    if (picture.source) {
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int j = 0; j <= picture.source->lastVar(); ++j) {
            QPen pen(colour(CurveColour(j)), kCurveWidth);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            p.setPen(pen);
            drawPolylines(p, map, SampleCurve(picture.source->curveValues(j, picture.derOrder), s, scale), area);
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    // The frame over the plane's edges.
    p.setClipping(false);
    p.setPen(QPen(QColor(255, 255, 0), 0));
    p.drawRect(area.adjusted(0, 0, -1, -1));
    if (picture.source && picture.source->lastVar() > 0)
        drawLegend(p, area, picture);
    if (!l.margins) {
        p.restore();
        return std::nullopt;
    }
    // The numbers of the divisions beside the frame, with a short mark each.
    const QFontMetricsF fm(picture.font);
    const double lineHeight = fm.height();
    const QColor ink(0, 0, 0), mark(96, 96, 96);
    std::vector<QRectF> taken;
    if (s.LabelWindowFlag) {
        // The window's edges in the margins, at the frame's corners.
        p.setPen(QColor(0, 128, 128));
        const QString xl = QString::fromStdString(FormatSignedSingle(s.PlotXmin)).trimmed();
        const QString xr = QString::fromStdString(FormatSignedSingle(s.PlotXmax)).trimmed();
        const QString yb = QString::fromStdString(FormatSignedSingle(s.PlotYmin)).trimmed();
        const QString yt = QString::fromStdString(FormatSignedSingle(s.PlotYmax)).trimmed();
        const double y0 = area.bottom() + kOutTick + kPad / 2;
        const QRectF rl(area.left(), y0, fm.horizontalAdvance(xl), lineHeight);
        const QRectF rr(area.right() - fm.horizontalAdvance(xr), y0, fm.horizontalAdvance(xr), lineHeight);
        const double x0 = area.left() - kOutTick - kPad;
        const QRectF rb(x0 - fm.horizontalAdvance(yb), area.bottom() - lineHeight, fm.horizontalAdvance(yb),
                        lineHeight);
        const QRectF rt(x0 - fm.horizontalAdvance(yt), area.top(), fm.horizontalAdvance(yt), lineHeight);
        for (const auto& [r, t] : {std::pair{rl, xl}, std::pair{rr, xr}, std::pair{rb, yb}, std::pair{rt, yt}}) {
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, t);
            taken.push_back(r.adjusted(-kPad, -1, kPad, 1));
        }
    }
    auto free = [&](const QRectF& r) {
        for (const QRectF& t : taken)
            if (t.intersects(r))
                return false;
        return true;
    };
    for (const FrameNumber& n : l.xs) {
        const QPointF at = map(n.value, s.PlotYmin);
        const QString text = QString::fromStdString(n.text);
        const double w = fm.horizontalAdvance(text);
        const QRectF r(at.x() - w / 2, area.bottom() + kOutTick + kPad / 2, w, lineHeight);
        if (r.left() < 0 || r.right() > width || !free(r))
            continue;
        p.setPen(QPen(mark, 0));
        p.drawLine(QPointF(at.x(), area.bottom()), QPointF(at.x(), area.bottom() + kOutTick));
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, text);
    }
    for (const FrameNumber& n : l.ys) {
        const QPointF at = map(s.PlotXmin, n.value);
        const QString text = QString::fromStdString(n.text);
        const double w = fm.horizontalAdvance(text);
        const QRectF r(area.left() - kOutTick - kPad - w, at.y() - lineHeight / 2, w, lineHeight);
        if (r.top() < 0 || r.bottom() > height || !free(r))
            continue;
        p.setPen(QPen(mark, 0));
        p.drawLine(QPointF(area.left() - kOutTick, at.y()), QPointF(area.left(), at.y()));
        p.setPen(ink);
        p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, text);
    }
    // The axis titles: the independent variable below, what is drawn on the left, turned.
    p.setPen(ink);
    QFont bold = picture.font;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRectF(area.left(), height - kPad - lineHeight, area.width(), lineHeight), Qt::AlignCenter,
               QString::fromStdString(l.titles.x));
    p.save();
    p.translate(kPad, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-area.height() / 2, 0, area.height(), lineHeight), Qt::AlignCenter,
               QString::fromStdString(l.titles.y));
    p.restore();
    p.restore();
    return std::nullopt;
}

std::optional<QString> render(QPainter& p, int width, int height, const PlotPicture& picture, bool white)
{
    return picture.style == PlotStyle::Framed ? renderFramed(p, width, height, picture, white)
                                              : renderPlain(p, width, height, picture, white);
}

} // namespace

QRectF PlotArea(int width, int height, const PlotPicture& picture)
{
    return picture.style == PlotStyle::Framed ? layoutFramed(width, height, picture).area : QRectF(0, 0, width, height);
}

std::optional<QString> RenderPlot(QPainter& p, int width, int height, const PlotPicture& picture)
{
    return render(p, width, height, picture, false);
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
#if !ODESERIES_SVG
        return QStringLiteral("This build of the program cannot write SVG pictures; PNG, BMP and PDF it can.");
#else
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
#endif
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
    if (!WriteFilesAtomically({{app::CorePath(path), bytes.toStdString()}}, error))
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

QImage RenderPlotImage(int width, int height, const PlotPicture& picture, std::optional<QString>* error,
                       double pixelRatio)
{
    if (!(pixelRatio >= 1) || pixelRatio > 8)
        pixelRatio = 1;
    QImage image(qMax(1, static_cast<int>(std::lround(width * pixelRatio))),
                 qMax(1, static_cast<int>(std::lround(height * pixelRatio))), QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    // One pass over the pixels for the background: the image is filled, the drawing paints no
    // background of its own.
    image.fill(Qt::white);
    QPainter painter(&image);
    auto message = render(painter, width, height, picture, true);
    if (error)
        *error = message;
    return image;
}

} // namespace ode::plot
