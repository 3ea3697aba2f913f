# Problem 3 (corner layers, eps=0.001), method (c): exact first integral + quadrature.
# With z = 1 + y':  eps y'' = y (y'+1)  <=>  y' = z - 1, z' = y z / eps, so dz/dy = (y z/eps)/(z-1) and
#     z - ln z - y^2/(2 eps) = C   (exact first integral).
# Antisymmetry: y(1/2) = 0, z(1/2) = 1 + p  =>  C = 1 + p - ln(1+p);  on [0,1/2] z<1 is the small root
#     z(y) = -W0(-exp(-K)),  K = C + y^2/(2 eps)   (Lambert W, principal branch)
# and x(y) = int_y^{1/3} dy / (1 - z(y)).  BVP condition: x(0) = 1/2.
# Near y=0 the integrand ~ 1/sqrt(p^2 + y^2/eps) (branch point at y ~ +-i*2e-4), removed by
#     y = a sinh(u),  a = sqrt(2 eps (C-1))   (then K - 1 = (C-1) cosh(u)^2).
import sys, time
from rootfind import secant
from mpmath import mp, mpf, quad, lambertw, exp, log, sqrt, sinh, cosh, asinh, nstr
dps = int(sys.argv[1]) if len(sys.argv) > 1 else 60
mp.dps = dps
eps = mpf(1)/1000
third = mpf(1)/3; half = mpf(1)/2
t0 = time.time()
def one_minus_z(K):
    return 1 + lambertw(-exp(-K)).real
def setup(p):
    C = 1 + p - log(1 + p)
    a = sqrt(2*eps*(C - 1))
    return C, a
def I(u_end, p):
    # int_0^{y(u_end)} dy/(1-z) in the u variable
    C, a = setup(p)
    f = lambda u: a*cosh(u)/one_minus_z(C + (a*sinh(u))**2/(2*eps))
    n = int(u_end) + 1
    pts = [u_end*k/(2*n) for k in range(2*n+1)]
    return quad(f, pts)
def F(p):
    C, a = setup(p)
    return I(asinh(third/a), p) - half
p = secant(F, mpf('-0.0056'), mpf('-0.0055'))
C, a = setup(p)
def y_at(x):
    target = half - x
    u0 = asinh(mpf('0.01')/a)
    u = secant(lambda u: I(u, p) - target, u0, u0*mpf('1.01'))
    return a*sinh(u)
print("dps", dps)
print("y025  ", nstr(y_at(mpf(1)/4), 50))
print("y13   ", nstr(y_at(third), 50))
print("y04   ", nstr(y_at(mpf(2)/5), 50))
zb = 1 - one_minus_z(C + third**2/(2*eps))
print("yp0   ", nstr(zb - 1, 50))
print("yp0+1 ", nstr(zb, 50))
print("yp05  ", nstr(p, 50))
print("time %.1f s" % (time.time()-t0))
