#pragma once

#include <optional>

namespace tervan {

struct Balance;
class Surface;

// The balance curve picture: gross cut, gross fill and the net (k x cut + fill) against the
// platform elevation, with value axes, the balance and the fixed platform (when it lies on the
// curve) marked and a Thai legend. It sets the surface's world itself and fills the whole surface,
// so the dialog, the printed page and the batch front end show the same picture. Text in `points`.
void DrawBalanceChart(Surface& s, const Balance& b, std::optional<double> fixedPlatform,
                      double points);

// A step of 1, 2 or 5 times a power of ten giving about `count` intervals over `span`, and the
// decimals its labels need.
double tickStep(double span, int count);
int decimalsFor(double step);

} // namespace tervan
