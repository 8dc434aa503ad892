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

namespace {

enum Page { kStart, kOptions, kStrip, kUninst };

struct ControlSpec {
  int id;
  const char* cls;
  const char* text;
  DWORD style;
  int x, y, w, h;
  Page page;
};

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kBox = BS_AUTOCHECKBOX | WS_TABSTOP;

// The wizard's controls; start-page controls are visible at first.
const ControlSpec kControls[] = {
    {ids::lbWelcome, "STATIC", "", SS_CENTER | SS_NOPREFIX, 135, 37, 142, 160, kStart},
    {ids::lbPassword, "STATIC", "", SS_CENTER | SS_NOTIFY, 0, 244, 411, 14, kStart},
    {ids::lbPath, "STATIC", "Installation Path:", kLabel, 121, 19, 120, 14, kOptions},
    {ids::edPath, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 121, 35, 253, 21, kOptions},
    {ids::btnDir, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 374, 35, 20, 21, kOptions},
    {ids::lbFolder, "STATIC", "Program Folder:", kLabel, 121, 65, 120, 14, kOptions},
    {ids::edFolder, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 121, 81, 273, 21,
     kOptions},
    {ids::FolderList, "LISTBOX", "", LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL, 121,
     102, 273, 89, kOptions},
    {ids::lbShortCuts, "STATIC", "Short Cuts:", kLabel, 121, 199, 70, 14, kOptions},
    {ids::cbAllUsers, "BUTTON", "", kBox, 188, 197, 15, 17, kOptions},
    {ids::lbAllUsers, "STATIC", "Install for all users", kLabel, 207, 199, 150, 14, kOptions},
    {ids::Shape1, "STATIC", "", SS_ETCHEDFRAME, 120, 216, 274, 68, kOptions},
    {ids::StartBox, "BUTTON", "", kBox, 138, 229, 15, 17, kOptions},
    {ids::lbWinStart, "STATIC", "Windows Start Up", SS_RIGHT | SS_NOPREFIX, 155, 231, 102, 14,
     kOptions},
    {ids::QuickLaunchBox, "BUTTON", "", kBox, 266, 229, 15, 17, kOptions},
    {ids::lbQuickLaunch, "STATIC", "Quick Launch Bar", kLabel, 285, 231, 105, 14, kOptions},
    {ids::DeskTopBox, "BUTTON", "", kBox, 138, 258, 15, 17, kOptions},
    {ids::lbDesktop, "STATIC", "Place On Desktop", SS_RIGHT | SS_NOPREFIX, 155, 259, 102, 14,
     kOptions},
    {ids::SendToBox, "BUTTON", "", kBox, 266, 258, 15, 17, kOptions},
    {ids::lbStartMenu, "STATIC", "Start Menu", kLabel, 285, 259, 105, 14, kOptions},
    {ids::btnCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 188, 305, 75, 25, kStrip},
    {ids::btnSetup, "BUTTON", "Setup", BS_DEFPUSHBUTTON | WS_TABSTOP, 276, 305, 75, 25, kStrip},
    {ids::ProgressBar1, PROGRESS_CLASSA, "", 0, 16, 311, 151, 13, kStrip},
};

// Children of the uninstall panel, positioned inside it.
const ControlSpec kUninstControls[] = {
    {ids::uninst1, "STATIC", "Uninstall", kLabel, 161, 77, 90, 20, kUninst},
    {ids::uninst2, "STATIC", "", SS_CENTER | SS_NOPREFIX, 0, 109, 405, 37, kUninst},
    {ids::uninst3, "TPanelButton", "Proceed", 0, 104, 218, 87, 25, kUninst},
    {ids::uninst4, "TPanelButton", "Abort", 0, 214, 218, 87, 25, kUninst},
};

HWND CreateChild(HWND parent, const ControlSpec& c, bool visible, HFONT font) {
  HWND h = CreateWindowExA(0, c.cls, c.text, WS_CHILD | (visible ? WS_VISIBLE : 0) | c.style, c.x,
                           c.y, c.w, c.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

}  // namespace

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

namespace {

void RegisterChildClass(const char* name, WNDPROC proc) {
  WNDCLASSEXA wc{};
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (GetClassInfoExA(inst, name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

}  // namespace

void TForm1::CreateControls() {
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& c : kControls) CreateChild(hwnd_, c, c.page == kStart, font_);

  HINSTANCE inst = GetModuleHandleA(nullptr);
  RegisterChildClass("TUninstPanel", UninstPanelProc);
  RegisterChildClass("TPanelButton", PanelButtonProc);
  HWND panel = CreateWindowExA(0, "TUninstPanel", "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 405,
                               kClientHeight, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::plUninst)), inst,
                               nullptr);
  SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  for (const ControlSpec& c : kUninstControls) {
    HWND h = CreateChild(panel, c, true, font_);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
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

bool TForm1::DetectUninstallMode() {
  const bool uninstall = IsUninstallArgument(SplitCommandLine(GetCommandLineA()), UninstallName);
  if (uninstall) PrepareUninstallPanel();
  return uninstall;
}

void TForm1::PrepareUninstallPanel() {
  if (AppIsRunning(UninstallName)) ShowRunningMessage("un");
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
  ReadShellFolders();
  EnableWindow(Control(ids::QuickLaunchBox), !QuickLaunchDir.empty());
  if (DetectUninstallMode()) return;

  if (ColorDepth() <= 8) welcomeColor_ = RGB(255, 0, 255);
  Application::Title = "Setup";
  const std::string script = ProgramDir() + "setup.ini";
  if (GetFileAttributesA(script.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBeep(0);
    ShowMessage(
        "Error - setup.ini File Missing!\r\nMake sure all files are extracted to disk.\r\n"
        "Setup Aborted!");
    quitRequested_ = true;
    PostQuitMessage(0);
  } else {
    ReadSetupRec(SetupRec, script);
  }
  if (AppIsRunning(SetupRec.AppName)) ShowRunningMessage("");
  PresetInstallPage();
}

void TForm1::PresetInstallPage() {
  ReplaceMacro(SetupRec.InstPath, kShortStringMax, "<program files>", ProgramFilesDir);
  SetWindowTextA(hwnd_, ShortString("Setup [" + SetupRec.AppName + "]").c_str());
  SetText(ids::lbWelcome, ShortString("Welcome\r\nto\r\n" + SetupRec.AppName + "\r\nsetup"));
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

LRESULT CALLBACK TForm1::UninstPanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_PAINT && form) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (form->uninstallBitmap_) {
      // Image3: the stored bitmap stretched over the whole panel.
      BITMAP bm;
      GetObject(form->uninstallBitmap_, sizeof bm, &bm);
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, form->uninstallBitmap_);
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    } else {
      FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
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
    case WM_CTLCOLORSTATIC:
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == ids::lbWelcome) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, welcomeColor_);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return Default(msg, wp, lp);
}
