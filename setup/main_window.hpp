// The main window: the frame with its background picture, the button strip,
// the pages and the navigation between them, the start-up of both modes,
// and the installation and removal behind its buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/install_log.hpp"
#include "engine/setup_rec.hpp"
#include "setup/controls.hpp"
#include "setup/options_page.hpp"
#include "setup/stored_form.hpp"
#include "setup/uninstall_panel.hpp"
#include "setup/welcome_page.hpp"
#include "widgets/base_window.hpp"
#include "widgets/gif_image.hpp"

class LicenseWindow;
class TInstaller;

// Posted once the main window is first shown.
constexpr UINT WM_APP_FIRSTSHOWN = WM_APP + 1;

inline constexpr int kClientWidth = 410;
inline constexpr int kClientHeight = 297;
inline constexpr int kOptionsClientHeight = 344;

class MainWindow : public BaseWindow<MainWindow> {
 public:
  // The window goes before its pages, labels and fonts do.
  ~MainWindow() override;
  bool Create();
  void SetLicenseWindow(LicenseWindow* window) { licenseWindow_ = window; }
  // True once start-up asked the program to quit (no window is shown then).
  bool QuitRequested() const { return quitRequested_; }
  // Takes one message as the message loop does: the keys the window handles
  // itself, dialog keys (Tab, Space), then the usual dispatch.
  void TakeMessage(MSG& msg);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend class BaseWindow<MainWindow>;
  void CreateControls();
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  void ShowMessage(const std::string& text) const;
  void EndProgram(int exitCode);

  // Start-up.
  void OnCreate();
  bool StartUninstallMode();
  void RefuseToStart(const std::string& text);
  void ShowRunningMessage(const std::string& prefix);
  void PresetInstallPages();

  // Pages and navigation.
  void FirstShown();
  void LicenseStep();
  void ShowOptionsPage();
  void CancelAction();
  bool PreviewKey(const MSG& msg);
  void OnCommand(int id, int code);
  void SetupClicked();
  void UninstallClicked();

  // Painting of the frame.
  void LayoutPanel(int clientHeight);
  void PaintBackdrop(HDC dc);

  // Loads first (writes the stored files out); throws what the stored-file
  // components throw, and then no window exists.
  StoredForm stored_;
  std::unique_ptr<TGIFImage> background_;
  TSetupRec setupRec_;
  TShellFolders folders_;
  InstallScope scope_ = InstallScope::Machine;
  std::string uninstallName_;
  TInstallLog log_;

  Fonts fonts_;
  LabelLayer labels_;
  WelcomePage startPage_;
  OptionsPage optionsPage_;
  UninstallPanel uninstallPanel_;
  LicenseWindow* licenseWindow_ = nullptr;

  bool keyPreview_ = false;
  bool onOptionsPage_ = false;
  bool uninstallMode_ = false;
  bool busy_ = false;                // installing or removing
  TInstaller* installer_ = nullptr;  // while the installation runs
  HWND lastFocus_ = nullptr;         // focus to give back on reactivation
  bool quitRequested_ = false;
  int exitCode_ = 0;
};
