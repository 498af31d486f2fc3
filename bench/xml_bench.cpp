// Parsing and writing three answer bodies of realistic size, each beside
// pugixml on the same text, and the heap each parsed tree keeps per element.
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

// Heap accounting, switched on only around the memory measurement so that
// timed runs pay nothing for it. A block costs its usable size plus the
// allocator's size word.
bool g_counting = false;
long long g_liveBytes = 0;

void* CountedAllocate(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (block && g_counting) g_liveBytes += static_cast<long long>(malloc_usable_size(block) + sizeof(size_t));
    return block;
}

void CountedFree(void* block) {
    if (block && g_counting) g_liveBytes -= static_cast<long long>(malloc_usable_size(block) + sizeof(size_t));
    std::free(block);
}

}  // namespace

void* operator new(size_t size) {
    if (void* block = CountedAllocate(size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { CountedFree(block); }
void operator delete(void* block, size_t) noexcept { CountedFree(block); }

namespace {

using vantrel::CXmlElement;
using vantrel::CXmlOptions;

std::string Utf16Base64(const std::string& text) {
    return vantrel::EncodeUtf16Base64(std::u16string(text.begin(), text.end()));
}

std::string Words(std::mt19937& random, size_t count) {
    static const char* const kWords[] = {"Windows", "service", "network", "remote", "manager", "provides",
                                         "support", "for", "the", "local", "device", "update", "host"};
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += kWords[random() % std::size(kWords)];
    }
    return text;
}

std::string ServicesPage(size_t count) {
    std::mt19937 random(1);
    std::string text = "<Services StartAt='0' UpTo='" + std::to_string(count) + "' Total='" + std::to_string(count) + "'>";
    for (size_t i = 0; i < count; ++i) {
        const bool running = random() % 2;
        text += "<Service Name='" + Utf16Base64("Svc" + std::to_string(i)) + "' DisplayName='" +
                Utf16Base64(Words(random, 3)) + "' Description='" + Utf16Base64(Words(random, 14)) +
                "' State='" + (running ? "4" : "1") + "' StartupType='" + std::to_string(2 + random() % 3) +
                "' ServiceType='32' StartName='" + Utf16Base64("LocalSystem") + "' ServicePath='" +
                Utf16Base64("C:\\Windows\\system32\\svchost.exe -k netsvcs") + "' AcceptedControls='" +
                (running ? "5" : "0") + "'";
        text += i % 5 == 0 ? "><RpcSs/></Service>" : "/>";
    }
    return text + "</Services>";
}

// Record numbers travel as element names; pugixml takes no name that starts
// with a digit, so it gets the same list with a letter before each number.
std::string RecordNumbers(size_t count, const char* prefix) {
    std::string text = "<Indicies StartAt='0' UpTo='" + std::to_string(count) + "' Total='250000'>";
    for (size_t i = 0; i < count; ++i) text += "<" + (prefix + std::to_string(1000000 + i)) + "/>";
    return text + "</Indicies>";
}

std::string RegistryListing(size_t count) {
    std::mt19937 random(2);
    std::string text = "<Items Key='2' SubKey='" + Utf16Base64("SOFTWARE\\Vendor\\Product\\Settings") +
                       "' StartAt='0' UpTo='" + std::to_string(count) + "' Total='" + std::to_string(count) + "'>";
    for (size_t i = 0; i < count; ++i) {
        std::string data(4 + random() % 60, '\0');
        for (char& c : data) c = static_cast<char>(random());
        text += "<RegVal Name='" + Utf16Base64("Value" + std::to_string(i)) + "' Type='" +
                std::to_string(1 + random() % 4) + "' ValSize='" + std::to_string(data.size()) + "' Value='" +
                vantrel::Base64Encode(data.data(), data.size()) + "'/>";
    }
    return text + "</Items>";
}

struct Body {
    const char* name;
    std::string text;
};

const Body& BodyAt(int64_t index) {
    static const Body bodies[] = {
        {"services", ServicesPage(5000)},
        {"records", RecordNumbers(100000, "")},
        {"records_n", RecordNumbers(100000, "n")},
        {"registry", RegistryListing(20000)},
    };
    return bodies[index];
}

size_t CountElements(const CXmlElement& element) {
    size_t count = 1;
    for (int i = 0; i < element.GetChildCount(); ++i) count += CountElements(*element.GetChild(i));
    return count;
}

size_t CountElements(const pugi::xml_node& node) {
    size_t count = node.type() == pugi::node_element ? 1 : 0;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) count += CountElements(child);
    return count;
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

constexpr unsigned kPugiWriteFlags = pugi::format_raw | pugi::format_no_declaration;

void ReportMemory(benchmark::State& state, long long liveBytes, size_t elements, size_t textSize) {
    state.counters["elements"] = static_cast<double>(elements);
    state.counters["heap_B/elem"] = static_cast<double>(liveBytes) / static_cast<double>(elements);
    state.counters["text_B/elem"] = static_cast<double>(textSize) / static_cast<double>(elements);
}

void BM_Parse(benchmark::State& state) {
    const Body& body = BodyAt(state.range(0));
    for (auto _ : state) {
        CXmlOptions options;
        CXmlElement root;
        benchmark::DoNotOptimize(root.Parse(body.text.c_str(), options));
    }
    CXmlOptions options;
    g_liveBytes = 0;
    g_counting = true;
    {
        CXmlElement root;
        if (!root.Parse(body.text.c_str(), options)) state.SkipWithError("parse failed");
        ReportMemory(state, g_liveBytes, CountElements(root), body.text.size());
        g_counting = false;
    }
    state.SetLabel(body.name);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.text.size()));
}

void BM_ParsePugixml(benchmark::State& state) {
    const Body& body = BodyAt(state.range(0));
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_buffer(body.text.data(), body.text.size()));
    }
    g_liveBytes = 0;
    g_counting = true;
    {
        pugi::xml_document document;
        if (!document.load_buffer(body.text.data(), body.text.size())) state.SkipWithError("parse failed");
        ReportMemory(state, g_liveBytes, CountElements(document), body.text.size());
        g_counting = false;
    }
    state.SetLabel(body.name);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.text.size()));
}

void BM_Write(benchmark::State& state) {
    const Body& body = BodyAt(state.range(0));
    CXmlOptions options;
    CXmlElement root;
    if (!root.Parse(body.text.c_str(), options)) state.SkipWithError("parse failed");
    for (auto _ : state) benchmark::DoNotOptimize(root.ToText(options));
    state.SetLabel(body.name);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.text.size()));
}

void BM_WritePugixml(benchmark::State& state) {
    const Body& body = BodyAt(state.range(0));
    pugi::xml_document document;
    if (!document.load_buffer(body.text.data(), body.text.size())) state.SkipWithError("parse failed");
    for (auto _ : state) {
        StringWriter writer;
        document.save(writer, "", kPugiWriteFlags);
        benchmark::DoNotOptimize(writer.text);
    }
    state.SetLabel(body.name);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.text.size()));
}

}  // namespace

// The machine is shared: with --benchmark_repetitions the fastest run is the
// figure least disturbed by others.
double Fastest(const std::vector<double>& runs) {
    return *std::min_element(runs.begin(), runs.end());
}

BENCHMARK(BM_Parse)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ParsePugixml)->Arg(0)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Write)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_WritePugixml)->Arg(0)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

int main(int argc, char** argv) {
    pugi::set_memory_management_functions(CountedAllocate, CountedFree);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
