// Rotated text geometry.
#include "widgets/rotate_math.hpp"

#include <cmath>
#include <cstdlib>

namespace widgets {
namespace {

constexpr double kPi = 3.14159265358979323846;
double Rad(double deg) { return deg * kPi / 180.0; }
// Cut toward zero, after rounding away float noise such as sin(180) != 0.
int Cut(double v) { return static_cast<int>(std::trunc(v + (v >= 0 ? 1e-9 : -1e-9))); }

}  // namespace

int NormalizeEscapement(int degrees) {
  while (degrees < 0) degrees += 360;
  while (degrees > 360) degrees -= 360;
  return degrees;
}

RotatedText RotateText(int degrees, int cx, int cy) {
  const double a = degrees, s = std::sin(Rad(a)), c = std::cos(Rad(a));
  RotatedText r{0, 0, 0, 0};
  if (a <= 90) {
    r.dy = Cut(s * cx);
  } else if (a <= 180) {
    r.dx = Cut(-c * cx);
    r.dy = Cut(std::cos(Rad(180 - a)) * cy + s * cx);
  } else if (a <= 270) {
    r.dx = Cut(std::sin(Rad(a - 180)) * cy - c * cx);
    r.dy = Cut(std::sin(Rad(270 - a)) * cy);
  } else {
    r.dx = Cut(std::sin(Rad(360 - a)) * cy);
  }
  r.w = std::abs(Cut(c * cx)) + std::abs(Cut(s * cy));
  r.h = std::abs(Cut(s * cx)) + std::abs(Cut(c * cy));
  return r;
}

}  // namespace widgets
