// The main window.
#include "setup/main_window.hpp"
#include "widgets/window_text.hpp"

#include <commctrl.h>

#include "engine/install_sequence.hpp"
#include "engine/install_session.hpp"
#include "engine/registry_entries.hpp"
#include "engine/text_codes.hpp"
#include "engine/uninstall.hpp"
#include "setup/application.hpp"
#include "setup/command_line.hpp"
#include "setup/control_ids.hpp"
#include "setup/license_window.hpp"
#include "setup/setup_script.hpp"
#include "setup/start_up.hpp"
#include "setup/window_prompts.hpp"
#include "shell/file_ops.hpp"
#include "shell/shell_folders.hpp"

namespace {

using namespace ids;

constexpr int kStripHeight = 41;

// The frame's own controls: the notice, the status line and file progress
// used while installing, and the button strip.
const LayoutRow kFrameControls[] = {
    {kProductNotice, "STATIC", "Quorvane Setup", kLabelStyle, 394, 83, 14, 119},
    {kStatusLabel, "STATIC", "", kLabelStyle, 1, 131, 405, 16},
    {kFileProgress, "msctls_progress32", "", 0, 130, 176, 150, 13},
};
const LayoutRow kStripControls[] = {
    {kCancelButton, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 188, 311, 75, 25},
    {kSetupButton, "BUTTON", "Setup", BS_DEFPUSHBUTTON | WS_TABSTOP, 276, 311, 75, 25},
    {kStripProgress, "msctls_progress32", "", 0, 16, 317, 151, 13},
};
const LabelLook kFrameLooks[] = {
    {kProductNotice, true, TTextStyle::tsNone, 11, false, kOrange, TAlignment::taLeftJustify},
    {kStatusLabel, false, TTextStyle::tsNone, 12, false, kOrange, TAlignment::taCenter},
};

// license.txt is UTF-8 or UTF-16 after a byte order mark, else in the ANSI
// code page, as it always was.
std::string LicenceText(const std::string& bytes) {
  std::string text;
  return DecodeMarkedText(bytes, text) ? text : FromAnsi(bytes);
}

void Bevel(HDC dc, RECT r, UINT outer, UINT inner, int gap) {
  DrawEdge(dc, &r, outer, BF_RECT);
  InflateRect(&r, -gap, -gap);
  DrawEdge(dc, &r, inner, BF_RECT);
}

LONG ButtonType(HWND h) {
  wchar_t cls[16] = {};
  GetClassNameW(h, cls, 16);
  return lstrcmpiW(cls, L"Button") == 0 ? GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK : -1;
}

bool IsPushButton(HWND h) {
  const LONG type = ButtonType(h);
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  // Fixed dialog border, no caption buttons, centred on the screen. The
  // class keeps the name that tools know the window by.
  return CreateFramed("TForm1", Application::Title.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN,
                      WS_EX_DLGMODALFRAME, -1, -1, kClientWidth, kClientHeight);
}

void MainWindow::CreateControls() {
  startPage_.Create(hwnd_, fonts_.Default.Get(), labels_);
  for (const LayoutRow& c : kFrameControls)
    CreateControl(hwnd_, c, c.id == kProductNotice, fonts_.Default.Get());
  for (const LabelLook& look : kFrameLooks) labels_.Add(look);
  optionsPage_.Create(hwnd_, fonts_, labels_);
  for (const LayoutRow& c : kStripControls) CreateControl(hwnd_, c, false, fonts_.Default.Get());
  uninstallPanel_.Create(hwnd_, fonts_);
  background_ = std::make_unique<TGIFImage>(hwnd_);
  LayoutPanel(kClientHeight);
  background_->LoadFromData(stored_.background.data(), stored_.background.size());
}

void MainWindow::ShowMessage(const std::string& text) const {
  ShowBox(IsWindowVisible(hwnd_) ? hwnd_ : nullptr, text, Application::Title, MB_OK);
}

void MainWindow::EndProgram(int exitCode) {
  quitRequested_ = true;
  exitCode_ = exitCode;
  PostQuitMessage(exitCode);
}

// ---- Start-up ----

void MainWindow::OnCreate() {
  CreateControls();
  // A folder value of the wrong type is reported and taken as unknown.
  for (const std::string& problem : ReadShellFolders(folders_)) ShowMessage(problem);
  if (StartUninstallMode()) return;
  if (ColorDepth() <= 8) labels_.Find(kProductNotice)->Font.Color = kFuchsia;
  Application::Title = "Setup";
  const std::string& script = Application::Package.script;
  TPrivateProfile source(script);
  std::string why;
  switch (CheckInstallStart(script, source, setupRec_, why)) {
    case InstallStart::ScriptMissing:
      MessageBeep(0);
      ShowMessage(
          "Error - setup.ini File Missing!\r\nMake sure all files are extracted to disk.\r\n"
          "Setup Aborted!");
      EndProgram(0);
      return;
    case InstallStart::BadScript:
      RefuseToStart(why);
      return;
    case InstallStart::AppRunning:
      ShowRunningMessage("");
      return;
    case InstallStart::Ready:
      break;
  }
  const TRunSwitches switches = ParseSwitches(Narrow(GetCommandLineW()));
  scope_ = ScopeOf(setupRec_, switches.CurrentUser, switches.AllUsers);
  PresetInstallPages();
}

bool MainWindow::StartUninstallMode() {
  if (!IsUninstallArgument(SplitCommandLine(Narrow(GetCommandLineW())), uninstallName_))
    return false;
  switch (CheckRemovalStart(uninstallName_)) {
    case RemovalStart::InvalidName:
      RefuseToStart("Invalid argument \"/u:" + uninstallName_ +
                    "\": it names no application.\r\nNothing was removed.");
      return true;
    case RemovalStart::AppRunning:
      ShowRunningMessage("un");
      return true;
    case RemovalStart::Ready:
      break;
  }
  uninstallMode_ = true;
  ShowWindow(Control(kProductNotice), SW_HIDE);
  startPage_.Hide();
  SetText(hwnd_, "Uninstall " + uninstallName_);
  // Without the stored bitmap the panel keeps its plain face; its buttons
  // still work.
  uninstallPanel_.Prepare(uninstallName_, stored_.uninstallBitmap.FileName());
  return true;
}

void MainWindow::RefuseToStart(const std::string& text) {
  ShowMessage(text);
  EndProgram(1);
}

void MainWindow::ShowRunningMessage(const std::string& prefix) {
  ShowMessage("The Application you are attempting to\r\n" + prefix +
              "install is active. Please close all instances" + "\r\n" + "and try again.");
  EndProgram(0);
}

void MainWindow::PresetInstallPages() {
  // Over an earlier installation, its place is the default.
  setupRec_.InstPath = ShortString(DefaultInstallPath(setupRec_, scope_, folders_));
  SetText(hwnd_, ShortString("Setup [" + setupRec_.AppName + "]"));
  startPage_.SetWelcome(setupRec_.AppName, ColorDepth() <= 8 ? kFuchsia : kOrange);
  optionsPage_.Preset(setupRec_, folders_, scope_);
}

// ---- Pages and navigation ----

void MainWindow::FirstShown() {
  LicenseStep();
  keyPreview_ = true;
  startPage_.ShowProceedLine();
}

void MainWindow::LicenseStep() {
  const std::string path = Application::Package.licence;
  if (uninstallMode_ || path.empty() || !PathExists(path)) return;
  std::string text;
  if (!licenseWindow_ || !ReadWholeFile(path, text)) {
    ShowMessage("Can not load license.txt!");
    return;
  }
  licenseWindow_->SetText(LicenceText(text));
  if (licenseWindow_->ShowModal(hwnd_) != IDOK) EndProgram(0);
}

void MainWindow::ShowOptionsPage() {
  keyPreview_ = false;
  startPage_.Hide();
  RECT r{0, 0, kClientWidth, kOptionsClientHeight};
  AdjustWindowRectEx(&r, GetWindowLongW(hwnd_, GWL_STYLE), FALSE,
                     GetWindowLongW(hwnd_, GWL_EXSTYLE));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  onOptionsPage_ = true;
  LayoutPanel(kOptionsClientHeight);
  ShowControls(hwnd_, {kCancelButton, kSetupButton, kStripProgress}, true);
  optionsPage_.SetVisible(true);
  SetFocus(Control(kSetupButton));
}

void MainWindow::CancelAction() {
  ShowMessage("Setup cancelled!");
  // While files are installed the sequence stops after the file in hand,
  // saves its log and closes the window itself.
  if (installer_) {
    installer_->Cancel();
    return;
  }
  DestroyWindow(hwnd_);
}

bool MainWindow::PreviewKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
    return false;
  if (keyPreview_ && msg.wParam == VK_ESCAPE) {
    CancelAction();
    return true;
  }
  if (onOptionsPage_ && !busy_ && msg.wParam == VK_RETURN) {
    // Enter presses the focused button; elsewhere Setup, the default button.
    // As in a dialog, the press is a command: the focus stays where it is.
    HWND focus = GetFocus();
    HWND button = IsPushButton(focus) && IsChild(hwnd_, focus) ? focus : Control(kSetupButton);
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
  }
  return false;
}

void MainWindow::TakeMessage(MSG& msg) {
  if (PreviewKey(msg)) return;
  if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) return;  // Tab, Shift+Tab, Space
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void MainWindow::OnCommand(int id, int code) {
  if (WelcomePage::IsProceedClick(id, code)) ShowOptionsPage();
  if (optionsPage_.HandleCommand(id, code) || code != BN_CLICKED) return;
  if (id == kCancelButton) CancelAction();
  if (id == kSetupButton) SetupClicked();
  if (id == kProceedButton && !busy_) UninstallClicked();
  if (id == kAbortButton) EndProgram(0);
}

void MainWindow::SetupClicked() {
  if (busy_) return;  // a second press while installing does nothing
  TInstallOptions options = PackageOptions(Application::Package, folders_, scope_);
  optionsPage_.Capture(options);
  options.ToolPath = stored_.unzipTool.FileName();
  options.Fast = setupRec_.FastInstall;  // the script may opt in to the fast road
  options.Rollback = setupRec_.Rollback;
  WindowPrompts prompts(hwnd_);
  int quitCode = -1;
  WindowProgress progress(
      Control(kStatusLabel), Control(kFileProgress), [this](MSG& m) { TakeMessage(m); },
      [&](int code) {
        quitCode = code;  // a quit request stops the installation like Cancel
        if (installer_) installer_->Cancel();
      });
  TInstaller installer(setupRec_, options, log_, prompts, progress);
  if (!installer.CheckDestination()) return;

  busy_ = true;
  installer_ = &installer;
  // However Run ends: an error leaves the window open, and Cancel must then
  // close it rather than reach the installer that has gone.
  struct Forget {
    TInstaller*& installer;
    ~Forget() { installer = nullptr; }
  } forget{installer_};
  optionsPage_.SetVisible(false);
  ShowControls(hwnd_, {kStatusLabel, kFileProgress}, true);
  UpdateWindow(hwnd_);
  try {
    installer.Run();
  } catch (const EEndProgram& end) {
    EndProgram(end.exitCode);  // the stored files go with the window
    return;
  }
  if (quitCode >= 0) exitCode_ = quitCode;
  DestroyWindow(hwnd_);
}

void MainWindow::UninstallClicked() {
  busy_ = true;  // one removal per run
  auto show = [this](const char* text) {
    uninstallPanel_.ShowProgress(text);
    Sleep(200);
  };
  ShowMessage(RemovalMessage(RemoveApplication(uninstallName_, ProgramDir(), show)));
  EndProgram(0);
}

// ---- Painting ----

void MainWindow::LayoutPanel(int clientHeight) {
  const int panel = clientHeight - (clientHeight > kClientHeight ? kStripHeight : 0);
  background_->SetBounds(3, 3, kClientWidth - 6, panel - 6);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::PaintBackdrop(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const bool strip = onOptionsPage_ || client.bottom > kClientHeight;
  RECT panel{0, 0, client.right, client.bottom - (strip ? kStripHeight : 0)};
  Bevel(dc, panel, BDR_RAISEDOUTER, BDR_SUNKENINNER, 2);  // one pixel of edge, one of border
  if (strip)
    Bevel(dc, RECT{0, panel.bottom, client.right, client.bottom}, BDR_RAISEDOUTER, BDR_SUNKENINNER,
          1);
  background_->PaintMessage(dc);
  if (!uninstallMode_) {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    DrawIconEx(dc, 40, 200, icon, 32, 32, 0, nullptr, DI_NORMAL);
  }
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT r; labels_.Paint(
          hwnd_, msg, lp, [this](HDC dc) { PaintBackdrop(dc); }, r))
    return r;
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_APP_FIRSTSHOWN:
      FirstShown();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      // Check boxes show only their box, over the picture: the control's
      // margin around the box is painted with what lies behind it.
      const auto dc = reinterpret_cast<HDC>(wp);
      const auto control = reinterpret_cast<HWND>(lp);
      if (ButtonType(control) == BS_AUTOCHECKBOX) {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        POINT origin;
        OffsetViewportOrgEx(dc, -r.left, -r.top, &origin);
        PaintBackdrop(dc);
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
      }
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_ACTIVATE:
      // As in a dialog, the control that had the focus when a message box or
      // the directory picker took over gets it back.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing while files are installed is Cancel; the sequence then ends.
      if (installer_)
        CancelAction();
      else
        DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(exitCode_);
      return 0;
  }
  return Default(msg, wp, lp);
}
