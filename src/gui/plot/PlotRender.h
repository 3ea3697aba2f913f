#pragma once
// One drawing of a plot onto any painter (the window's picture, a printed page, a bitmap, the
// clipboard, the command line's PNG): frame, ticks or grid, axes, origin mark, labels and the
// curves, in that order, with the picture's user scale.

#include "plot/PlotGeometry.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace ode::plot {

// Plain: the window's plane across the whole picture, labels inside it, one-pixel lines (the
// picture of a window given on the command line). Framed: the plane inside a frame whose margins
// carry the numbers of the divisions and the axis titles, the curves smooth and wider.
enum class PlotStyle { Plain, Framed };

struct PlotPicture {
    PlotState state;
    std::string divxText = "1", divyText = "1"; // the boxes' texts give the label formats
    const PlotSource* source = nullptr;
    int derOrder = 0;
    PlotStyle style = PlotStyle::Plain;
    QFont font; // the framed picture's numbers, titles and legend
};

// Where the window's plane lies in a picture of `width` x `height` pixels: the whole picture,
// or inside the framed picture's margins.
QRectF PlotArea(int width, int height, const PlotPicture& picture);

// Draws `picture` on a white surface of `width` x `height` pixels. A message when the window
// cannot be drawn (then nothing but the background is drawn). A system's curves are named in a
// legend in the picture's upper right corner.
std::optional<QString> RenderPlot(QPainter& painter, int width, int height, const PlotPicture& picture);

// The same into a new image of `width` x `height` pixels at `pixelRatio` device pixels each.
QImage RenderPlotImage(int width, int height, const PlotPicture& picture, std::optional<QString>* error = nullptr,
                       double pixelRatio = 1);

// The same as the bytes of a file of `format` ("png" or "bmp" a bitmap, "svg" a scalable
// drawing, "pdf" a page of `width` x `height` points), made in memory; a message when the
// picture cannot be drawn or its generator fails.
std::optional<QString> PlotFileBytes(const QString& format, int width, int height, const PlotPicture& picture,
                                     QByteArray& bytes);

// Writes a picture's bytes to `path` as every file of the program is written (whole or not at
// all, the write and the flush checked); the message when it cannot be, the old file then kept.
std::optional<QString> WritePictureFile(const QString& path, const QByteArray& bytes);

// PlotFileBytes into the file `path`, the format chosen by its extension.
std::optional<QString> SavePlotFile(const QString& path, int width, int height, const PlotPicture& picture);

// Whether SavePlotFile writes files with the extension of `path`.
bool IsPlotFileName(const QString& path);

} // namespace ode::plot
