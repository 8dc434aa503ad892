// TShellLink: writes one shortcut (.lnk) file per save from its fields,
// through the platform's shell link object.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "shell/link_rules.hpp"

class EShellLink : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TFileIcon {
  std::string FileName;
  int IconIndex = 0;
};

enum class TLangType { ltFrench, ltEnglish };

enum class TShellFolder {
  sfNone,
  sfDesktop,
  sfFavorites,
  sfFonts,
  sfPersonal,
  sfPrograms,
  sfRecent,
  sfSendTo,
  sfStartMenu,
  sfStartup,
  sfTemplates
};

// The error texts, shared by every instance; the last language set wins.
struct TShellLinkTexts {
  std::string CoCreateInstance, QueryInterface, WriteError, ReadError, NotFound;
};
const TShellLinkTexts& ShellLinkTexts();

class TShellLink {
 public:
  TShellLink();  // resets the shared texts to French

  std::string Target, WorkingDir, Description, Arguments;
  TFileIcon FileIcon;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);
  TLangType LangType() const { return lang_; }
  void SetLangType(TLangType value);
  TWindowState WindowState() const { return WindowStateOf(showCommand_); }
  void SetWindowState(TWindowState state) { showCommand_ = ShowCommandOf(state); }
  int ShowCommand() const { return showCommand_; }
  uint16_t HotKey() const { return HotKeyToShortcut(hotKey_); }
  void SetHotKey(uint16_t shortcut) { hotKey_ = ShortcutToHotKey(shortcut); }
  uint16_t HotKeyWord() const { return hotKey_; }
  TShellFolder ShellFolder() const { return folder_; }
  void SetShellFolder(TShellFolder folder);

  // Writes the link file, replacing one of that name. True when the file
  // was saved; throws EShellLink when the shell link object is missing.
  bool SaveLink();

 private:
  std::string FolderPath() const;

  std::string fileName_;
  TLangType lang_ = TLangType::ltFrench;
  int showCommand_ = 0;
  uint16_t hotKey_ = 0;
  TShellFolder folder_ = TShellFolder::sfNone;
};
