static double factorial(int k)
{
    double f = 1.0;
    int i;
    for (i = 1; i <= k; ++i)
        f = i * f;
    return f;
}

static double power_series(const double* c, int n, double centre, int d, double x)
{
    const double t = x - centre;
    double s = 0.0;
    int k, i;
    if (d == 0) {
        for (k = n; k >= 0; --k)
            s = t * s + c[k];
    } else if (d == 1) {
        for (k = n; k >= 1; --k)
            s = k * c[k] + t * s;
    } else if (d == 2) {
        for (k = n; k >= 2; --k)
            s = (double)((k - 1) * k) * c[k] + t * s;
    } else if (n <= 170) {
        for (k = n; k >= d; --k)
            s = (factorial(k) / factorial(k - d)) * c[k] + t * s;
    } else {
        double f = 1.0;
        for (i = n + 2 - d; i <= n + 1; ++i)
            f = f * i;
        for (k = n; k >= d; --k) {
            f = f / (k + 1) * (k + 1 - d);
            s = f * c[k] + t * s;
        }
    }
    return s;
}
