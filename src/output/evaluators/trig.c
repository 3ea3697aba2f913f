static double two_pi(void) { return 8.0 * atan(1.0); }

static double trig_series(const double* c, int n, double centre, double period, int d, double x)
{
    const double t = two_pi() * (x - centre) / period;
    const int even = d % 2 == 0;
    double s = d == 0 ? c[0] : 0.0, a = 0.0;
    int j = 0, k;
    for (k = 1; k <= n - 1; k += 2) {
        a = a + t;
        ++j;
        if (d == 0)
            s = s + sin(a) * c[k] + cos(a) * c[k + 1];
        else if (d == 1)
            s = s + j * (c[k] * cos(a) - c[k + 1] * sin(a));
        else if (d == 2)
            s = s - (double)(j * j) * (c[k] * sin(a) + c[k + 1] * cos(a));
        else
            s = s + pow((double)j, d) * (even ? c[k] * sin(a) + c[k + 1] * cos(a) : c[k] * cos(a) - c[k + 1] * sin(a));
    }
    if (n % 2 == 1) {
        a = a + t;
        ++j;
        if (d == 0)
            s = s + sin(a) * c[n];
        else if (d == 1)
            s = s + j * c[n] * cos(a);
        else if (d == 2)
            s = s - (double)(j * j) * c[n] * sin(a);
        else
            s = s + pow((double)j, d) * c[n] * (even ? sin(a) : cos(a));
    }
    if (d == 0)
        return s;
    if (d == 1)
        return s * (two_pi() / period);
    if (d == 2)
        return s * pow(two_pi() / period, 2.0);
    if (d % 4 == 2 || d % 4 == 3)
        s = -s;
    return s * pow(two_pi() / period, (double)d);
}
