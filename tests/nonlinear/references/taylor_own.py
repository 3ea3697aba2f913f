# Own fixed-step Taylor-series integrators (exact coefficient recurrences, mpmath arithmetic).
# Independent of mpmath.odefun (which builds Taylor coefficients by finite differences
# of Euler steps at huge precision and chooses its own step sizes).
from mpmath import mp, mpf

def carrier_step(x0, y0, yp0, h, eps, N):
    """One Taylor step of order N for eps*y'' = 1 - 2(1-x^2) y - y^2 about x0.
    Returns (y(x0+h), y'(x0+h))."""
    q0 = 1 - x0*x0; q1 = -2*x0           # 1-(x0+t)^2 = q0 + q1 t - t^2
    c = [y0, yp0]
    for k in range(N-1):
        r = -2*(q0*c[k] + (q1*c[k-1] if k >= 1 else 0) - (c[k-2] if k >= 2 else 0))
        r -= mp.fsum(c[j]*c[k-j] for j in range(k+1))
        if k == 0: r += 1
        c.append(r/(eps*(k+1)*(k+2)))
    # Horner
    y = c[N]; yp = N*c[N]
    for k in range(N-1, -1, -1):
        y = y*h + c[k]
    for k in range(N-1, 0, -1):
        yp = yp*h + k*c[k]
    return y, yp

def corner_step(y0, z0, h, eps, N):
    """One Taylor step of order N for y' = z - 1, z' = y z / eps  (z = y' + 1)."""
    ys = [y0]; zs = [z0]
    for k in range(N):
        ys.append((zs[k] - (1 if k == 0 else 0))/(k+1))
        zs.append(mp.fsum(ys[j]*zs[k-j] for j in range(k+1))/(eps*(k+1)))
    y = ys[N]; z = zs[N]
    for k in range(N-1, -1, -1):
        y = y*h + ys[k]; z = z*h + zs[k]
    return y, z
