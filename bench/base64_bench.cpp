// Base64 speed against plain copying of the same amount of data.
//
// Every benchmark counts bytes of its input: characters of Base64 text for
// decoding, bytes copied for the copies, bytes for encoding. The decoders and
// the copy all take the same 1 MiB, so their rates compare directly; the
// summary line prints decoding over memcpy.
#include "framework/text/Base64.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kTextSize = 1 << 20;               // 1 MiB of Base64 text
constexpr size_t kPlainSize = kTextSize / 4 * 3;    // the bytes it encodes

std::vector<uint8_t> RandomBytes(size_t size) {
    std::mt19937 random(20240611);
    std::vector<uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

const std::string& EncodedText() {
    static const std::string text = [] {
        const std::vector<uint8_t> bytes = RandomBytes(kPlainSize);
        return vantrel::Base64Encode(bytes.data(), bytes.size());
    }();
    return text;
}

// The same text broken into lines of 76 characters, as some senders do.
const std::string& EncodedTextWithLineBreaks() {
    static const std::string text = [] {
        const std::string& plain = EncodedText();
        std::string lines;
        for (size_t i = 0; i < plain.size(); i += 76) lines += plain.substr(i, 76) + "\r\n";
        return lines;
    }();
    return text;
}

void BM_Memcpy(benchmark::State& state) {
    const std::vector<uint8_t> source = RandomBytes(kTextSize);
    std::vector<uint8_t> target(kTextSize);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}

// Like decoding, allocates the result on every iteration.
void BM_CopyToNewVector(benchmark::State& state) {
    const std::vector<uint8_t> source = RandomBytes(kTextSize);
    for (auto _ : state) {
        std::vector<uint8_t> target(source.begin(), source.end());
        benchmark::DoNotOptimize(target.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTextSize);
}

void BM_Decode(benchmark::State& state) {
    const std::string& text = EncodedText();
    for (auto _ : state) {
        std::vector<uint8_t> bytes = vantrel::Base64Decode(text);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void BM_DecodeWithLineBreaks(benchmark::State& state) {
    const std::string& text = EncodedTextWithLineBreaks();
    for (auto _ : state) {
        std::vector<uint8_t> bytes = vantrel::Base64Decode(text);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void BM_Encode(benchmark::State& state) {
    const std::vector<uint8_t> bytes = RandomBytes(kPlainSize);
    for (auto _ : state) {
        std::string text = vantrel::Base64Encode(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_CopyToNewVector);
BENCHMARK(BM_Decode);
BENCHMARK(BM_DecodeWithLineBreaks);
BENCHMARK(BM_Encode);

// Console output as usual, plus the ratios of decoding to copying at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && rate != run.counters.end()) {
                rates_[run.benchmark_name()] = rate->second.value;
            }
        }
    }

    void PrintRatio(const char* name, const char* baseline) const {
        const auto value = rates_.find(name);
        const auto base = rates_.find(baseline);
        if (value == rates_.end() || base == rates_.end() || base->second <= 0) return;
        std::printf("%s / %s: %.3f\n", name, baseline, value->second / base->second);
    }

private:
    std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.PrintRatio("BM_Decode", "BM_Memcpy");
    reporter.PrintRatio("BM_Decode", "BM_CopyToNewVector");
    reporter.PrintRatio("BM_DecodeWithLineBreaks", "BM_Memcpy");
    return 0;
}
