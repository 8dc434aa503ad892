// The files the program carries in its resources: the unzip tool and the
// uninstall bitmap (written out as temporary files while this lives), and
// the background picture's bytes. The temporary files go into a folder of
// the program's own: the tool runs from a folder where nothing else lies
// (no DLL of another's can be found beside it), and the folder goes at the
// end with whatever the run left there (the tool's copy of the archive).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "filestore/file_source.hpp"

struct StoredForm {
  // Throws what the stored-file components throw.
  StoredForm();
  // First member, last to go: after the files in it.
  struct OwnFolder {
    std::string path;  // with a trailing backslash; empty when none was made
    ~OwnFolder();
  } folder;
  filestore::TFileSource unzipTool{"FileSource1"};
  filestore::TFileSource uninstallBitmap{"imgzip3"};
  std::vector<uint8_t> background;
};
