#pragma once
// A picture of a solution as the plot window draws it, written to a file without a window: what
// the window library offers the command line, which loads it only when a picture is asked for.
// The program and the library are built together, so the interface is plain C++; the one C
// function below only finds it.

#include "plot/PlotGeometry.h"
#include "plot/PlotSetup.h"

#include <optional>
#include <string>

namespace ode::plot {

struct PictureRequest {
    std::string file;              // PNG, BMP, SVG or PDF by its extension; PNG without one of those
    int width = 640, height = 480; // pixels (points for PDF)
    PlotState state;               // the window, grid and labels, as the plot window keeps them
    int derivative = 0;            // the derivative drawn, 0 for the function
    bool framed = false;           // numbers and axis titles in margins around the plane, smooth curves
};

class PictureWriter {
public:
    // Draws `source` as `request` asks and writes the file; a message when it cannot, and then
    // the file that was there stays. Never throws.
    virtual std::optional<std::string> write(const PlotSource& source, const PictureRequest& request) const = 0;

protected:
    ~PictureWriter() = default;
};

} // namespace ode::plot

extern "C" {
// The name the window library exports: the writer, which lives as long as the library is loaded.
typedef const ode::plot::PictureWriter* (*OdePictureWriter)();
}
