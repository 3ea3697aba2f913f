import math

_TWO_PI = 8.0 * math.atan(1.0)

_FACT = [1.0]
for _k in range(1, 171):
    _FACT.append(_k * _FACT[_k - 1])


def _power(c, centre, d, x):
    t = x - centre
    n = len(c) - 1
    s = 0.0
    if d == 0:
        for k in range(n, -1, -1):
            s = t * s + c[k]
    elif d == 1:
        for k in range(n, 0, -1):
            s = k * c[k] + t * s
    elif d == 2:
        for k in range(n, 1, -1):
            s = float((k - 1) * k) * c[k] + t * s
    elif n <= 170:
        for k in range(n, d - 1, -1):
            s = (_FACT[k] / _FACT[k - d]) * c[k] + t * s
    else:
        f = 1.0
        for i in range(n + 2 - d, n + 2):
            f = f * i
        for k in range(n, d - 1, -1):
            f = f / (k + 1) * (k + 1 - d)
            s = f * c[k] + t * s
    return s


def _trig(c, centre, period, d, x):
    t = _TWO_PI * (x - centre) / period
    n = len(c) - 1
    even = d % 2 == 0
    s = c[0] if d == 0 else 0.0
    a = 0.0
    j = 0
    k = 1
    while k <= n - 1:
        a = a + t
        j += 1
        if d == 0:
            s = s + math.sin(a) * c[k] + math.cos(a) * c[k + 1]
        elif d == 1:
            s = s + j * (c[k] * math.cos(a) - c[k + 1] * math.sin(a))
        elif d == 2:
            s = s - float(j * j) * (c[k] * math.sin(a) + c[k + 1] * math.cos(a))
        else:
            term = c[k] * math.sin(a) + c[k + 1] * math.cos(a) if even else c[k] * math.cos(a) - c[k + 1] * math.sin(a)
            s = s + math.pow(float(j), d) * term
        k += 2
    if n % 2 == 1:
        a = a + t
        j += 1
        if d == 0:
            s = s + math.sin(a) * c[n]
        elif d == 1:
            s = s + j * c[n] * math.cos(a)
        elif d == 2:
            s = s - float(j * j) * c[n] * math.sin(a)
        else:
            s = s + math.pow(float(j), d) * c[n] * (math.sin(a) if even else math.cos(a))
    if d == 0:
        return s
    if d == 1:
        return s * (_TWO_PI / period)
    if d == 2:
        return s * math.pow(_TWO_PI / period, 2.0)
    if d % 4 == 2 or d % 4 == 3:
        s = -s
    return s * math.pow(_TWO_PI / period, float(d))


def _chebyshev(c, a, b, d, x):
    scale = 2 / (b - a)
    factor = 1
    for _ in range(d):
        n = len(c) - 1
        if n < 1:
            c = [0.0]
        else:
            e = [0.0] * (n + 1)
            for k in range(n, 0, -1):
                e[k - 1] = (e[k + 1] if k + 1 <= n else 0.0) + 2 * k * c[k]
            e[0] /= 2
            c = e[:-1]
        factor *= scale
    t = (2 * x - a - b) / (b - a)
    b1 = 0.0
    b2 = 0.0
    for k in range(len(c) - 1, 0, -1):
        b0 = 2 * t * b1 - b2 + c[k]
        b2 = b1
        b1 = b0
    return factor * ((c[0] if c else 0.0) + t * b1 - b2)
