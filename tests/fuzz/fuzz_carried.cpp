// libFuzzer: finding the package a single setup file carries, on arbitrary
// bytes taken as the whole file. Whatever the trailer says, a trailer that
// is accepted places every part inside the file, in order.
#include <cstdlib>
#include <string>

#include "engine/carried_package.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const carried::PeLayout pe =
      carried::ReadPeLayout(file.substr(0, carried::kHeadBytes), file.size());
  if (!pe.valid) return 0;
  const uint64_t end = carried::TrailerEnd(pe, file.size());
  if (end > file.size()) std::abort();
  if (end < carried::kTrailerSize) return 0;
  carried::Trailer trailer;
  std::string problem;
  if (!carried::DecodeTrailer(file.substr(end - carried::kTrailerSize, carried::kTrailerSize), end,
                              pe.imageEnd, trailer, problem) ||
      !problem.empty())
    return 0;
  uint64_t next = trailer.programSize;
  for (const carried::PartPlace& p : trailer.parts) {
    if (!p.Present()) continue;
    if (p.offset < next || p.offset + p.size > end - carried::kTrailerSize) std::abort();
    next = p.offset + p.size;
  }
  return 0;
}
