// The options page: installation path (with its directory picker), program
// folder, the shortcut boxes and "Install for all users".
#pragma once

#include <windows.h>

#include "engine/install_sequence.hpp"
#include "engine/setup_rec.hpp"
#include "setup/controls.hpp"

class OptionsPage {
 public:
  void Create(HWND parent, Fonts& fonts, LabelLayer& labels);
  // The script's presets; the Quick Launch box is enabled only when that
  // folder is known; the folder list shows the existing program folders.
  void Preset(const TSetupRec& rec, const TShellFolders& folders, InstallScope scope);
  void SetVisible(bool visible);
  // What the page says, for the installation.
  void Capture(TInstallOptions& options) const;
  // The page's own commands (the "..." button); true when handled.
  bool HandleCommand(int id, int code);

 private:
  HWND Control(int id) const { return GetDlgItem(parent_, id); }
  HWND parent_ = nullptr;
};
