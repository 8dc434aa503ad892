// Speed of the GIF decoder against giflib's DGifSlurp on the same files, in
// one run. Usage: gif_bench FILE... [benchmark flags]
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "widgets/gif_decoder.hpp"

namespace {

struct Memory {
  const std::vector<uint8_t>* data;
  size_t pos;
};

int ReadMemory(GifFileType* gif, GifByteType* buf, int n) {
  auto* m = static_cast<Memory*>(gif->UserData);
  const size_t left = m->data->size() - m->pos;
  const size_t take = static_cast<size_t>(n) < left ? static_cast<size_t>(n) : left;
  std::memcpy(buf, m->data->data() + m->pos, take);
  m->pos += take;
  return static_cast<int>(take);
}

void Ours(benchmark::State& state, const std::vector<uint8_t>* data, size_t pixels) {
  for (auto _ : state) {
    gif::TPicture pic;
    benchmark::DoNotOptimize(gif::ParseGif(data->data(), data->size(), pic));
    benchmark::DoNotOptimize(pic.Frames.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(pixels),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void Giflib(benchmark::State& state, const std::vector<uint8_t>* data, size_t pixels) {
  for (auto _ : state) {
    Memory m{data, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&m, ReadMemory, &err);
    if (!gif || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib failed");
    benchmark::DoNotOptimize(gif);
    DGifCloseFile(gif, &err);
  }
  state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(pixels),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  static std::vector<std::vector<uint8_t>> files;
  files.reserve(static_cast<size_t>(argc));
  for (int i = 1; i < argc; ++i) {
    std::ifstream f(argv[i], std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    gif::TPicture pic;
    if (gif::ParseGif(files.back().data(), files.back().size(), pic) != gif::ParseResult::Ok) {
      std::fprintf(stderr, "%s does not parse\n", argv[i]);
      return 1;
    }
    size_t pixels = 0;
    for (const auto& fr : pic.Frames) pixels += static_cast<size_t>(fr.Width) * fr.Height;
    const std::string name = std::string(argv[i]).substr(std::string(argv[i]).rfind('/') + 1);
    std::printf("%s: %zu frames, %zu pixels, %zu bytes\n", name.c_str(), pic.Frames.size(), pixels,
                files.back().size());
    benchmark::RegisterBenchmark(("ours/" + name).c_str(), Ours, &files.back(), pixels)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("giflib/" + name).c_str(), Giflib, &files.back(), pixels)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
