// Directory picker through SHBrowseForFolder.
#include "setup/directory_picker.hpp"

#include <shlobj.h>

#include "shell/file_ops.hpp"

namespace {

struct PickState {
  std::string start;
  std::string selected;  // the folder selected in the tree
  std::string typed;     // a typed path the user agreed to create
};

bool IsAbsolute(const std::string& p) {
  return (p.size() > 1 && p[1] == ':') || (p.size() > 1 && p[0] == '\\' && p[1] == '\\');
}

int CALLBACK Callback(HWND dlg, UINT msg, LPARAM lp, LPARAM data) {
  auto* st = reinterpret_cast<PickState*>(data);
  switch (msg) {
    case BFFM_INITIALIZED:
      SendMessageA(dlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(st->start.c_str()));
      break;
    case BFFM_SELCHANGED: {
      char path[MAX_PATH] = {};
      if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lp), path)) st->selected = path;
      break;
    }
    case BFFM_VALIDATEFAILEDA: {
      std::string typed = reinterpret_cast<const char*>(lp);
      if (!IsAbsolute(typed) && !st->selected.empty())
        typed = st->selected + (st->selected.back() == '\\' ? "" : "\\") + typed;
      if (MessageBoxA(dlg, "The specified directory does not exist. Create it?", "Confirm",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;  // keep the dialog open
      st->typed = typed;
      return 0;
    }
  }
  return 0;
}

}  // namespace

bool SelectDirectory(HWND owner, const std::string& start, std::string& chosen) {
  PickState st{start, "", ""};
  char display[MAX_PATH] = {};
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.lpszTitle = "Select Directory";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE;
  bi.lpfn = Callback;
  bi.lParam = reinterpret_cast<LPARAM>(&st);
  CoInitialize(nullptr);
  LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
  bool ok = false;
  if (!st.typed.empty()) {
    ok = ForceDirectories(st.typed);
    if (ok) chosen = st.typed;
  } else if (pidl) {
    char path[MAX_PATH] = {};
    ok = SHGetPathFromIDListA(pidl, path) != FALSE;
    if (ok) chosen = path;
  }
  if (pidl) CoTaskMemFree(pidl);
  CoUninitialize();
  return ok;
}
