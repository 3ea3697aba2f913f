# Problem 3 (corner layers, eps=0.001), method (a): mpmath.odefun shooting BACKWARD from x=1/2.
# Antisymmetry y(1-x) = -y(x) gives y(1/2)=0; unknown p = y'(1/2); condition y(0)=1/3.
# Variables: t = 1/2 - x, Y(t) = y(1/2-t), Z(t) = 1 + y'(1/2-t):
#   Y' = 1 - Z,  Z' = -Y Z / eps   (Z = 1+y' decays when going towards x=0: stable direction)
import sys, time
from rootfind import secant
from mpmath import mp, mpf, odefun, nstr
dps = int(sys.argv[1]) if len(sys.argv) > 1 else 50
mp.dps = dps
eps = mpf(1)/1000
t0 = time.time()
def solve(p):
    return odefun(lambda t, u: [1 - u[1], -u[0]*u[1]/eps], 0, [mpf(0), 1 + p])
half = mpf(1)/2; third = mpf(1)/3
def resid(p):
    return solve(p)(half)[0] - third
# crude start from the inner approximation y ~ -A sinh((x-1/2)/sqrt(eps)) matched to y(1/3)~0.0172
p = secant(resid, mpf('-0.0056'), mpf('-0.0055'))
sol = solve(p)
Y0 = sol(half)
print("dps", dps)
print("y025  ", nstr(sol(mpf(1)/4)[0], 40))
print("y13   ", nstr(sol(half - third)[0], 40))
print("y04   ", nstr(sol(mpf(1)/10)[0], 40))
print("yp0   ", nstr(Y0[1] - 1, 40))
print("yp0+1 ", nstr(Y0[1], 40))
print("yp05  ", nstr(p, 40))
print("check y(0)-1/3 =", nstr(Y0[0]-third, 5))
print("time %.1f s" % (time.time()-t0))
