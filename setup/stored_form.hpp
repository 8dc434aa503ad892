// The files the program carries in its resources: the unzip tool and the
// uninstall bitmap (written out as temporary files while this lives), and
// the background picture's bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "filestore/file_source.hpp"

struct StoredForm {
  // Throws what the stored-file components throw.
  StoredForm();
  filestore::TFileSource unzipTool{"FileSource1"};
  filestore::TFileSource uninstallBitmap{"imgzip3"};
  std::vector<uint8_t> background;
};
