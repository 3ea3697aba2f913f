function s = power_series(c, centre, d, x)
  t = x - centre;
  n = numel(c) - 1;
  s = 0.0;
  if d == 0
    for k = n:-1:0
      s = t * s + c(k + 1);
    end
  elseif d == 1
    for k = n:-1:1
      s = k * c(k + 1) + t * s;
    end
  elseif d == 2
    for k = n:-1:2
      s = ((k - 1) * k) * c(k + 1) + t * s;
    end
  elseif n <= 170
    fact = ones(1, 171);
    for k = 1:170
      fact(k + 1) = k * fact(k);
    end
    for k = n:-1:d
      s = (fact(k + 1) / fact(k - d + 1)) * c(k + 1) + t * s;
    end
  else
    f = 1.0;
    for i = (n + 2 - d):(n + 1)
      f = f * i;
    end
    for k = n:-1:d
      f = f / (k + 1) * (k + 1 - d);
      s = f * c(k + 1) + t * s;
    end
  end
end

function s = trig_series(c, centre, period, d, x)
  two_pi = 8.0 * atan(1.0);
  t = two_pi * (x - centre) / period;
  n = numel(c) - 1;
  even = mod(d, 2) == 0;
  if d == 0
    s = c(1);
  else
    s = 0.0;
  end
  a = 0.0;
  j = 0;
  for k = 1:2:(n - 1)
    a = a + t;
    j = j + 1;
    if d == 0
      s = s + sin(a) * c(k + 1) + cos(a) * c(k + 2);
    elseif d == 1
      s = s + j * (c(k + 1) * cos(a) - c(k + 2) * sin(a));
    elseif d == 2
      s = s - (j * j) * (c(k + 1) * sin(a) + c(k + 2) * cos(a));
    elseif even
      s = s + j ^ d * (c(k + 1) * sin(a) + c(k + 2) * cos(a));
    else
      s = s + j ^ d * (c(k + 1) * cos(a) - c(k + 2) * sin(a));
    end
  end
  if mod(n, 2) == 1
    a = a + t;
    j = j + 1;
    if d == 0
      s = s + sin(a) * c(n + 1);
    elseif d == 1
      s = s + j * c(n + 1) * cos(a);
    elseif d == 2
      s = s - (j * j) * c(n + 1) * sin(a);
    elseif even
      s = s + j ^ d * c(n + 1) * sin(a);
    else
      s = s + j ^ d * c(n + 1) * cos(a);
    end
  end
  if d == 1
    s = s * (two_pi / period);
  elseif d == 2
    s = s * (two_pi / period) ^ 2;
  elseif d > 2
    if mod(d, 4) == 2 || mod(d, 4) == 3
      s = -s;
    end
    s = s * (two_pi / period) ^ d;
  end
end

function s = chebyshev_series(c, a, b, d, x)
  scale = 2 / (b - a);
  factor = 1;
  for step = 1:d
    n = numel(c) - 1;
    if n < 1
      c = 0.0;
    else
      e = zeros(1, n + 1);
      for k = n:-1:1
        if k + 1 <= n
          above = e(k + 2);
        else
          above = 0.0;
        end
        e(k) = above + 2 * k * c(k + 1);
      end
      e(1) = e(1) / 2;
      c = e(1:n);
    end
    factor = factor * scale;
  end
  t = (2 * x - a - b) / (b - a);
  b1 = 0.0;
  b2 = 0.0;
  for k = (numel(c) - 1):-1:1
    b0 = 2 * t * b1 - b2 + c(k + 1);
    b2 = b1;
    b1 = b0;
  end
  s = factor * (c(1) + t * b1 - b2);
end
