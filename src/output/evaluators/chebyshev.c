#include <stddef.h>

void* malloc(size_t);
void free(void*);
double nan(const char*);

/* A derivative differentiates the coefficients d times, in memory of the call's own (2 (n + 1)
   numbers: those differentiated so far and the next derivative's as they are made), so calls may
   run at once; when there is no memory the value is not a number. */
static double chebyshev_series(const double* coef, int n, double a, double b, int d, double x)
{
    const double scale = 2 / (b - a);
    double factor = 1, t, b0, b1 = 0.0, b2 = 0.0, value;
    double* work = 0;
    const double* c = coef;
    int size = n + 1, k, step;
    if (d > 0) {
        double* next;
        work = malloc(2 * ((size_t)n + 1) * sizeof(double));
        if (!work)
            return nan("");
        next = work + n + 1;
        for (k = 0; k < size; ++k)
            work[k] = coef[k];
        for (step = 0; step < d; ++step) {
            const int m = size - 1;
            if (m < 1) {
                work[0] = 0.0;
                size = 1;
            } else {
                next[m] = 0.0;
                for (k = m; k >= 1; --k)
                    next[k - 1] = (k + 1 <= m ? next[k + 1] : 0.0) + 2 * k * work[k];
                next[0] /= 2;
                for (k = 0; k < m; ++k)
                    work[k] = next[k];
                size = m;
            }
            factor *= scale;
        }
        c = work;
    }
    t = (2 * x - a - b) / (b - a);
    for (k = size - 1; k >= 1; --k) {
        b0 = 2 * t * b1 - b2 + c[k];
        b2 = b1;
        b1 = b0;
    }
    value = factor * (c[0] + t * b1 - b2);
    free(work);
    return value;
}
