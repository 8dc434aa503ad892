// Shortcut naming and encodings.
#include "shell/link_rules.hpp"

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

std::string FileNamePart(const std::string& path) {
  const size_t sep = path.find_last_of("\\:");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string WithLinkExtension(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  std::string v = path;
  if (dot == std::string::npos || Upper(name.substr(dot)) != ".LNK") v += ".lnk";
  if (Upper(FileNamePart(v)) == ".LNK") v.clear();
  return v;
}

uint16_t ShortcutToHotKey(uint16_t shortcut) {
  const uint16_t key = shortcut & 0x1FFF;
  uint16_t mods = 0;
  if (shortcut & 0x2000) mods |= 1;
  if (shortcut & 0x4000) mods |= 2;
  if (shortcut & 0x8000) mods |= 4;
  return static_cast<uint16_t>((mods << 8) | (key & 0xFF));
}

uint16_t HotKeyToShortcut(uint16_t hotKey) {
  uint16_t s = hotKey & 0xFF;
  if (hotKey & 0x100) s |= 0x2000;
  if (hotKey & 0x200) s |= 0x4000;
  if (hotKey & 0x400) s |= 0x8000;
  return s;
}

int ShowCommandOf(TWindowState state) {
  switch (state) {
    case TWindowState::wsMinimized:
      return 7;
    case TWindowState::wsMaximized:
      return 3;
    default:
      return 1;
  }
}

TWindowState WindowStateOf(int showCommand) {
  if (showCommand == 3) return TWindowState::wsMaximized;
  if (showCommand == 7) return TWindowState::wsMinimized;
  return TWindowState::wsNormal;
}
