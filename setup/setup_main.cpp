// The main window.
#include "setup/setup_main.hpp"

#include "filestore/compress_stream.hpp"
#include "setup/application.hpp"

TForm1::TForm1() { LoadStoredForm(); }

void TForm1::LoadStoredForm() {
  HMODULE self = GetModuleHandleA(nullptr);
  FileSource1.SetCompress(true);
  FileSource1.SetDisplayLabel("UnZip");
  FileSource1.SetExtension(".exe");
  FileSource1.LoadFromResource(self, "FILESOURCE1");

  imgzip3.SetCompress(true);
  imgzip3.SetExtension(".bmp");
  imgzip3.LoadFromResource(self, "IMGZIP3");

  // The picture travels as a 4-byte length and the GIF bytes.
  HRSRC res = FindResourceA(self, "GIFIMAGE1", MAKEINTRESOURCEA(10));
  HGLOBAL mem = res ? LoadResource(self, res) : nullptr;
  if (const void* data = mem ? LockResource(mem) : nullptr) {
    filestore::MemoryReader in(data, SizeofResource(self, res));
    filestore::VectorWriter out;
    filestore::DecodePlain(in, out);
    GIFImage1Data = out.Data();
  }
}

bool TForm1::Create() {
  // Fixed dialog border, no caption buttons, centred on the screen.
  return CreateFramed("TForm1", Application::Title.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, -1, -1,
                      kClientWidth, kClientHeight);
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return Default(msg, wp, lp);
}
