// The main window's pages and navigation: licence step, start page, options
// page, cancel, directory picker and the uninstall panel's buttons.
#include <windows.h>

#include "engine/install_sequence.hpp"
#include "engine/registry_entries.hpp"
#include "engine/uninstall.hpp"
#include "setup/control_ids.hpp"
#include "setup/directory_picker.hpp"
#include "setup/setup_main.hpp"
#include "setup/show_license.hpp"
#include "setup/start_up.hpp"

namespace {

// The eighteen controls of the options page.
const int kOptionsPage[] = {
    ids::lbPath,     ids::edPath,         ids::btnDir,        ids::lbFolder,   ids::edFolder,
    ids::FolderList, ids::lbShortCuts,    ids::cbAllUsers,    ids::lbAllUsers, ids::Shape1,
    ids::StartBox,   ids::lbWinStart,     ids::QuickLaunchBox, ids::lbQuickLaunch,
    ids::DeskTopBox, ids::lbDesktop,      ids::SendToBox,     ids::lbStartMenu,
};
const int kButtonStrip[] = {ids::btnCancel, ids::btnSetup, ids::ProgressBar1};

const COLORREF kFuchsia = RGB(255, 0, 255), kLime = RGB(0, 255, 0);

bool ReadWholeFile(const std::string& path, std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buf[65536];
  DWORD n = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &n, nullptr) != FALSE) && n > 0) text.append(buf, n);
  CloseHandle(h);
  return ok;
}

}  // namespace

void TForm1::FirstShown() {
  LicenseStep();
  keyPreview_ = true;
  ShowStartPage();
}

void TForm1::LicenseStep() {
  LicensePath = ProgramDir() + "license.txt";
  if (!UninstallName.empty() || GetFileAttributesA(LicensePath.c_str()) == INVALID_FILE_ATTRIBUTES)
    return;
  std::string text;
  if (!form2_ || !ReadWholeFile(LicensePath, text)) {
    ShowMessage("Can not load license.txt!");
    return;
  }
  form2_->SetText(text);
  if (form2_->ShowModal(hwnd_) != IDOK) {
    quitRequested_ = true;
    PostQuitMessage(0);
  }
}

void TForm1::ShowStartPage() {
  SetText(ids::lbPassword, "Click here to proceed or press ESC to abort!");
}

void TForm1::ShowOptionsPage() {
  keyPreview_ = false;
  ShowWindow(Control(ids::lbWelcome), SW_HIDE);
  ShowWindow(Control(ids::lbPassword), SW_HIDE);
  RECT r{0, 0, kClientWidth, kOptionsClientHeight};
  AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), FALSE,
                     GetWindowLongA(hwnd_, GWL_EXSTYLE));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  optionsPage_ = true;
  LayoutPanel(kOptionsClientHeight);
  for (int id : kButtonStrip) ShowWindow(Control(id), SW_SHOW);
  SetOptionsPageVisible(true);
  SetFocus(Control(ids::btnSetup));
}

void TForm1::SetOptionsPageVisible(bool visible) {
  for (int id : kOptionsPage) ShowWindow(Control(id), visible ? SW_SHOW : SW_HIDE);
}

void TForm1::CancelAction() {
  ShowMessage("Setup cancelled!");
  cancelled_ = true;
  // While files are installed the sequence stops after the file in hand,
  // saves its log and closes the window itself.
  if (installer_) {
    installer_->Cancel();
    return;
  }
  DestroyWindow(hwnd_);
}

void TForm1::btnDirClick() {
  std::string chosen;
  if (SelectDirectory(hwnd_, GetText(ids::edPath), chosen)) SetText(ids::edPath, chosen);
}

bool TForm1::PreviewKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
    return false;
  if (keyPreview_ && msg.wParam == VK_ESCAPE) {
    CancelAction();
    return true;
  }
  if (optionsPage_ && msg.wParam == VK_RETURN) {  // Setup is the default button
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(ids::btnSetup, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(ids::btnSetup)));
    return true;
  }
  return false;
}

void TForm1::OnCommand(int id, int code) {
  if (id == ids::lbPassword && code == STN_CLICKED) ShowOptionsPage();
  if (id == ids::btnDir && code == BN_CLICKED) btnDirClick();
  if (id == ids::btnCancel && code == BN_CLICKED) CancelAction();
  if (id == ids::btnSetup && code == BN_CLICKED) btnSetupClick();
}

void TForm1::PanelHover(HWND sender) {
  if (hotPanel_ == sender) return;
  HWND old = hotPanel_;
  hotPanel_ = sender;
  if (old) InvalidateRect(old, nullptr, TRUE);
  InvalidateRect(sender, nullptr, TRUE);
}

void TForm1::PanelClick(int id) {
  if (id == ids::uninst4) PostQuitMessage(0);
  if (id == ids::uninst3 && !installing_) UninstallApplication();
}

void TForm1::UninstallApplication() {
  installing_ = true;  // one removal per run
  HWND panel = Control(ids::plUninst);
  for (int id : {ids::uninst1, ids::uninst3, ids::uninst4}) ShowWindow(GetDlgItem(panel, id), SW_HIDE);
  HWND status = GetDlgItem(panel, ids::uninst2);
  labels_[ids::uninst2]->Font.Height = 13;  // 10 points
  auto show = [&](const char* text) {
    SetWindowTextA(status, text);
    InvalidateRect(status, nullptr, FALSE);
    UpdateWindow(status);
    Sleep(200);
  };
  show("Removing Registry Entries...");
  DeleteUninstallKeys(UninstallName);
  show("Deleting Files...");
  ShowMessage(OutcomeMessage(RemoveInstallation(ProgramDir())));
  PostQuitMessage(0);
}

LRESULT CALLBACK TForm1::PanelButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_MOUSEMOVE:
      if (form) form->PanelHover(hwnd);
      return 0;
    case WM_LBUTTONUP:
      if (form) form->PanelClick(GetDlgCtrlID(hwnd));
      return 0;
    case WM_PAINT: {
      // Fuchsia with white text; lime with black text while highlighted.
      const bool hot = form && form->hotPanel_ == hwnd;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HBRUSH brush = CreateSolidBrush(hot ? kLime : kFuchsia);
      FillRect(dc, &rc, brush);
      DeleteObject(brush);
      DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
      char text[64] = {};
      GetWindowTextA(hwnd, text, sizeof text);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, hot ? RGB(0, 0, 0) : RGB(255, 255, 255));
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
      DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETFONT:
      SetPropA(hwnd, "font", reinterpret_cast<HANDLE>(wp));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(GetPropA(hwnd, "font"));
    case WM_NCDESTROY:
      RemovePropA(hwnd, "font");
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
