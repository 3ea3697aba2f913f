#pragma once
// One drawing of a plot onto any painter (the window's picture, a printed page, a bitmap, the
// clipboard, the command line's PNG): frame, ticks or grid, axes, origin mark, labels and the
// curves, in that order, with the picture's user scale.

#include "plot/PlotGeometry.h"

#include <QByteArray>
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
