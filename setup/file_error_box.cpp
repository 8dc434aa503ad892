// The Abort/Ignore box, built as an in-memory dialog template.
#include "setup/file_error_box.hpp"
#include "widgets/window_text.hpp"

#include <vector>

namespace {

// Dialog units; the text id is the one message boxes use, so that tools
// that read message boxes read this one too.
constexpr WORD kTextId = 0xFFFF;
constexpr WORD kIconId = 0x0014;

class Template {
 public:
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Word(WORD w) {
    bytes_.push_back(static_cast<BYTE>(w));
    bytes_.push_back(static_cast<BYTE>(w >> 8));
  }
  void DWord(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const wchar_t* s) {
    do Word(static_cast<WORD>(*s));
    while (*s++);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls,
            const wchar_t* text) {
    Align();
    DWord(style | WS_CHILD | WS_VISIBLE);
    DWord(0);
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Word(id);
    Word(0xFFFF);
    Word(cls);
    Text(text);
    Word(0);  // no creation data
  }
  std::vector<BYTE>& Bytes() { return bytes_; }

 private:
  std::vector<BYTE> bytes_;
};

struct BoxData {
  const std::string* text;
  const std::string* caption;
};

INT_PTR CALLBACK BoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    const auto* d = reinterpret_cast<const BoxData*>(lp);
    SetText(dlg, *d->caption);
    SetText(GetDlgItem(dlg, kTextId), *d->text);
    SendDlgItemMessageW(dlg, kIconId, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
    MessageBeep(MB_ICONWARNING);
    return TRUE;
  }
  if (msg == WM_COMMAND && (LOWORD(wp) == IDABORT || LOWORD(wp) == IDIGNORE)) {
    EndDialog(dlg, LOWORD(wp));
    return TRUE;
  }
  return FALSE;  // the close box is not an answer here
}

}  // namespace

int FileErrorBox::Ask(HWND owner, const std::string& text, const std::string& caption) {
  Template t;
  t.DWord(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.DWord(0);
  t.Word(4);  // items
  for (short v : {0, 0, 200, 76}) t.Word(static_cast<WORD>(v));
  t.Word(0);  // no menu
  t.Word(0);  // standard class
  t.Text(L"");
  t.Word(8);
  t.Text(L"MS Shell Dlg");
  t.Item(SS_ICON, 10, 10, 20, 20, kIconId, 0x0082, L"");
  t.Item(SS_LEFT | SS_NOPREFIX, 40, 10, 150, 34, kTextId, 0x0082, L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 44, 54, 50, 14, IDABORT, 0x0080, L"&Abort");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 104, 54, 50, 14, IDIGNORE, 0x0080, L"&Ignore");
  BoxData data{&text, &caption};
  const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                            reinterpret_cast<LPCDLGTEMPLATEW>(t.Bytes().data()),
                                            owner, BoxProc, reinterpret_cast<LPARAM>(&data));
  return r == IDABORT ? IDABORT : IDIGNORE;
}
