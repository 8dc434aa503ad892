// filestore: puts a file into a stored-file record, or takes it back out.
//   filestore pack [--plain] INPUT RECORD
//   filestore unpack [--plain] RECORD OUTPUT
// The output appears only when the whole job succeeded.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "filestore/compress_stream.hpp"

namespace fs = std::filesystem;
using namespace filestore;

namespace {

struct File {
  std::FILE* f = nullptr;
  ~File() {
    if (f) std::fclose(f);
  }
};

// Writes to a sibling temporary name and renames it over the target at the
// end, so that a failure never leaves a partial output behind.
class Output {
 public:
  explicit Output(const std::string& path) : path_(path), tmp_(path + ".partial") {
    file_.f = std::fopen(tmp_.c_str(), "wb");
    if (!file_.f) throw std::runtime_error("cannot create " + path_);
  }
  ~Output() {
    if (!done_) {
      std::fclose(file_.f);
      file_.f = nullptr;
      std::remove(tmp_.c_str());
    }
  }
  std::FILE* Get() { return file_.f; }
  void Commit() {
    int rc = std::fclose(file_.f);
    file_.f = nullptr;
    if (rc != 0) throw std::runtime_error("cannot write " + path_);
    std::error_code ec;
    fs::rename(tmp_, path_, ec);
    if (ec) throw std::runtime_error("cannot write " + path_ + ": " + ec.message());
    done_ = true;
  }

 private:
  std::string path_, tmp_;
  File file_;
  bool done_ = false;
};

void Pack(const std::string& input, const std::string& record, bool plain) {
  std::error_code ec;
  if (!fs::is_regular_file(input, ec))
    throw std::runtime_error("filestore cannot store file: " + input + " (file is missing)");
  File in;
  in.f = std::fopen(input.c_str(), "rb");
  if (!in.f) throw std::runtime_error("cannot read " + input);
  const uint64_t size = fs::file_size(input);
  Output out(record);
  StdioReader reader(in.f);
  StdioWriter writer(out.Get());
  if (plain) {
    EncodePlain(reader, writer, size);
  } else {
    TCompressStream().Encode(reader, writer, size);
  }
  out.Commit();
}

void Unpack(const std::string& record, const std::string& output, bool plain) {
  File in;
  in.f = std::fopen(record.c_str(), "rb");
  if (!in.f) throw std::runtime_error("cannot read " + record);
  Output out(output);
  StdioReader reader(in.f);
  StdioWriter writer(out.Get());
  if (plain)
    DecodePlain(reader, writer);
  else
    TCompressStream().Decode(reader, writer);
  out.Commit();
}

int Usage() {
  std::fputs(
      "usage: filestore pack [--plain] INPUT RECORD\n"
      "       filestore unpack [--plain] RECORD OUTPUT\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string verb = argv[1];
  int i = 2;
  bool plain = false;
  if (i < argc && std::strcmp(argv[i], "--plain") == 0) {
    plain = true;
    ++i;
  }
  if (argc - i != 2 || (verb != "pack" && verb != "unpack")) return Usage();
  try {
    if (verb == "pack")
      Pack(argv[i], argv[i + 1], plain);
    else
      Unpack(argv[i], argv[i + 1], plain);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
