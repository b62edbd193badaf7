// Hand-off decoding against memcpy of the same bytes, the physical limit of
// a pass over memory, and the byte-moving loop at small sizes.
#include <benchmark/benchmark.h>

#include <string.h>

#include <chrono>

#include <vector>

#include "handoff/HandoffDecoder.h"
#include "reference/ReferenceHandoffDecoder.h"

namespace {

std::vector<unsigned char> Handoff(size_t cb, bool bSixteenBit) {
    std::vector<unsigned char> bytes(cb);
    for (size_t i = 0; i < cb; ++i)
        bytes[i] = bSixteenBit && i % 2 == 1 ? 0 : static_cast<unsigned char>('A' + i % 26);
    return bytes;
}

// Decoding works in place: each pass gets a fresh copy of the input, and
// only the decoding itself is timed.
template <class F> void TimeInPlace(benchmark::State& state, bool bSixteenBit, F decode) {
    const std::vector<unsigned char> input = Handoff(state.range(0), bSixteenBit);
    std::vector<unsigned char> buffer(input.size());
    for (auto _ : state) {
        memcpy(buffer.data(), input.data(), input.size());
        auto start = std::chrono::steady_clock::now();
        decode(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Decode(benchmark::State& state, bool bSixteenBit) {
    TimeInPlace(state, bSixteenBit, [](unsigned char* pb, size_t cb) {
        RemoveZeroBytes(pb, cb);
        benchmark::DoNotOptimize(TextLength(pb, cb));
    });
}

void BM_DecodeSixteenBit(benchmark::State& state) {
    Decode(state, true);
}
void BM_DecodeSingleByte(benchmark::State& state) {
    Decode(state, false);
}

// The copy the decoder runs does too, once more: the decoder's own cost is
// the difference.
void BM_Memcpy(benchmark::State& state) {
    const std::vector<unsigned char> input = Handoff(state.range(0), true);
    std::vector<unsigned char> buffer(input.size());
    for (auto _ : state) {
        memcpy(buffer.data(), input.data(), input.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ReferenceSixteenBit(benchmark::State& state) {
    TimeInPlace(state, true, ReferenceRemoveZeroBytes);
}

} // namespace

BENCHMARK(BM_DecodeSixteenBit)->Arg(1 << 10)->Arg(1 << 20)->Arg(64 << 20)->UseManualTime();
BENCHMARK(BM_DecodeSingleByte)->Arg(1 << 10)->Arg(1 << 20)->Arg(64 << 20)->UseManualTime();
BENCHMARK(BM_Memcpy)->Arg(1 << 10)->Arg(1 << 20)->Arg(64 << 20);
BENCHMARK(BM_ReferenceSixteenBit)
    ->Arg(1 << 8)
    ->Arg(1 << 10)
    ->Arg(1 << 12)
    ->Arg(1 << 14)
    ->UseManualTime();

BENCHMARK_MAIN();
