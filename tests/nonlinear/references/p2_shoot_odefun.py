# Problem 2 (Carrier, eps=0.01), method (a): mpmath.odefun shooting from x=0 with
# y(0)=a, y'(0)=0 (symmetric solution), unknown a, condition y(1)=0.
import sys, time
from rootfind import secant
from mpmath import mp, mpf, odefun, nstr
dps = int(sys.argv[1]) if len(sys.argv) > 1 else 50
mp.dps = dps
eps = mpf(1)/100
t0 = time.time()
def solve(a):
    return odefun(lambda x, u: [u[1], (1 - 2*(1-x*x)*u[0] - u[0]**2)/eps], 0, [a, mpf(0)])
a = secant(lambda a: solve(a)(1)[0], mpf('-0.745311128765781'), mpf('-0.745311128765782'))
sol = solve(a)
y1 = sol(1)
print("dps", dps)
print("y0    ", nstr(a, 40))
print("y05   ", nstr(sol(mpf('0.5'))[0], 40))
print("y09   ", nstr(sol(mpf('0.9'))[0], 40))
print("ypm1  ", nstr(-y1[1], 40), "(= -y'(1))")
print("check y(1) =", nstr(y1[0], 5))
print("time %.1f s" % (time.time()-t0))
