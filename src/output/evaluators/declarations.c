double sin(double);
double cos(double);
double pow(double, double);
double atan(double);
