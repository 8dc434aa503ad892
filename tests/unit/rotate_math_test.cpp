// Rotated-label geometry: escapement normalisation and the offset table.
#include "widgets/rotate_math.hpp"

#include <gtest/gtest.h>

using widgets::NormalizeEscapement;
using widgets::RotateText;

TEST(RotateMath, EscapementIsKeptBetweenZeroAnd360) {
  EXPECT_EQ(NormalizeEscapement(-90), 270);
  EXPECT_EQ(NormalizeEscapement(-30), 330);
  EXPECT_EQ(NormalizeEscapement(720), 360);
  EXPECT_EQ(NormalizeEscapement(360), 360);
  EXPECT_EQ(NormalizeEscapement(0), 0);
  EXPECT_EQ(NormalizeEscapement(-720), 0);
}

TEST(RotateMath, OffsetsAndBoxPerQuadrant) {
  // 90 degrees: writes upward from the bottom-left corner of a 14 x 119 box.
  auto r = RotateText(90, 119, 14);
  EXPECT_EQ(r.dx, 0);
  EXPECT_EQ(r.dy, 119);
  EXPECT_EQ(r.w, 14);
  EXPECT_EQ(r.h, 119);
  r = RotateText(180, 100, 10);  // upside down: origin at the far right
  EXPECT_EQ(r.dx, 100);
  EXPECT_EQ(r.dy, 10);
  EXPECT_EQ(r.w, 100);
  EXPECT_EQ(r.h, 10);
  r = RotateText(270, 100, 10);
  EXPECT_EQ(r.dx, 10);
  EXPECT_EQ(r.dy, 0);
  EXPECT_EQ(r.w, 10);
  EXPECT_EQ(r.h, 100);
  r = RotateText(45, 100, 10);  // products cut toward zero
  EXPECT_EQ(r.dx, 0);
  EXPECT_EQ(r.dy, 70);
  EXPECT_EQ(r.w, 70 + 7);
  EXPECT_EQ(r.h, 70 + 7);
  r = RotateText(0, 100, 10);
  EXPECT_EQ(r.dy, 0);
  EXPECT_EQ(r.w, 100);
  EXPECT_EQ(r.h, 10);
}
