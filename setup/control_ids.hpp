// Control ids of the main window, its uninstall panel and the licence
// window, shared with the tests that drive them. Each comment gives the
// control's name in the layout tables.
#pragma once

namespace ids {
enum : int {
  kWelcomeLabel = 100,  // lbWelcome
  kProceedLine,         // lbPassword
  kPathLabel,           // lbPath
  kPathEdit,            // edPath
  kBrowseButton,        // btnDir
  kFolderLabel,         // lbFolder
  kFolderEdit,          // edFolder
  kFolderList,          // FolderList
  kShortcutsLabel,      // lbShortCuts
  kAllUsersBox,         // cbAllUsers
  kAllUsersLabel,       // lbAllUsers
  kShortcutFrame,       // Shape1
  kStartUpBox,          // StartBox
  kStartUpLabel,        // lbWinStart
  kQuickLaunchBox,      // QuickLaunchBox
  kQuickLaunchLabel,    // lbQuickLaunch
  kDesktopBox,          // DeskTopBox
  kDesktopLabel,        // lbDesktop
  kSendToBox,           // SendToBox
  kSendToLabel,         // lbStartMenu
  kButtonStrip,         // Panel1 (painted by the main window, not a window)
  kCancelButton,        // btnCancel
  kSetupButton,         // btnSetup
  kStripProgress,       // ProgressBar1
  kUninstallPanel,      // plUninst
  kUninstallTitle,      // uninst1
  kUninstallStatus,     // uninst2
  kProceedButton,       // uninst3
  kAbortButton,         // uninst4
  kStatusLabel,         // lbStatus
  kProductNotice,       // CopyRight2
  kRemovalWarning,      // EmbossLabel1
  kPanelNotice,         // copyright1
  kFileProgress,        // ProgressBar2
  kLicenseText = 200,   // Memo1 of the licence window
};
}  // namespace ids
