# Problem 2 (Carrier, eps=0.01), method (b): own fixed-step Taylor method (order N, step h),
# shooting from x=-1 with y(-1)=0, y'(-1)=t ; end condition y'(0)=0 (symmetry).
# Then continues to x=+1 to check y(1)=0, y'(1)=-y'(-1).
import sys, time
from rootfind import secant
from mpmath import mp, mpf, nstr
from taylor_own import carrier_step
dps = int(sys.argv[1]) if len(sys.argv) > 1 else 50
nsteps = int(sys.argv[2]) if len(sys.argv) > 2 else 100   # steps per unit length
N = int(sys.argv[3]) if len(sys.argv) > 3 else 40
mp.dps = dps
eps = mpf(1)/100
t0 = time.time()
h = mpf(1)/nsteps
def integrate(t, xend_steps, record=()):
    y, yp = mpf(0), t
    out = {}
    for i in range(xend_steps):
        x0 = -1 + i*h
        y, yp = carrier_step(x0, y, yp, h, eps, N)
        if (i+1) in record: out[i+1] = (y, yp)
    return y, yp, out
def resid(t):
    return integrate(t, nsteps)[1]       # y'(0)
t = secant(resid, mpf('-11.1690599875721'), mpf('-11.1690599875722'))
rec = [nsteps//10, nsteps//2, nsteps, 2*nsteps - nsteps//2, 2*nsteps - nsteps//10, 2*nsteps]  # x=-0.9,-0.5,0,0.5,0.9,1
y, yp, out = integrate(t, 2*nsteps, set(rec))
print("dps", dps, "steps/unit", nsteps, "order", N)
print("y0    ", nstr(out[rec[2]][0], 40), "  y'(0) =", nstr(out[rec[2]][1], 5))
print("y05   ", nstr(out[rec[1]][0], 40), "(from x=-0.5)")
print("y09   ", nstr(out[rec[0]][0], 40), "(from x=-0.9)")
print("ypm1  ", nstr(t, 40))
print("check: y(0.5)-y(-0.5) =", nstr(out[rec[3]][0]-out[rec[1]][0], 5), " y(0.9)-y(-0.9) =", nstr(out[rec[4]][0]-out[rec[0]][0], 5))
print("check: y(1) =", nstr(out[rec[5]][0], 5), " y'(1)+y'(-1) =", nstr(out[rec[5]][1]+t, 5))
print("time %.1f s" % (time.time()-t0))
