// Geometry of text drawn at an angle: escapement normalisation, the text
// origin's offsets and the rotated box. Portable.
#pragma once

namespace widgets {

// -90 becomes 270, 720 becomes 360; 360 stays 360.
int NormalizeEscapement(int degrees);

struct RotatedText {
  int dx, dy;  // text origin relative to the rectangle's top-left corner
  int w, h;    // the rotated box
};

// For a caption cx wide and cy high drawn at `degrees` (0..360)
// counter-clockwise; each product is cut toward zero.
RotatedText RotateText(int degrees, int cx, int cy);

}  // namespace widgets
