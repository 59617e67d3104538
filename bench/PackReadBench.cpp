// Reading one 64 MiB pack entry (read whole, then unscrambled) beside a
// plain memcpy of the same size: the ratio shows how far loading is from
// memory bandwidth. The pack sits in the page cache after the first run.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/FileReader.h"
#include "core/PackFile.h"
#include "core/PackWriter.h"

namespace {

constexpr std::size_t kEntrySize = 64u << 20;
const char* const kEntryName = "bench\\pack_read\\entry.bin";

// A pack in a temporary folder, made once and removed at exit.
class BenchPack {
  public:
    BenchPack()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "rs_bench_XXXXXX").string();
        if (!::mkdtemp(&pattern[0]))
            return;
        m_folder = pattern;
        std::vector<std::uint8_t> bytes(kEntrySize);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 12));
        CPPackWriter writer;
        const std::string pack = m_folder + "/bench.pak";
        m_ready = writer.AddEntry(kEntryName, std::move(bytes)) && Succeeded(writer.Save(pack)) &&
                  Succeeded(GetPackFileList().AddPack(pack));
    }
    ~BenchPack()
    {
        GetPackFileList().Clear();
        std::error_code ignored;
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder, ignored);
    }
    bool IsReady() const { return m_ready; }

  private:
    std::string m_folder;
    bool m_ready = false;
};

BenchPack& Pack()
{
    static BenchPack pack;
    return pack;
}

void BM_LoadPackEntry(benchmark::State& state)
{
    if (!Pack().IsReady()) {
        state.SkipWithError("the benchmark pack could not be made");
        return;
    }
    for (auto _ : state) {
        CPFileReader reader(kEntryName, false);
        if (Failed(reader.Load())) {
            state.SkipWithError("the pack entry did not load");
            return;
        }
        benchmark::DoNotOptimize(reader.GetData());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kEntrySize);
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<std::uint8_t> source(kEntrySize, 1);
    std::vector<std::uint8_t> target(kEntrySize, 0);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kEntrySize);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kEntrySize);
}

} // namespace

BENCHMARK(BM_LoadPackEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
