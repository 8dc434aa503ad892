// Rules for names of installed files.
#include "engine/file_names.hpp"

#include <cstring>

bool HasFolderPart(const std::string& name) {
  return name.find_first_of("\\/:") != std::string::npos;
}

bool IsDeviceName(const std::string& name) {
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const char* device : {"con", "prn", "aux", "nul"})
    if (stem == device) return true;
  if (stem.size() < 4 || (stem.compare(0, 3, "com") != 0 && stem.compare(0, 3, "lpt") != 0))
    return false;
  const std::string digit = stem.substr(3);
  // Windows takes the superscript digits 1 to 3 for ports as well.
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

namespace {

// What is wrong with one part of a path, or nullptr.
const char* PartProblem(const std::string& part) {
  if (part.empty()) return "has an empty part (a doubled, leading or trailing \\)";
  if (part == "." || part == "..") return "climbs out of its folder (a . or .. part)";
  for (const char c : part)
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c))
      return "holds <, >, :, \", |, ?, * or a control character, which Windows allows in no "
             "file name";
  if (part.back() == '.' || part.back() == ' ')
    return "has a part that ends in a dot or blank, which Windows drops";
  if (IsDeviceName(part)) return "has a part that Windows keeps for a device (such as CON or AUX)";
  return nullptr;
}

std::string Refuse(std::string* why, const char* problem) {
  if (why) *why = problem;
  return "";
}

}  // namespace

std::string RelativePath(const std::string& name, std::string* why) {
  if (name.empty()) return Refuse(why, "is empty");
  if (name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':'))
    return Refuse(why, "names a drive or a root, not a path below its folder");
  std::string path;
  for (size_t start = 0;;) {
    const size_t end = name.find_first_of("\\/", start);
    const std::string part = name.substr(start, end - start);
    if (const char* problem = PartProblem(part)) return Refuse(why, problem);
    path += part;
    if (end == std::string::npos) return path;
    path += '\\';
    start = end + 1;
  }
}

std::string MemberName(const std::string& relativePath) {
  std::string member = relativePath;
  for (char& c : member)
    if (c == '\\') c = '/';
  return member;
}

std::string RelativeParent(const std::string& relativePath) {
  const size_t sep = relativePath.rfind('\\');
  return sep == std::string::npos ? std::string() : relativePath.substr(0, sep);
}
