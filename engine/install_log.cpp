// Installation log lines, file form and record grammar.
#include "engine/install_log.hpp"

#include <set>
#include <utility>

std::string TInstallLog::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

std::string TInstallLog::FileBytes(const TAnsiCodec& codec) const {
  std::string ansi;
  if (codec.toAnsi(Text(), ansi)) return ansi;
  return kUtf8Mark + Text();
}

std::vector<std::string> TInstallLog::LinesOfFile(const std::string& bytes,
                                                  const TAnsiCodec& codec) {
  if (bytes.compare(0, 3, kUtf8Mark) == 0) return SplitLines(bytes.substr(3));
  return SplitLines(codec.fromAnsi(bytes));
}

std::vector<std::string> TInstallLog::SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

TLogRecord TInstallLog::Classify(const std::string& line, std::string& path) {
  if (line.compare(0, 5, ">>>> ") == 0) {
    path = line.substr(5);
    // Read as a file, it would also remove just that folder once empty.
    if (path.size() > 1 && path.back() == '\\') {
      path.pop_back();
      return TLogRecord::Folder;
    }
    return TLogRecord::FileAndDir;
  }
  if (line.compare(0, 3, ">> ") == 0) {
    path = line.substr(3);
    return TLogRecord::File;
  }
  path.clear();
  return TLogRecord::None;
}

namespace {

// A record as the uninstaller acts on it; Windows paths ignore case.
std::pair<TLogRecord, std::string> RecordKey(const std::string& line) {
  std::string path;
  const TLogRecord kind = TInstallLog::Classify(line, path);
  for (char& c : path)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return {kind, path};
}

}  // namespace

size_t TInstallLog::KeepEarlierRecords(const std::vector<std::string>& earlier) {
  std::set<std::pair<TLogRecord, std::string>> known;
  for (const std::string& line : lines_) known.insert(RecordKey(line));
  size_t kept = 0;
  for (const std::string& line : earlier) {
    const auto key = RecordKey(line);
    // ">>>> " does all that ">> " does for the same path.
    if (key.first == TLogRecord::None || known.count({TLogRecord::FileAndDir, key.second}) ||
        !known.insert(key).second)
      continue;
    if (kept++ == 0) Add("Kept from the earlier installation:");
    Add(line);
  }
  return kept;
}
