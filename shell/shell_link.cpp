// The shell link writer.
#include "shell/shell_link.hpp"

#include "shell/owned.hpp"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "shell/access_registry.hpp"
#include "shell/wide_text.hpp"

namespace {

TShellLinkTexts g_texts;

const char* const kFolderValues[] = {"",           "Desktop",  "Favorites", "Fonts",
                                     "Personal",   "Programs", "Recent",    "SendTo",
                                     "Start Menu", "Startup",  "Templates"};

// At most 255 UTF-16 units, as the link object is handed them; a letter
// beyond the plane is never cut in half.
std::wstring Cut255(const std::string& s) {
  std::wstring w = Wide(s);
  if (w.size() > 255) w.resize(w[254] >= 0xD800 && w[254] < 0xDC00 ? 254 : 255);
  return w;
}

}  // namespace

const TShellLinkTexts& ShellLinkTexts() { return g_texts; }

TShellLink::TShellLink() { SetLangType(TLangType::ltFrench); }

void TShellLink::SetLangType(TLangType value) {
  lang_ = value;
  if (value == TLangType::ltEnglish)
    g_texts = {"\"CoCreateInstance\" failed.", "\"PersistFile QueryInterface\" failed.",
               "Write error.", "Read error.", "Link not found."};
  else  // UTF-8: C3 A9 is e with an acute accent
    g_texts = {"\"CoCreateInstance\" a \xC3\xA9\x63hou\xC3\xA9.",
               "\"PersistFile QueryInterface\" a \xC3\xA9\x63hou\xC3\xA9.",
               "Erreur en \xC3\xA9\x63riture.", "Erreur en lecture.", "Lien non trouv\xC3\xA9."};
}

std::string TShellLink::FolderPath() const {
  TAccessRegistry reg;
  if (!reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false))
    return "";
  return reg.ReadString(kFolderValues[static_cast<int>(folder_)]);
}

void TShellLink::SetFileName(const std::string& value) {
  if (value == fileName_) return;
  std::string v = value;
  if (folder_ != TShellFolder::sfNone) v = FolderPath() + "\\" + FileNamePart(v);
  fileName_ = WithLinkExtension(v);
}

void TShellLink::SetShellFolder(TShellFolder folder) {
  if (folder == folder_) return;
  folder_ = folder;
  if (folder != TShellFolder::sfNone) fileName_ = FolderPath() + "\\" + FileNamePart(fileName_);
}

bool TShellLink::SaveLink() {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct Uninit {
    HRESULT hr;
    ~Uninit() {
      if (SUCCEEDED(hr)) CoUninitialize();
    }
  } uninit{init};
  OwnedCom<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Receive()))))
    throw EShellLink(g_texts.CoCreateInstance);
  OwnedCom<IPersistFile> file;
  if (FAILED(
          link.Get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive()))))
    throw EShellLink(g_texts.QueryInterface);
  // Paths go whole or not at all: a cut one would point elsewhere. Only
  // the description is cut.
  const std::wstring target = Wide(Target), dir = Wide(WorkingDir), args = Wide(Arguments),
                     icon = Wide(FileIcon.FileName), name = Wide(fileName_);
  for (const std::wstring* path : {&target, &dir, &icon, &name})
    if (path->size() >= MAX_PATH) return false;
  if (name.empty() || args.size() >= 1024) return false;  // what the link object keeps
  link.Get()->SetDescription(Cut255(Description).c_str());
  link.Get()->SetPath(target.c_str());
  link.Get()->SetWorkingDirectory(dir.c_str());
  link.Get()->SetArguments(args.c_str());
  link.Get()->SetShowCmd(showCommand_);
  link.Get()->SetHotkey(hotKey_);
  link.Get()->SetIconLocation(icon.c_str(), FileIcon.IconIndex);
  return SUCCEEDED(file.Get()->Save(name.c_str(), TRUE));
}
