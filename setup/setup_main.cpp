// The main window: stored form, controls, and the start-up of both modes.
#include "setup/setup_main.hpp"

#include <commctrl.h>

#include "filestore/compress_stream.hpp"
#include "setup/application.hpp"
#include "setup/command_line.hpp"
#include "setup/control_ids.hpp"
#include "setup/directory_picker.hpp"
#include "setup/setup_script.hpp"
#include "setup/show_license.hpp"
#include "setup/start_up.hpp"
#include "shell/shell_folders.hpp"

TForm1::TForm1() { LoadStoredForm(); }

TForm1::~TForm1() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (uninstallBitmap_) DeleteObject(uninstallBitmap_);
}

void TForm1::LoadStoredForm() {
  HMODULE self = GetModuleHandleA(nullptr);
  FileSource1.SetCompress(true);
  FileSource1.SetDisplayLabel("UnZip");
  FileSource1.SetExtension(".exe");
  FileSource1.LoadFromResource(self, "FILESOURCE1");

  imgzip3.SetCompress(true);
  imgzip3.SetExtension(".bmp");
  imgzip3.LoadFromResource(self, "IMGZIP3");

  // The picture travels as a 4-byte length and the GIF bytes.
  HRSRC res = FindResourceA(self, "GIFIMAGE1", MAKEINTRESOURCEA(10));
  HGLOBAL mem = res ? LoadResource(self, res) : nullptr;
  if (const void* data = mem ? LockResource(mem) : nullptr) {
    filestore::MemoryReader in(data, SizeofResource(self, res));
    filestore::VectorWriter out;
    filestore::DecodePlain(in, out);
    GIFImage1Data = out.Data();
  }
}

bool TForm1::Create() {
  // Fixed dialog border, no caption buttons, centred on the screen.
  return CreateFramed("TForm1", Application::Title.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, -1, -1,
                      kClientWidth, kClientHeight);
}

std::string TForm1::GetText(int id) const {
  char buf[1024] = {};
  GetWindowTextA(Control(id), buf, sizeof buf);
  return buf;
}

void TForm1::SetChecked(int id, bool on) const {
  SendMessageA(Control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TForm1::ShowMessage(const std::string& text) const {
  MessageBoxA(IsWindowVisible(hwnd_) ? hwnd_ : nullptr, text.c_str(), Application::Title.c_str(),
              MB_OK);
}

void TForm1::ShowRunningMessage(const std::string& prefix) {
  ShowMessage("The Application you are attempting to\r\n" + prefix +
              "install is active. Please close all instances" + "\r\n" + "and try again.");
  // Ends at once; the stored files still go, as at any end of the program.
  FileSource1.SetFileName("");
  imgzip3.SetFileName("");
  ExitProcess(0);
}

void TForm1::RefuseToStart(const std::string& text) {
  ShowMessage(text);
  quitRequested_ = true;
  PostQuitMessage(1);
}

bool TForm1::DetectUninstallMode() {
  if (!IsUninstallArgument(SplitCommandLine(GetCommandLineA()), UninstallName)) return false;
  // "/u:" alone would name the whole Uninstall key, every program's entry.
  if (IsValidAppName(UninstallName))
    PrepareUninstallPanel();
  else
    RefuseToStart("Invalid argument \"/u:" + UninstallName +
                  "\": it names no application.\r\nNothing was removed.");
  return true;
}

void TForm1::PrepareUninstallPanel() {
  if (AppIsRunning(UninstallName)) ShowRunningMessage("un");
  uninstallMode_ = true;
  ShowWindow(Control(ids::CopyRight2), SW_HIDE);
  SetWindowTextA(hwnd_, ("Uninstall " + UninstallName).c_str());
  HWND panel = Control(ids::plUninst);
  SetWindowTextA(GetDlgItem(panel, ids::uninst2), UninstallName.c_str());
  ShowWindow(Control(ids::lbWelcome), SW_HIDE);
  ShowWindow(Control(ids::lbPassword), SW_HIDE);
  ShowWindow(panel, SW_SHOW);
  // Without the stored bitmap the panel keeps its plain face; its buttons
  // still work.
  const std::string bmp = imgzip3.FileName();
  if (!bmp.empty())
    uninstallBitmap_ = static_cast<HBITMAP>(
        LoadImageA(nullptr, bmp.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

void TForm1::FormCreate() {
  CreateControls();
  // A folder value of the wrong type is reported and taken as unknown.
  for (const std::string& problem : ReadShellFolders()) ShowMessage(problem);
  EnableWindow(Control(ids::QuickLaunchBox), !QuickLaunchDir.empty());
  if (DetectUninstallMode()) return;

  if (ColorDepth() <= 8) {
    SetLabelColor(ids::lbWelcome, RGB(255, 0, 255));
    SetLabelColor(ids::CopyRight2, RGB(255, 0, 255));
  }
  Application::Title = "Setup";
  const std::string script = ProgramDir() + "setup.ini";
  if (GetFileAttributesA(script.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBeep(0);
    ShowMessage(
        "Error - setup.ini File Missing!\r\nMake sure all files are extracted to disk.\r\n"
        "Setup Aborted!");
    quitRequested_ = true;
    PostQuitMessage(0);
    return;
  }
  ReadSetupRec(SetupRec, script);
  // The name becomes registry keys that a later removal deletes whole.
  if (!IsValidAppName(SetupRec.AppName)) {
    RefuseToStart("Setup script error: AppName is missing or invalid.");
    return;
  }
  if (AppIsRunning(SetupRec.AppName)) ShowRunningMessage("");
  PresetInstallPage();
}

void TForm1::PresetInstallPage() {
  ReplaceMacro(SetupRec.InstPath, kShortStringMax, "<program files>", ProgramFilesDir);
  SetWindowTextA(hwnd_, ShortString("Setup [" + SetupRec.AppName + "]").c_str());
  SetText(ids::lbWelcome, ShortString("Welcome\r\nto\r\n" + SetupRec.AppName + "\r\nsetup"));
  FitWelcomeLabel();
  SetText(ids::edPath, SetupRec.InstPath);
  SetText(ids::edFolder, SetupRec.FolderName);
  SetChecked(ids::StartBox, SetupRec.RunOnStart);
  SetChecked(ids::DeskTopBox, SetupRec.OnDesktop);
  SetChecked(ids::QuickLaunchBox, SetupRec.OnQuickLaunch);
  SetChecked(ids::SendToBox, SetupRec.OnStartMenu);
  SetChecked(ids::cbAllUsers, true);
  FillFolderList();
}

void TForm1::FillFolderList() {
  std::vector<std::string> names;
  ListSubDirs(ProgramsDir, names);
  ListSubDirs(CommonProgramsDir, names);
  SortUnique(names);
  HWND list = Control(ids::FolderList);
  for (const std::string& name : names)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_APP_FIRSTSHOWN:
      FirstShown();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintBackdrop(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_DRAWITEM:
      DrawItem(hwnd_, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      // Check boxes show only their box: give them the picture's colour
      // around it rather than a grey square.
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return Default(msg, wp, lp);
}
