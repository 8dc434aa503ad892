// The options page.
#include "setup/options_page.hpp"
#include "widgets/window_text.hpp"

#include "setup/control_ids.hpp"
#include "setup/directory_picker.hpp"
#include "setup/start_up.hpp"
#include "shell/shell_folders.hpp"

namespace {

using namespace ids;

const LayoutRow kControls[] = {
    {kPathLabel, "STATIC", "Installation Path:", kLabelStyle, 121, 19, 130, 15},
    {kPathEdit, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 121, 35, 253, 21},
    {kBrowseButton, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, 374, 35, 20, 21},
    {kFolderLabel, "STATIC", "Program Folder:", kLabelStyle, 121, 65, 130, 15},
    {kFolderEdit, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 121, 81, 273, 21},
    {kFolderList, "LISTBOX", "", LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL, 121, 102,
     273, 89},
    {kShortcutsLabel, "STATIC", "Short Cuts:", kLabelStyle, 121, 199, 66, 15},
    {kAllUsersBox, "BUTTON", "", kCheckBoxStyle, 188, 197, 15, 17},
    {kAllUsersLabel, "STATIC", "Install for all users", kLabelStyle, 207, 199, 150, 15},
    {kShortcutFrame, "STATIC", "", SS_OWNERDRAW, 120, 216, 274, 68},
    {kStartUpBox, "BUTTON", "", kCheckBoxStyle, 138, 229, 15, 17},
    {kStartUpLabel, "STATIC", "Windows Start Up", kLabelStyle, 155, 231, 102, 15},
    {kQuickLaunchBox, "BUTTON", "", kCheckBoxStyle, 266, 229, 15, 17},
    {kQuickLaunchLabel, "STATIC", "Quick Launch Bar", kLabelStyle, 285, 231, 105, 15},
    {kDesktopBox, "BUTTON", "", kCheckBoxStyle, 138, 258, 15, 17},
    {kDesktopLabel, "STATIC", "Place On Desktop", kLabelStyle, 155, 259, 102, 15},
    {kSendToBox, "BUTTON", "", kCheckBoxStyle, 266, 258, 15, 17},
    {kSendToLabel, "STATIC", "Start Menu", kLabelStyle, 285, 259, 105, 15},
};

const std::vector<int> kLabels = {kPathLabel,    kFolderLabel,      kShortcutsLabel, kAllUsersLabel,
                                  kStartUpLabel, kQuickLaunchLabel, kDesktopLabel,   kSendToLabel};

LabelLook Navy(int id, TAlignment align = TAlignment::taLeftJustify) {
  return {id, false, TTextStyle::tsNone, 12, false, kNavy, align};
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Check(HWND box, bool on) {
  SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

void OptionsPage::Create(HWND parent, Fonts& fonts, LabelLayer& labels) {
  parent_ = parent;
  for (const LayoutRow& c : kControls)
    CreateControl(parent, c, false,
                  c.id == kBrowseButton ? fonts.BoldArial(15) : fonts.Default.Get());
  for (int id : kLabels)
    labels.Add(Navy(id, id == kStartUpLabel || id == kDesktopLabel ? TAlignment::taRightJustify
                                                                   : TAlignment::taLeftJustify));
  labels.AddFrame(kShortcutFrame);
  labels.FitToText(parent, kLabels);
}

void OptionsPage::Preset(const TSetupRec& rec, const TShellFolders& folders, InstallScope scope) {
  SetText(Control(kPathEdit), rec.InstPath);
  SetText(Control(kFolderEdit), rec.FolderName);
  Check(Control(kStartUpBox), rec.RunOnStart);
  Check(Control(kDesktopBox), rec.OnDesktop);
  Check(Control(kQuickLaunchBox), rec.OnQuickLaunch);
  Check(Control(kSendToBox), rec.OnStartMenu);
  // An install for the current user alone makes no shortcuts for others.
  const bool machine = scope == InstallScope::Machine;
  Check(Control(kAllUsersBox), machine);
  EnableWindow(Control(kAllUsersBox), machine);
  EnableWindow(Control(kQuickLaunchBox), !folders.QuickLaunchDir.empty());
  std::vector<std::string> names;
  ListSubDirs(folders.ProgramsDir, names);
  if (machine) ListSubDirs(folders.CommonProgramsDir, names);
  SortUnique(names);
  for (const std::string& name : names)
    SendMessageW(Control(kFolderList), LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Wide(name).c_str()));
}

void OptionsPage::SetVisible(bool visible) {
  std::vector<int> all;
  for (const LayoutRow& c : kControls) all.push_back(c.id);
  ShowControls(parent_, all, visible);
}

void OptionsPage::Capture(TInstallOptions& options) const {
  options.InstPath = ControlText(Control(kPathEdit));
  options.Folder = ControlText(Control(kFolderEdit));
  options.StartUp = Checked(Control(kStartUpBox));
  options.Desktop = Checked(Control(kDesktopBox));
  options.SendTo = Checked(Control(kSendToBox));
  options.QuickLaunch = Checked(Control(kQuickLaunchBox));
  options.AllUsers = Checked(Control(kAllUsersBox));
}

bool OptionsPage::HandleCommand(int id, int code) {
  if (id != kBrowseButton || code != BN_CLICKED) return false;
  std::string chosen;
  if (DirectoryPicker::Choose(parent_, ControlText(Control(kPathEdit)), chosen))
    SetText(Control(kPathEdit), chosen);
  return true;
}
