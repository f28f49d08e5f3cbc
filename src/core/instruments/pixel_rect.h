// A rectangle in client pixels, as the meters and the trend graph lay out
// their pictures; right and bottom exclusive.
#pragma once

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect &) const = default;
};
