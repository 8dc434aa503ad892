// Loading the stored files.
#include "setup/stored_form.hpp"

#include "filestore/compress_stream.hpp"
#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"

namespace {

// The process's temporary folder is another one while this lives: the
// stored files are written where the components write them, in "the
// temporary directory", which is then ours. Started programs (the
// application at the end) get the real one again.
class TemporaryFolderAt {
 public:
  explicit TemporaryFolderAt(const std::string& folder) {
    if (folder.empty()) return;
    for (int i = 0; i < 2; ++i) {
      wchar_t buf[32768];
      const DWORD n = GetEnvironmentVariableW(kNames[i], buf, 32768);
      had_[i] = n > 0 && n < 32768;
      if (had_[i]) old_[i].assign(buf, n);
      SetEnvironmentVariableW(kNames[i], Wide(folder).c_str());
    }
    set_ = true;
  }
  ~TemporaryFolderAt() {
    if (!set_) return;
    for (int i = 0; i < 2; ++i)
      SetEnvironmentVariableW(kNames[i], had_[i] ? old_[i].c_str() : nullptr);
  }
  TemporaryFolderAt(const TemporaryFolderAt&) = delete;
  TemporaryFolderAt& operator=(const TemporaryFolderAt&) = delete;

 private:
  static constexpr const wchar_t* kNames[2] = {L"TMP", L"TEMP"};
  std::wstring old_[2];
  bool had_[2] = {false, false};
  bool set_ = false;
};

}  // namespace

StoredForm::OwnFolder::~OwnFolder() {
  if (!path.empty()) RemoveTree(path.substr(0, path.size() - 1));
}

StoredForm::StoredForm() {
  HMODULE self = GetModuleHandleW(nullptr);
  folder.path = FreshTempFolder();
  {
    const TemporaryFolderAt ours(folder.path);
    unzipTool.SetCompress(true);
    unzipTool.SetDisplayLabel("UnZip");
    unzipTool.SetExtension(".exe");
    unzipTool.LoadFromResource(self, "FILESOURCE1");
    uninstallBitmap.SetCompress(true);
    uninstallBitmap.SetExtension(".bmp");
    uninstallBitmap.LoadFromResource(self, "IMGZIP3");
  }
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
