// The Setup button: destination checks, then the installation with the
// window as its prompts and progress.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "engine/install_sequence.hpp"
#include "setup/application.hpp"
#include "setup/control_ids.hpp"
#include "setup/setup_main.hpp"
#include "setup/warning_box.hpp"

namespace {

class WindowPrompts : public TPrompts {
 public:
  explicit WindowPrompts(HWND owner) : owner_(owner) {}
  void Message(const std::string& text) override {
    MessageBoxA(owner_, text.c_str(), Application::Title.c_str(), MB_OK);
  }
  Answer Question(const std::string& text) override {
    const int r = MessageBoxA(owner_, text.c_str(), "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION);
    return r == IDYES ? Yes : r == IDNO ? No : Cancel;
  }
  Answer AbortOrIgnore(const std::string& text) override {
    return AbortIgnoreBox(owner_, text, "Warning") == IDABORT ? Abort : Ignore;
  }

 private:
  HWND owner_;
};

class WindowProgress : public TProgress {
 public:
  WindowProgress(HWND status, HWND bar, TForm1& form) : status_(status), bar_(bar), form_(form) {}
  void Status(const std::string& text) override {
    SetWindowTextA(status_, text.c_str());
    UpdateWindow(status_);
  }
  void FileProgress(int percent) override { SendMessageA(bar_, PBM_SETPOS, percent, 0); }
  void ProcessPendingInput() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (form_.PreviewKey(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

 private:
  HWND status_, bar_;
  TForm1& form_;
};

}  // namespace

void TForm1::btnSetupClick() {
  if (installing_) return;  // a second press while installing does nothing
  auto checked = [this](int id) {
    return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  TInstallOptions opt;
  opt.InstPath = GetText(ids::edPath);
  opt.Folder = GetText(ids::edFolder);
  opt.StartUp = checked(ids::StartBox);
  opt.Desktop = checked(ids::DeskTopBox);
  opt.SendTo = checked(ids::SendToBox);
  opt.QuickLaunch = checked(ids::QuickLaunchBox);
  opt.AllUsers = checked(ids::cbAllUsers);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  opt.ProgramPath = self;
  opt.ToolPath = FileSource1.FileName();

  WindowPrompts prompts(hwnd_);
  WindowProgress progress(Control(ids::lbStatus), Control(ids::ProgressBar2), *this);
  TInstaller installer(SetupRec, opt, log_, prompts, progress);
  if (!installer.CheckDestination()) return;

  installing_ = true;
  installer_ = &installer;
  SetOptionsPageVisible(false);
  ShowWindow(Control(ids::lbStatus), SW_SHOW);
  ShowWindow(Control(ids::ProgressBar2), SW_SHOW);
  UpdateWindow(hwnd_);
  try {
    installer.Run();
  } catch (const EEndProgram& end) {
    FileSource1.SetFileName("");
    imgzip3.SetFileName("");
    ExitProcess(static_cast<UINT>(end.exitCode));
  }
  installer_ = nullptr;
  DestroyWindow(hwnd_);
}
