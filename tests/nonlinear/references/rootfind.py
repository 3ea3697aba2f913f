# Plain secant iteration that stops once the last correction is below rel*|x| (or stagnates).
from mpmath import mp, mpf
def secant(f, x0, x1, rel=None, maxit=60, verbose=False):
    rel = rel if rel is not None else mpf(10)**(-(mp.dps - 6))
    f0 = f(x0); f1 = f(x1)
    for it in range(maxit):
        if f1 == f0:
            return x1
        x2 = x1 - f1*(x1 - x0)/(f1 - f0)
        if verbose: print("  secant it", it, x2, f1)
        x0, f0 = x1, f1
        x1 = x2; f1 = f(x1)
        if abs(x1 - x0) <= rel*abs(x1):
            # one more step for safety (superlinear convergence makes it essentially exact)
            if f1 != f0:
                x1 = x1 - f1*(x1 - x0)/(f1 - f0)
            return x1
    raise RuntimeError("secant did not converge")
