// Loading the stored files.
#include "setup/stored_form.hpp"

#include "filestore/compress_stream.hpp"

StoredForm::StoredForm() {
  HMODULE self = GetModuleHandleW(nullptr);
  unzipTool.SetCompress(true);
  unzipTool.SetDisplayLabel("UnZip");
  unzipTool.SetExtension(".exe");
  unzipTool.LoadFromResource(self, "FILESOURCE1");
  uninstallBitmap.SetCompress(true);
  uninstallBitmap.SetExtension(".bmp");
  uninstallBitmap.LoadFromResource(self, "IMGZIP3");
  // The picture travels as a 4-byte length and the GIF bytes.
  HRSRC res = FindResourceW(self, L"GIFIMAGE1", MAKEINTRESOURCEW(10));
  HGLOBAL mem = res ? LoadResource(self, res) : nullptr;
  if (const void* data = mem ? LockResource(mem) : nullptr) {
    filestore::MemoryReader in(data, SizeofResource(self, res));
    filestore::VectorWriter out;
    filestore::DecodePlain(in, out);
    background = out.Data();
  }
}
