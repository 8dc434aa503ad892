// The picture control's drawing read back from a memory surface: placement,
// disposal, transparency, and the animation's timing and end.
#include "widgets/gif_image.hpp"

#include <gtest/gtest.h>

#include "tests/win/win_test_util.hpp"

#include "tests/unit/gif_builder.hpp"

using namespace gifbuild;

namespace {

using wintest::Pump;

const COLORREF kBackground = RGB(0, 255, 0);
COLORREF Grey(int index) { return RGB(index * 16, index * 16, index * 16); }

// A hidden parent window and a surface that stands in for its paint DC,
// filled with the parent's background before each paint.
class Picture : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bmp_ = CreateCompatibleBitmap(screen, 400, 400);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bmp_);
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
    DestroyWindow(parent_);
  }
  void PaintParent(TGIFImage& img) {
    HBRUSH b = CreateSolidBrush(kBackground);
    RECT all{0, 0, 400, 400};
    FillRect(dc_, &all, b);
    DeleteObject(b);
    img.PaintMessage(dc_);
    img.PaintMessage(dc_);  // a change of opaque style asks for a second paint
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  static bool Load(TGIFImage& img, const std::string& bytes) {
    return img.LoadFromData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }

  HWND parent_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(Picture, CentringHalvesTheExcessTowardZero) {
  std::vector<int> px;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 16; ++x) px.push_back(x);
  TGIFImage img(parent_);
  img.SetBounds(10, 10, 5, 2);  // the picture is 11 pixels wider
  ASSERT_TRUE(Load(img, Header(16, 2, 4) + Image(0, 0, 16, 2, px, false, 4) + ";"));
  img.SetCenter(true);
  PaintParent(img);
  EXPECT_EQ(At(10, 10), Grey(5));      // 5 columns cut on the left
  EXPECT_EQ(At(14, 11), Grey(9));      // and 6 on the right
  EXPECT_EQ(At(15, 10), kBackground);  // nothing outside the control
}

TEST_F(Picture, StretchRatioKeepsTheAspect) {
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 300, 300);
  ASSERT_TRUE(Load(
      img, Header(100, 50, 4) + Image(0, 0, 100, 50, std::vector<int>(5000, 9), false, 4) + ";"));
  img.SetStretchRatio(true);
  PaintParent(img);
  EXPECT_EQ(At(150, 74), kBackground);
  EXPECT_EQ(At(150, 75), Grey(9));
  EXPECT_EQ(At(150, 224), Grey(9));
  EXPECT_EQ(At(150, 225), kBackground);
  EXPECT_EQ(At(0, 150), Grey(9));
  EXPECT_EQ(At(299, 150), Grey(9));
}

TEST_F(Picture, DisposalTwoUncoversTheParentsBackground) {
  // Frame 1 covers 4x4 opaquely (index 1, transparency on index 3) and is
  // disposed with 2; frame 2 is all transparent.
  const std::string gif = Header(4, 4) + Control(2, 0, true, 3) +
                          Image(0, 0, 4, 4, std::vector<int>(16, 1)) + Control(0, 0, true, 3) +
                          Image(0, 0, 4, 4, std::vector<int>(16, 3)) + ";";
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 4, 4);
  ASSERT_TRUE(Load(img, gif));
  PaintParent(img);
  EXPECT_EQ(At(1, 1), Grey(1));
  img.SetCurrentFrame(2);
  PaintParent(img);
  EXPECT_EQ(At(1, 1), kBackground);
}

TEST_F(Picture, TheFirstFrameDecidesAboutTransparency) {
  // Frame 1 opaque covering a corner; a later frame is transparent. The
  // picture is drawn without its mask: the undrawn composite shows black.
  const std::string opaqueFirst = Header(4, 4) + Image(0, 0, 2, 2, {1, 1, 1, 1}) +
                                  Control(0, 0, true, 3) + Image(0, 0, 1, 1, {3}) + ";";
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 4, 4);
  ASSERT_TRUE(Load(img, opaqueFirst));
  PaintParent(img);
  EXPECT_EQ(At(0, 0), Grey(1));
  EXPECT_EQ(At(3, 3), RGB(0, 0, 0));

  const std::string transparentFirst =
      Header(4, 4) + Control(0, 0, true, 3) + Image(0, 0, 2, 2, {1, 3, 1, 1}) + ";";
  ASSERT_TRUE(Load(img, transparentFirst));
  PaintParent(img);
  EXPECT_EQ(At(0, 0), Grey(1));
  EXPECT_EQ(At(1, 0), kBackground);  // the transparent pixel
  EXPECT_EQ(At(3, 3), kBackground);  // never drawn: see-through
}

TEST_F(Picture, FrameTimesFollowDelaysAndSpeed) {
  const std::string gif = Header(2, 2) + Netscape(0) + Control(0, 0, false, 0) +
                          Image(0, 0, 2, 2, {1, 1, 1, 1}) + Control(0, 20, false, 0) +
                          Image(0, 0, 2, 2, {2, 2, 2, 2}) + Control(0, 100, false, 0) +
                          Image(0, 0, 2, 2, {3, 3, 3, 3}) + ";";
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 2, 2);
  ASSERT_TRUE(Load(img, gif));
  std::vector<unsigned> intervals;
  img.OnChange = [&](TGIFImage& g) { intervals.push_back(g.Timer().Interval()); };
  intervals.clear();
  img.SetAnimate(true);
  PaintParent(img);
  Pump(1400);
  ASSERT_GE(intervals.size(), 3u);
  EXPECT_EQ(intervals[0], 50u);  // 0 counts as the 50 ms minimum
  EXPECT_EQ(intervals[1], 200u);
  EXPECT_EQ(intervals[2], 1000u);
  img.SetSpeed(0);
  EXPECT_EQ(img.Speed(), 1);
}

TEST_F(Picture, AFiniteAnimationStopsPastItsLastFrame) {
  const std::string gif = Header(2, 2) + Image(0, 0, 2, 2, {1, 1, 1, 1}) +
                          Image(0, 0, 2, 2, {2, 2, 2, 2}) + ";";  // no looping block
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 2, 2);
  ASSERT_TRUE(Load(img, gif));
  int wraps = 0;
  img.OnWrapAnimation = [&](TGIFImage&) { ++wraps; };
  img.SetAnimate(true);
  PaintParent(img);
  Pump(500);
  EXPECT_EQ(wraps, 1);
  EXPECT_EQ(img.CurrentFrame(), 3);
  EXPECT_FALSE(img.Timer().Enabled());
  PaintParent(img);
  EXPECT_EQ(At(0, 0), Grey(2));  // frame 2 stays on show
  img.SetLoop(true);
  EXPECT_EQ(img.CurrentFrame(), 1);
  EXPECT_TRUE(img.Timer().Enabled());
}

TEST_F(Picture, NotAGifLeavesTheControlEmpty) {
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 4, 4);
  EXPECT_FALSE(Load(img, "PNG..."));
  EXPECT_TRUE(img.Empty());
  PaintParent(img);
  EXPECT_EQ(At(1, 1), kBackground);
  EXPECT_FALSE(img.SetFileName("C:\\no\\such.gif"));
}

TEST_F(Picture, ACancelledLoadLeavesNoFrameToShow) {
  const std::string gif =
      Header(2, 2) + Image(0, 0, 2, 2, {1, 1, 1, 1}) + Image(0, 0, 2, 2, {2, 2, 2, 2}) + ";";
  TGIFImage img(parent_);
  img.SetBounds(0, 0, 2, 2);
  img.OnProgress = [](int32_t, int32_t, int32_t percent) { return percent < 50; };
  EXPECT_FALSE(Load(img, gif));
  EXPECT_EQ(img.FrameCount(), 0);
  img.SetCurrentFrame(2);  // nothing to index
  EXPECT_EQ(img.CurrentFrame(), 1);
  PaintParent(img);
  EXPECT_EQ(At(1, 1), kBackground);
}

}  // namespace
