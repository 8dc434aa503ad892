// The naming and encoding rules of shortcut files: the ".lnk" extension
// rule and the hot-key and window-state conversions. Portable.
#pragma once

#include <cstdint>
#include <string>

// The text after the last backslash or colon.
std::string FileNamePart(const std::string& path);
// Appends ".lnk" unless the name already ends so (any letter case); a name
// that is nothing but ".lnk" becomes empty.
std::string WithLinkExtension(const std::string& path);

// Toolkit shortcut (key | 0x2000 Shift | 0x4000 Ctrl | 0x8000 Alt) to the
// shell's hot-key word (modifiers 1 Shift, 2 Ctrl, 4 Alt in the high byte).
uint16_t ShortcutToHotKey(uint16_t shortcut);
uint16_t HotKeyToShortcut(uint16_t hotKey);

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
int ShowCommandOf(TWindowState state);
TWindowState WindowStateOf(int showCommand);
