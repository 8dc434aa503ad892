// setup.log on disk.
#include "engine/log_file.hpp"

#include "shell/file_ops.hpp"
#include "shell/wide_text.hpp"

const TAnsiCodec& SystemAnsiCodec() {
  static const TAnsiCodec codec{ToAnsiExactly, FromAnsi};
  return codec;
}

bool SaveLog(const TInstallLog& log, const std::string& path) {
  return WriteWholeFile(path, log.FileBytes(SystemAnsiCodec()));
}

bool LoadLog(const std::string& path, std::vector<std::string>& lines) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  lines = TInstallLog::LinesOfFile(bytes, SystemAnsiCodec());
  return true;
}
