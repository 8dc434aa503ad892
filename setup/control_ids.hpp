// Control ids of the main window, shared with the tests that drive it.
#pragma once

namespace ids {
enum : int {
  lbWelcome = 100,
  lbPassword,
  lbPath,
  edPath,
  btnDir,
  lbFolder,
  edFolder,
  FolderList,
  lbShortCuts,
  cbAllUsers,
  lbAllUsers,
  Shape1,
  StartBox,
  lbWinStart,
  QuickLaunchBox,
  lbQuickLaunch,
  DeskTopBox,
  lbDesktop,
  SendToBox,
  lbStartMenu,
  Panel1,
  btnCancel,
  btnSetup,
  ProgressBar1,
  plUninst,
  uninst1,
  uninst2,
  uninst3,
  uninst4,
};
}  // namespace ids
