// TForm1: the main window. Owns the stored files and, later, the wizard.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "filestore/file_source.hpp"
#include "setup/base_window.hpp"

class TForm1 : public BaseWindow<TForm1> {
 public:
  // Loads the stored form (writes the stored files out); throws what the
  // stored-file components throw, and then no window exists.
  TForm1();
  bool Create();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  filestore::TFileSource FileSource1{"FileSource1"};  // the unzip tool
  filestore::TFileSource imgzip3{"imgzip3"};          // the uninstall bitmap
  std::vector<uint8_t> GIFImage1Data;                 // the background picture

 private:
  friend class BaseWindow<TForm1>;
  void LoadStoredForm();
};

inline constexpr int kClientWidth = 410;
inline constexpr int kClientHeight = 297;
