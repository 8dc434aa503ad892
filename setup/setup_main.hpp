// TForm1: the main window. Owns the stored files, the setup record and the
// wizard's controls; its creation runs the start-up.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "filestore/file_source.hpp"
#include "setup/base_window.hpp"
#include "engine/install_log.hpp"
#include "engine/setup_rec.hpp"
#include "widgets/gif_image.hpp"
#include "widgets/labels.hpp"

class TForm2;
class TInstaller;

// Posted once the main window is first shown.
constexpr UINT WM_APP_FIRSTSHOWN = WM_APP + 1;

class TForm1 : public BaseWindow<TForm1> {
 public:
  // Loads the stored form (writes the stored files out); throws what the
  // stored-file components throw, and then no window exists.
  TForm1();
  ~TForm1() override;
  bool Create();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // True once start-up asked the program to quit (no window is shown then).
  bool QuitRequested() const { return quitRequested_; }
  void SetLicenseWindow(TForm2* form2) { form2_ = form2; }
  // Handles a key before the focused control does: Escape while key preview
  // is on, Enter on the options page. True when the key was used.
  bool PreviewKey(const MSG& msg);

  filestore::TFileSource FileSource1{"FileSource1"};  // the unzip tool
  filestore::TFileSource imgzip3{"imgzip3"};          // the uninstall bitmap
  std::vector<uint8_t> GIFImage1Data;                 // the background picture's bytes
  std::unique_ptr<TGIFImage> GIFImage1;
  TSetupRec SetupRec;
  std::string UninstallName;

 private:
  friend class BaseWindow<TForm1>;
  void LoadStoredForm();
  void CreateControls();
  // Painting: the client panel's bevels and picture, the uninstall panel,
  // and the owner-drawn labels over them.
  void LayoutPanel(int clientHeight);
  void PaintBackdrop(HDC dc);
  void PaintUninstBackdrop(HDC dc);
  void DrawItem(HWND parent, const DRAWITEMSTRUCT& dis);
  void SetLabelColor(int id, COLORREF color);
  static void PaintLabel(HDC dc, HWND control, TCustomLabel& label, const RECT& rc);
  void FitWelcomeLabel();
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  void SetText(int id, const std::string& text) const { SetWindowTextA(Control(id), text.c_str()); }
  std::string GetText(int id) const;
  void SetChecked(int id, bool on) const;

  // Start-up, run while the window is created.
  void FormCreate();
  bool DetectUninstallMode();
  void PrepareUninstallPanel();
  void PresetInstallPage();
  void FillFolderList();
  // Shows why the program cannot go on and ends it with exit code 1.
  void RefuseToStart(const std::string& text);
  // Tells the user the application is active and ends the program.
  [[noreturn]] void ShowRunningMessage(const std::string& prefix);
  void ShowMessage(const std::string& text) const;

  // Wizard pages and navigation.
  void FirstShown();
  void LicenseStep();
  void ShowStartPage();
  void ShowOptionsPage();
  void SetOptionsPageVisible(bool visible);
  void CancelAction();
  void btnSetupClick();
  void btnDirClick();
  void OnCommand(int id, int code);
  // The uninstall panel's buttons: hover highlight and clicks.
  void PanelHover(HWND sender);
  void PanelClick(int id);
  void UninstallApplication();

  static LRESULT CALLBACK UninstPanelProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PanelButtonProc(HWND, UINT, WPARAM, LPARAM);

  TForm2* form2_ = nullptr;
  std::string LicensePath;
  bool keyPreview_ = false;
  bool optionsPage_ = false;
  bool cancelled_ = false;
  bool installing_ = false;
  TInstaller* installer_ = nullptr;  // while the installation runs
  TInstallLog log_;
  HWND hotPanel_ = nullptr;
  bool quitRequested_ = false;
  std::map<int, std::unique_ptr<TCustomLabel>> labels_;
  bool uninstallMode_ = false;
  HBITMAP uninstallBitmap_ = nullptr;
  HFONT font_ = nullptr;
};

inline constexpr int kClientWidth = 410;
inline constexpr int kClientHeight = 297;
inline constexpr int kOptionsClientHeight = 344;
