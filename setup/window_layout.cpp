// The main window's controls: where each one is, how its label looks.
// Labels are owner-drawn statics: the window paints them over its own
// background, yet they keep their text for the platform's accessibility.
#include <windows.h>
#include <commctrl.h>

#include "setup/control_ids.hpp"
#include "setup/setup_main.hpp"

namespace {

enum Page { kStart, kOptions, kStrip, kUninst, kAlways, kHidden };

struct ControlSpec {
  int id;
  const char* cls;
  const char* text;
  DWORD style;
  int x, y, w, h;
  Page page;
};

constexpr DWORD kBox = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kLabel = SS_OWNERDRAW;
constexpr COLORREF kNavy = RGB(0, 0, 128), kOrange = RGB(255, 128, 0), kFuchsia = RGB(255, 0, 255),
                   kLime = RGB(0, 255, 0);

const ControlSpec kControls[] = {
    {ids::lbWelcome, "STATIC", "", kLabel, 135, 37, 142, 160, kStart},
    {ids::lbPassword, "STATIC", "", kLabel | SS_NOTIFY, 0, 244, 411, 14, kStart},
    {ids::CopyRight2, "STATIC", "Quorvane Setup", kLabel, 394, 83, 14, 119, kAlways},
    {ids::lbStatus, "STATIC", "", kLabel, 1, 131, 405, 16, kHidden},
    {ids::ProgressBar2, PROGRESS_CLASSA, "", 0, 130, 176, 150, 13, kHidden},
    {ids::lbPath, "STATIC", "Installation Path:", kLabel, 121, 19, 130, 15, kOptions},
    {ids::edPath, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 121, 35, 253, 21, kOptions},
    {ids::btnDir, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 374, 35, 20, 21, kOptions},
    {ids::lbFolder, "STATIC", "Program Folder:", kLabel, 121, 65, 130, 15, kOptions},
    {ids::edFolder, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 121, 81, 273, 21,
     kOptions},
    {ids::FolderList, "LISTBOX", "", LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL, 121,
     102, 273, 89, kOptions},
    {ids::lbShortCuts, "STATIC", "Short Cuts:", kLabel, 121, 199, 66, 15, kOptions},
    {ids::cbAllUsers, "BUTTON", "", kBox, 188, 197, 15, 17, kOptions},
    {ids::lbAllUsers, "STATIC", "Install for all users", kLabel, 207, 199, 150, 15, kOptions},
    {ids::Shape1, "STATIC", "", SS_OWNERDRAW, 120, 216, 274, 68, kOptions},
    {ids::StartBox, "BUTTON", "", kBox, 138, 229, 15, 17, kOptions},
    {ids::lbWinStart, "STATIC", "Windows Start Up", kLabel, 155, 231, 102, 15, kOptions},
    {ids::QuickLaunchBox, "BUTTON", "", kBox, 266, 229, 15, 17, kOptions},
    {ids::lbQuickLaunch, "STATIC", "Quick Launch Bar", kLabel, 285, 231, 105, 15, kOptions},
    {ids::DeskTopBox, "BUTTON", "", kBox, 138, 258, 15, 17, kOptions},
    {ids::lbDesktop, "STATIC", "Place On Desktop", kLabel, 155, 259, 102, 15, kOptions},
    {ids::SendToBox, "BUTTON", "", kBox, 266, 258, 15, 17, kOptions},
    {ids::lbStartMenu, "STATIC", "Start Menu", kLabel, 285, 259, 105, 15, kOptions},
    {ids::btnCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 188, 311, 75, 25, kStrip},
    {ids::btnSetup, "BUTTON", "Setup", BS_DEFPUSHBUTTON | WS_TABSTOP, 276, 311, 75, 25, kStrip},
    {ids::ProgressBar1, PROGRESS_CLASSA, "", 0, 16, 317, 151, 13, kStrip},
};

// Children of the uninstall panel, positioned inside it.
const ControlSpec kUninstControls[] = {
    {ids::copyright1, "STATIC", "Quorvane Setup", kLabel, 389, 83, 18, 164, kUninst},
    {ids::uninst1, "STATIC", "Uninstall", kLabel, 161, 77, 100, 20, kUninst},
    {ids::uninst2, "STATIC", "", kLabel, 0, 109, 405, 37, kUninst},
    {ids::EmbossLabel1, "STATIC",
     "Warning! This will remove this application from your system permanently.", kLabel, 64, 180,
     276, 36, kUninst},
    {ids::uninst3, "TPanelButton", "Proceed", 0, 104, 218, 87, 25, kUninst},
    {ids::uninst4, "TPanelButton", "Abort", 0, 214, 218, 87, 25, kUninst},
};

struct LabelLook {
  int id;
  bool rotated;
  TTextStyle style;
  int height;
  bool underline;
  COLORREF color;
  TAlignment align;
};

const LabelLook kLooks[] = {
    {ids::lbWelcome, false, TTextStyle::tsRecessed, 32, false, kOrange, TAlignment::taCenter},
    {ids::lbPassword, false, TTextStyle::tsNone, 12, true, kNavy, TAlignment::taCenter},
    {ids::CopyRight2, true, TTextStyle::tsNone, 11, false, kOrange, TAlignment::taLeftJustify},
    {ids::lbStatus, false, TTextStyle::tsNone, 12, false, kOrange, TAlignment::taCenter},
    {ids::lbPath, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taLeftJustify},
    {ids::lbFolder, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taLeftJustify},
    {ids::lbShortCuts, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taLeftJustify},
    {ids::lbAllUsers, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taLeftJustify},
    {ids::lbWinStart, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taRightJustify},
    {ids::lbQuickLaunch, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taLeftJustify},
    {ids::lbDesktop, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taRightJustify},
    {ids::lbStartMenu, false, TTextStyle::tsNone, 12, false, kNavy, TAlignment::taLeftJustify},
    {ids::copyright1, true, TTextStyle::tsNone, 15, false, kLime, TAlignment::taLeftJustify},
    {ids::uninst1, false, TTextStyle::tsRecessed, 16, false, kFuchsia, TAlignment::taLeftJustify},
    {ids::uninst2, false, TTextStyle::tsRecessed, 32, false, kFuchsia, TAlignment::taCenter},
    {ids::EmbossLabel1, false, TTextStyle::tsNone, 12, false, kLime, TAlignment::taCenter},
};

HWND CreateChild(HWND parent, const ControlSpec& c, bool visible, HFONT font) {
  HWND h = CreateWindowExA(0, c.cls, c.text, WS_CHILD | (visible ? WS_VISIBLE : 0) | c.style, c.x,
                           c.y, c.w, c.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

void RegisterChildClass(const char* name, WNDPROC proc) {
  WNDCLASSEXA wc{};
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (GetClassInfoExA(inst, name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

}  // namespace

void TForm1::CreateControls() {
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& c : kControls)
    CreateChild(hwnd_, c, c.page == kStart || c.page == kAlways, font_);

  HINSTANCE inst = GetModuleHandleA(nullptr);
  RegisterChildClass("TUninstPanel", UninstPanelProc);
  RegisterChildClass("TPanelButton", PanelButtonProc);
  HWND panel = CreateWindowExA(0, "TUninstPanel", "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, kClientWidth,
                               kClientHeight, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::plUninst)), inst,
                               nullptr);
  SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  for (const ControlSpec& c : kUninstControls) {
    HWND h = CreateChild(panel, c, true, font_);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  for (const LabelLook& look : kLooks) {
    std::unique_ptr<TCustomLabel> label;
    if (look.rotated) {
      auto r = std::make_unique<TRotateLabel>();
      r->SetEscapement(90);
      r->TextStyle = look.style;
      label = std::move(r);
    } else {
      auto e = std::make_unique<TEmbossLabel>();
      e->TextStyle = look.style;
      label = std::move(e);
    }
    label->Font.Height = look.height;
    label->Font.Bold = true;
    label->Font.Underline = look.underline;
    label->Font.Color = look.color;
    label->Alignment = look.align;
    labels_[look.id] = std::move(label);
  }

  // One-line labels grow to their text, right-aligned ones to the left.
  HDC dc = GetDC(hwnd_);
  for (int id : {ids::lbPath, ids::lbFolder, ids::lbShortCuts, ids::lbAllUsers, ids::lbWinStart,
                 ids::lbQuickLaunch, ids::lbDesktop, ids::lbStartMenu}) {
    TCustomLabel& label = *labels_[id];
    HWND h = Control(id);
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    label.Caption = GetText(id);
    const int need = label.TextWidth(dc) + 2;
    if (need <= r.right - r.left) continue;
    const int left = label.Alignment == TAlignment::taRightJustify ? r.right - need : r.left;
    SetWindowPos(h, nullptr, left, r.top, need, r.bottom - r.top, SWP_NOZORDER);
  }
  ReleaseDC(hwnd_, dc);

  GIFImage1 = std::make_unique<TGIFImage>(hwnd_);
  LayoutPanel(kClientHeight);
  GIFImage1->LoadFromData(GIFImage1Data.data(), GIFImage1Data.size());
}
