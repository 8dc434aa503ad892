// Name rules of installed files.
#include "packager/install_names.hpp"

#include <cstring>

#include "engine/file_names.hpp"

namespace qpack {

std::string NameProblem(const std::string& name, bool toolRoad) {
  std::string why;
  if (HasFolderPart(name)) {
    if (RelativePath(name, &why).empty()) return why + ": setup refuses to install it";
  } else if (name == "." || name == "..") {
    return "is no file name: setup fails to install it";
  } else if (IsDeviceName(name)) {
    return "is a name Windows keeps for a device (such as CON or AUX): setup fails to install it";
  } else {
    for (const char c : name)
      if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>\"|?*", c))
        return "holds <, >, \", |, ?, * or a control character, which Windows allows in no file "
               "name";
  }
  if (toolRoad && name.find('[') != std::string::npos)
    return "holds [: the unzip tool of the paced road reads the name as a pattern (\"[1]\" stands "
           "for \"1\") and fails to install it; FastInstall=1 installs it";
  return "";
}

}  // namespace qpack
