# Problem 1 (Troesch, lambda=10), method (a): shooting from x=0 with mpmath.odefun
#   y'' = 10 sinh(10 y), y(0)=0, y(1)=1 ; unknown s = y'(0)
import sys, time
from rootfind import secant
from mpmath import mp, mpf, odefun, sinh, nstr
dps = int(sys.argv[1]) if len(sys.argv) > 1 else 50
mp.dps = dps
t0 = time.time()
def solve(s):
    return odefun(lambda x, u: [u[1], 10*sinh(10*u[0])], 0, [mpf(0), s])
def resid(s):
    return solve(s)(1)[0] - 1
s = secant(resid, mpf('0.000358337784635232'), mpf('0.000358337784635233'))
sol = solve(s)
y05 = sol(mpf('0.5'))[0]; y09 = sol(mpf('0.9'))[0]; y099 = sol(mpf('0.99'))[0]; y1 = sol(1)
print("dps", dps)
print("yp0  ", nstr(s, 40))
print("y05  ", nstr(y05, 40))
print("y09  ", nstr(y09, 40))
print("y099 ", nstr(y099, 40))
print("yp1  ", nstr(y1[1], 40))
print("check y(1)-1 =", nstr(y1[0]-1, 5))
print("time %.1f s" % (time.time()-t0))
