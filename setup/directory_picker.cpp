// Directory picker through SHBrowseForFolder.
#include "setup/directory_picker.hpp"

#include <shlobj.h>

#include "shell/file_ops.hpp"
#include "widgets/window_text.hpp"

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
  return ShowBox(owner, "The specified directory does not exist. Create it?", "Confirm",
                 MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// OK with a full path typed into the name box takes that path, asking first
// when it does not exist; not every platform's dialog validates it itself.
LRESULT CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = static_cast<PickState*>(GetPropW(dlg, L"PickState"));
  if (st && msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    HWND edit = FindWindowExW(dlg, nullptr, L"Edit", nullptr);
    const std::string typed = edit ? GetText(edit) : "";
    if (IsAbsolute(typed)) {
      if (!DirectoryExists(typed) && !AskCreate(dlg)) return 0;
      st->typed = typed;
    }
  }
  if (st && msg == WM_NCDESTROY) RemovePropW(dlg, L"PickState");
  return CallWindowProcW(st ? st->dialogProc : DefDlgProcW, dlg, msg, wp, lp);
}

int CALLBACK Callback(HWND dlg, UINT msg, LPARAM lp, LPARAM data) {
  auto* st = reinterpret_cast<PickState*>(data);
  switch (msg) {
    case BFFM_INITIALIZED:
      SetText(dlg, "Select Directory");
      SetPropW(dlg, L"PickState", st);
      st->dialogProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc)));
      SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(Wide(st->start).c_str()));
      break;
    case BFFM_SELCHANGED: {
      wchar_t path[MAX_PATH] = {};
      if (SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lp), path))
        st->selected = Narrow(path);
      break;
    }
    case BFFM_VALIDATEFAILEDW: {
      if (!st->typed.empty()) return 0;  // already asked when OK was pressed
      std::string typed = Narrow(reinterpret_cast<const wchar_t*>(lp));
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
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.lpszTitle = L"Select Directory";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
  bi.lpfn = Callback;
  bi.lParam = reinterpret_cast<LPARAM>(&st);
  OleInitialize(nullptr);
  LPITEMIDLIST pidl = SHBrowseForFolderW(&bi);
  bool ok = false;
  if (!st.typed.empty()) {
    ok = ForceDirectories(st.typed);
    if (ok) chosen = st.typed;
  } else if (pidl) {
    wchar_t path[MAX_PATH] = {};
    ok = SHGetPathFromIDListW(pidl, path) != FALSE;
    if (ok) chosen = Narrow(path);
  }
  if (pidl) CoTaskMemFree(pidl);
  OleUninitialize();
  return ok;
}
