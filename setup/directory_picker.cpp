// Directory picker through SHBrowseForFolder.
#include "setup/directory_picker.hpp"

#include <shlobj.h>

#include "shell/file_ops.hpp"

namespace {

struct PickState {
  std::string start;
  std::string selected;  // the folder selected in the tree
  std::string typed;     // a typed path the user agreed to create
  WNDPROC dialogProc = nullptr;
};

bool IsAbsolute(const std::string& p) {
  return (p.size() > 1 && p[1] == ':') || (p.size() > 1 && p[0] == '\\' && p[1] == '\\');
}

bool AskCreate(HWND owner) {
  return MessageBoxA(owner, "The specified directory does not exist. Create it?", "Confirm",
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// OK with a full path typed into the name box takes that path, asking first
// when it does not exist; not every platform's dialog validates it itself.
LRESULT CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = static_cast<PickState*>(GetPropA(dlg, "PickState"));
  if (st && msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    char text[MAX_PATH] = {};
    if (HWND edit = FindWindowExA(dlg, nullptr, "Edit", nullptr))
      GetWindowTextA(edit, text, MAX_PATH);
    const std::string typed = text;
    if (IsAbsolute(typed)) {
      if (!DirectoryExists(typed) && !AskCreate(dlg)) return 0;
      st->typed = typed;
    }
  }
  if (st && msg == WM_NCDESTROY) RemovePropA(dlg, "PickState");
  return CallWindowProcA(st ? st->dialogProc : DefDlgProcA, dlg, msg, wp, lp);
}

int CALLBACK Callback(HWND dlg, UINT msg, LPARAM lp, LPARAM data) {
  auto* st = reinterpret_cast<PickState*>(data);
  switch (msg) {
    case BFFM_INITIALIZED:
      SetWindowTextA(dlg, "Select Directory");
      SetPropA(dlg, "PickState", st);
      st->dialogProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc)));
      SendMessageA(dlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(st->start.c_str()));
      break;
    case BFFM_SELCHANGED: {
      char path[MAX_PATH] = {};
      if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lp), path)) st->selected = path;
      break;
    }
    case BFFM_VALIDATEFAILEDA: {
      if (!st->typed.empty()) return 0;  // already asked when OK was pressed
      std::string typed = reinterpret_cast<const char*>(lp);
      if (!IsAbsolute(typed) && !st->selected.empty())
        typed = st->selected + (st->selected.back() == '\\' ? "" : "\\") + typed;
      if (!AskCreate(dlg)) return 1;  // keep the dialog open
      st->typed = typed;
      return 0;
    }
  }
  return 0;
}

}  // namespace

bool DirectoryPicker::Choose(HWND owner, const std::string& start, std::string& chosen) {
  PickState st{start, "", ""};
  char display[MAX_PATH] = {};
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.lpszTitle = "Select Directory";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
  bi.lpfn = Callback;
  bi.lParam = reinterpret_cast<LPARAM>(&st);
  OleInitialize(nullptr);
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
  OleUninitialize();
  return ok;
}
