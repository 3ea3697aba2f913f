#pragma once
// One drawing of a plot onto any painter (the window's picture, a printed page, a bitmap, the
// clipboard, the command line's PNG): frame, ticks or grid, axes, origin mark, labels and the
// curves, in that order, with the picture's user scale.

#include "plot/PlotGeometry.h"

#include <QImage>
#include <QString>

#include <optional>

class QPainter;

namespace ode::plot {

struct PlotPicture {
    PlotState state;
    std::string divxText = "1", divyText = "1"; // the boxes' texts give the label formats
    const PlotSource* source = nullptr;
    int derOrder = 0;
};

// Draws `picture` on a white surface of `width` x `height` pixels. A message when the window
// cannot be drawn (then nothing but the background is drawn).
std::optional<QString> RenderPlot(QPainter& painter, int width, int height, const PlotPicture& picture);

// The same into a new image.
QImage RenderPlotImage(int width, int height, const PlotPicture& picture, std::optional<QString>* error = nullptr);

// The same into the file `path`, its format chosen by the extension: .png or .bmp a bitmap,
// .svg a scalable drawing, .pdf a page of `width` x `height` points. Written whole or not at
// all; a message when it cannot be (the picture's own, or the file's).
std::optional<QString> SavePlotFile(const QString& path, int width, int height, const PlotPicture& picture);

// Whether SavePlotFile writes files with the extension of `path`.
bool IsPlotFileName(const QString& path);

} // namespace ode::plot
