// The engine's containers and streams: hash list lookups of 10,000 keys, and
// stream reads and writes of 1 MiB in 1-byte and 4-KiB pieces, through the
// staging buffer (TZ5BufMemoryStream) and directly (TZ5MemoryStream).

#include "lib/Z5HashListUnit.h"
#include "lib/Z5StreamUnit.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr std::int32_t KeyCount = 10000;
constexpr std::int32_t StreamBytes = 1 << 20;

std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (std::int32_t i = 0; i < KeyCount; ++i)
        keys.push_back("bgm/piece" + std::to_string(i));
    return keys;
}

// Arg: the bucket count (257 is what the sound and music managers use).
void HashListFind(benchmark::State& state) {
    const std::vector<std::string> keys = Keys();
    TZ5HashList list(static_cast<std::int32_t>(state.range(0)));
    for (std::int32_t i = 0; i < KeyCount; ++i)
        list.SetInt(keys[static_cast<std::size_t>(i)], i);
    for (auto _ : state)
        for (const std::string& key : keys)
            benchmark::DoNotOptimize(list.Find(key));
    state.SetItemsProcessed(state.iterations() * KeyCount);
}
BENCHMARK(HashListFind)->Arg(257)->Arg(16411);

template <typename Stream> void WritePieces(benchmark::State& state) {
    const auto piece = static_cast<std::int32_t>(state.range(0));
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(piece), 0x5A);
    for (auto _ : state) {
        Stream stream;
        for (std::int32_t done = 0; done < StreamBytes; done += piece)
            stream.Write(bytes.data(), piece);
        benchmark::DoNotOptimize(stream.GetSize());
    }
    state.SetBytesProcessed(state.iterations() * StreamBytes);
}

template <typename Stream> void ReadPieces(benchmark::State& state) {
    const auto piece = static_cast<std::int32_t>(state.range(0));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(piece));
    Stream stream(StreamBytes);
    for (auto _ : state) {
        stream.Seek(0, soFromBeginning);
        for (std::int32_t done = 0; done < StreamBytes; done += piece)
            stream.Read(bytes.data(), piece);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * StreamBytes);
}

template <typename Stream> void WriteBytes(benchmark::State& state) {
    for (auto _ : state) {
        Stream stream;
        for (std::int32_t done = 0; done < StreamBytes; ++done)
            stream.WriteByte(static_cast<std::uint8_t>(done));
        benchmark::DoNotOptimize(stream.GetSize());
    }
    state.SetBytesProcessed(state.iterations() * StreamBytes);
}

template <typename Stream> void ReadBytes(benchmark::State& state) {
    Stream stream(StreamBytes);
    std::uint8_t byte = 0;
    for (auto _ : state) {
        stream.Seek(0, soFromBeginning);
        while (stream.ReadByte(byte))
            benchmark::DoNotOptimize(byte);
    }
    state.SetBytesProcessed(state.iterations() * StreamBytes);
}

BENCHMARK(WritePieces<TZ5BufMemoryStream>)->Arg(1)->Arg(4096);
BENCHMARK(WritePieces<TZ5MemoryStream>)->Arg(1)->Arg(4096);
BENCHMARK(ReadPieces<TZ5BufMemoryStream>)->Arg(1)->Arg(4096);
BENCHMARK(ReadPieces<TZ5MemoryStream>)->Arg(1)->Arg(4096);
BENCHMARK(WriteBytes<TZ5BufMemoryStream>);
BENCHMARK(WriteBytes<TZ5MemoryStream>);
BENCHMARK(ReadBytes<TZ5BufMemoryStream>);
BENCHMARK(ReadBytes<TZ5MemoryStream>);

} // namespace

BENCHMARK_MAIN();
