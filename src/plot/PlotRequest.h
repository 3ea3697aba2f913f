#pragma once
// The plot as a PNG file without a window, for the command line: a plain C interface that the
// program finds in the window library when it loads it.

extern "C" {

struct OdePlotRequest {
    const char* outputFile;
    int width, height;
    int derOrder;
    double xmin, xmax, ymin, ymax;
    int grid, labels;
    int seriesKind; // 1 power, 0 trigonometric
    const double* coef;
    int coefCount;
    const int* varDegree;  // one per curve
    const int* coefOffset; // one per curve
    int curveCount;
    int seriesDegree;
    double xcenter, period;
    char* message; // receives a message on failure
    int messageSize;
    // The accurate method's solution: Chebyshev coefficients on [xlower, xupper] laid out as
    // coef (same offsets and degrees); chebyshevCount 0 for none.
    const double* chebyshev;
    int chebyshevCount;
    double xlower, xupper;
};

// Draws the plot exactly as the plot window does and writes it as PNG. 0 on success.
typedef int (*OdeRenderPlotPng)(const OdePlotRequest*);
}
