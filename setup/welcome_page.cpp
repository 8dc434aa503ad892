// The start page.
#include "setup/welcome_page.hpp"
#include "widgets/window_text.hpp"

#include "engine/setup_rec.hpp"
#include "setup/control_ids.hpp"

namespace {

const LayoutRow kControls[] = {
    {ids::kWelcomeLabel, "STATIC", "", kLabelStyle, 135, 37, 142, 160},
    {ids::kProceedLine, "STATIC", "", kLabelStyle | SS_NOTIFY, 0, 244, 411, 14},
};

const LabelLook kLooks[] = {
    {ids::kWelcomeLabel, false, TTextStyle::tsRecessed, 32, false, kOrange, TAlignment::taCenter},
    {ids::kProceedLine, false, TTextStyle::tsNone, 12, true, kNavy, TAlignment::taCenter},
};

}  // namespace

void WelcomePage::Create(HWND parent, HFONT font, LabelLayer& labels) {
  parent_ = parent;
  labels_ = &labels;
  for (const LayoutRow& c : kControls) CreateControl(parent, c, true, font);
  for (const LabelLook& look : kLooks) labels.Add(look);
}

void WelcomePage::SetWelcome(const std::string& appName, COLORREF color) {
  HWND welcome = GetDlgItem(parent_, ids::kWelcomeLabel);
  const std::string text = ShortString("Welcome\r\nto\r\n" + appName + "\r\nsetup");
  SetText(welcome, text);
  // 142 wide, as high as its four centred lines need.
  auto* label = static_cast<TEmbossLabel*>(labels_->Find(ids::kWelcomeLabel));
  label->Font.Color = color;
  label->Caption = text;
  WindowDC dc(parent_);
  const int h = label->TextHeight(dc.Get(), 142);
  SetWindowPos(welcome, nullptr, 0, 0, 142, h, SWP_NOMOVE | SWP_NOZORDER);
}

void WelcomePage::ShowProceedLine() {
  SetText(GetDlgItem(parent_, ids::kProceedLine), "Click here to proceed or press ESC to abort!");
}

void WelcomePage::Hide() { ShowControls(parent_, {ids::kWelcomeLabel, ids::kProceedLine}, false); }

bool WelcomePage::IsProceedClick(int id, int code) {
  return id == ids::kProceedLine && code == STN_CLICKED;
}
