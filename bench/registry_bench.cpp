// The Registry's model at the largest scale: a key of 100,000 subkeys and one
// of 100,000 values, each in 100 pages of 1,000 entries, parsed and stored
// (the clear of a refresh included), beside the parse of the same pages alone.
// Each figure is for the 100 pages; the goal is under 20 ms for each page.
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/registry/model/RegistryTree.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace vantrel;
using namespace vantrel::registry;

constexpr int kEntries = 100000;
constexpr int kPageSize = 1000;

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::vector<std::string> MakePages(bool values) {
    std::vector<std::string> pages;
    CXmlOptions options;
    for (int first = 0; first < kEntries; first += kPageSize) {
        CXmlElement root("RegKey");
        root.AddAttribute("StartAt", std::to_string(first));
        root.AddAttribute("UpTo", std::to_string(first + kPageSize - 1));
        root.AddAttribute("Total", std::to_string(kEntries));
        for (int i = first; i < first + kPageSize; ++i) {
            char name[48];
            std::snprintf(name, sizeof name, "{%08X-1D2C-4B5A-9F8E-%012d}", static_cast<unsigned>(i * 2654435761u), i);
            if (values) {
                CXmlElement& value = *root.AddChild("RegVal");
                value.AddAttribute("Name", EncodeUtf16Base64(Utf16(name)));
                value.AddAttribute("Type", "1");
                const std::u16string data = u"Eintrag Nummer " + Utf16(std::to_string(i));
                value.AddAttribute("ValSize", std::to_string(data.size() * 2 + 2));
                value.AddAttribute("Value", EncodeUtf16Base64(data + u'\0'));
            } else {
                CXmlElement& key = *root.AddChild("RegKey");
                key.AddAttribute("Name", EncodeUtf16Base64(Utf16(name)));
                key.AddAttribute("HasCh", i % 5 == 0 ? "1" : "0");
            }
        }
        pages.push_back(root.ToText(options));
    }
    return pages;
}

const std::vector<std::string>& Pages(bool values) {
    static const std::vector<std::string> keys = MakePages(false);
    static const std::vector<std::string> valuePages = MakePages(true);
    return values ? valuePages : keys;
}

// Parsed and stored as a listing does, after a first page that clears the key.
void ListKey(benchmark::State& state, bool values) {
    const auto& pages = Pages(values);
    RegistryTree tree(u"PC");
    KeyNode& key = *tree.Top().AddChild(u"HKEY_CLASSES_ROOT", true, 0x80000000u)->AddChild(u"CLSID", true, 0x80000000u);
    for (auto _ : state) {
        key.ClearContents();
        for (const std::string& text : pages) {
            CXmlElement root;
            ParseAnswer(text, root);
            benchmark::DoNotOptimize(MergePage(key, ReadListingPage(root, false)));
        }
    }
}

void ParseOnly(benchmark::State& state, bool values) {
    const auto& pages = Pages(values);
    for (auto _ : state) {
        for (const std::string& text : pages) {
            CXmlElement root;
            benchmark::DoNotOptimize(ParseAnswer(text, root));
        }
    }
}

void BM_ListSubkeys(benchmark::State& state) { ListKey(state, false); }
void BM_ListValues(benchmark::State& state) { ListKey(state, true); }
void BM_ParseSubkeyPages(benchmark::State& state) { ParseOnly(state, false); }
void BM_ParseValuePages(benchmark::State& state) { ParseOnly(state, true); }

BENCHMARK(BM_ListSubkeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSubkeyPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseValuePages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
