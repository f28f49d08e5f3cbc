#include "core/instruments/nice_step.h"

#include <cmath>

double NiceStepMultiplier(int k) {
  if (k == 2)
    return 2.0;
  if (k >= 3 && k <= 5)
    return 5.0;
  if (k >= 6 && k <= 9)
    return 10.0;
  return 1.0;
}

double NiceStep(double range) {
  if (!(range > 0.0) || !std::isfinite(range))
    return 0.0;
  double d = range / 5.0;
  double s = 1.0;
  if (d >= 1.0) {
    while (std::trunc(d) >= 10.0) {
      d /= 10.0;
      s *= 10.0;
    }
  } else {
    // A positive double is at least about 1e-324, so this ends within a few
    // hundred rounds.
    while (std::trunc(d) == 0.0) {
      d *= 10.0;
      s /= 10.0;
    }
  }
  return s * NiceStepMultiplier(static_cast<int>(std::trunc(d)));
}
