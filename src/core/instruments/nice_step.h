// The scale-step rule shared by the meters and the trend graph: a step of
// 1, 2 or 5 times a power of ten that splits a range into about five parts.
#pragma once

// The multiplier for the integer part k (0 to 9) of a range over five once
// brought to one digit: 1, 2, 5, 5, 5, 10, 10, 10, 10 for k = 1 to 9, and 1
// for k = 0 (a range that could not be brought to one digit).
double NiceStepMultiplier(int k);

// The step for a range r > 0. Anything else (zero, negative, not finite)
// has no step and gives 0.
double NiceStep(double range);
