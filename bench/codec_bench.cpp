// Speed of the block codec over a corpus file, block by block as the stored
// record does it. Usage: codec_bench CORPUS [benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "filestore/lzrw1kh.hpp"

using namespace filestore;

namespace {

std::vector<uint8_t> g_corpus;
std::vector<std::vector<uint8_t>> g_encoded;
TMatchTable g_table;

void EncodeAll() {
  g_encoded.clear();
  std::vector<uint8_t> out(kMaxBlockSize + kCompressSlack);
  for (size_t at = 0; at < g_corpus.size(); at += kMaxBlockSize) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(kMaxBlockSize, g_corpus.size() - at));
    const uint16_t len = CompressBlock(g_table, g_corpus.data() + at, out.data(), n);
    g_encoded.emplace_back(out.begin(), out.begin() + len);
  }
}

void BM_Encode(benchmark::State& state) {
  std::vector<uint8_t> out(kMaxBlockSize + kCompressSlack);
  for (auto _ : state) {
    for (size_t at = 0; at < g_corpus.size(); at += kMaxBlockSize) {
      const uint32_t n =
          static_cast<uint32_t>(std::min<size_t>(kMaxBlockSize, g_corpus.size() - at));
      benchmark::DoNotOptimize(CompressBlock(g_table, g_corpus.data() + at, out.data(), n));
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.size()));
}

void BM_Decode(benchmark::State& state) {
  std::vector<uint8_t> out(kMaxBlockSize);
  for (auto _ : state) {
    for (const auto& blk : g_encoded)
      benchmark::DoNotOptimize(
          DecompressBlock(blk.data(), out.data(), static_cast<uint32_t>(blk.size())));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_corpus.size()));
}

BENCHMARK(BM_Encode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Decode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: codec_bench CORPUS [benchmark flags]\n");
    return 2;
  }
  std::ifstream f(argv[1], std::ios::binary);
  g_corpus.assign(std::istreambuf_iterator<char>(f), {});
  EncodeAll();
  size_t packed = 0;
  for (const auto& b : g_encoded) packed += b.size();
  // The decoder must give the corpus back before its speed means anything.
  std::vector<uint8_t> out(kMaxBlockSize), back;
  for (const auto& b : g_encoded) {
    int32_t n = DecompressBlock(b.data(), out.data(), static_cast<uint32_t>(b.size()));
    back.insert(back.end(), out.begin(), out.begin() + n);
  }
  if (back != g_corpus) {
    std::fprintf(stderr, "round trip failed\n");
    return 1;
  }
  std::printf("corpus %zu bytes, %zu blocks, encoded %zu bytes (%.1f%%)\n", g_corpus.size(),
              g_encoded.size(), packed, 100.0 * packed / g_corpus.size());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
