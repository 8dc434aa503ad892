// TFileSource: one file carried inside the program's resources and provided
// at run time as a temporary file that the component deletes again.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "filestore/byte_stream.hpp"
#include "shell/owned.hpp"

namespace filestore {

// A file-system failure while providing or storing a file.
class EFileSource : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ByteWriter/ByteReader over an open Win32 file handle (not owned).
class HandleWriter : public ByteWriter {
 public:
  explicit HandleWriter(HANDLE h) : h_(h) {}
  void Write(const void* buf, size_t size) override;
  uint64_t Position() override;
  void Seek(uint64_t pos) override;

 private:
  HANDLE h_;
};

class HandleReader : public ByteReader {
 public:
  explicit HandleReader(HANDLE h) : h_(h) {}
  size_t Read(void* buf, size_t size) override;

 private:
  HANDLE h_;
};

class TFileSource {
 public:
  // name is the component's name, used in messages ("FileSource1").
  explicit TFileSource(std::string name) : name_(std::move(name)) {}
  ~TFileSource();
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;

  bool Compress() const { return compress_; }
  // Compressed records always travel in the window data, so true sets Store.
  void SetCompress(bool value);
  bool Store() const { return store_; }
  void SetStore(bool value) { store_ = value; }
  const std::string& DisplayLabel() const { return displayLabel_; }
  void SetDisplayLabel(std::string value) { displayLabel_ = std::move(value); }
  const std::string& Extension() const { return extension_; }
  void SetExtension(std::string value) { extension_ = std::move(value); }
  bool TempCreated() const { return tempCreated_; }

  // The file's path while a file exists there, otherwise the empty text.
  std::string FileName() const;
  // Deletes an owned temporary file first, then takes the new path and its
  // extension.
  void SetFileName(const std::string& path);

  // Writes the stored record out as a fresh temporary file and owns it. The
  // file is then held open for reading only, which keeps anyone from
  // changing, moving or deleting it while the component owns it (the unzip
  // tool is started from it), and is compared with the record once held.
  // Throws EStoredFile for a bad record and EFileSource for file errors; a
  // file already created stays owned and is deleted on destruction.
  void ReadData(ByteReader& stream);
  // Stores the file at FileName into stream (compressed form or plain).
  void WriteData(ByteWriter& stream) const;
  // ReadData from an RCDATA resource of module.
  void LoadFromResource(HMODULE module, const char* resourceName);

 private:
  std::string name_;
  bool compress_ = false;
  bool store_ = false;
  std::string displayLabel_;
  std::string extension_;
  std::string fileName_;
  bool tempCreated_ = false;
  OwnedHandle held_;  // the owned temporary file, read-only to everyone
};

// The extension of path's file-name part, dot included; empty without one.
std::string ExtractFileExt(const std::string& path);

}  // namespace filestore
