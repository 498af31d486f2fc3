// Parses arbitrary text; when a parse succeeds, the written tree must parse
// back to the same tree. The first byte chooses the options.
#include "framework/xml/Xml.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

using vantrel::CXmlElement;
using vantrel::CXmlOptions;

std::string Describe(const CXmlElement& element) {
    auto field = [](std::string_view text) { return std::to_string(text.size()) + ":" + std::string(text); };
    std::string out = "(" + field(element.Name()) + field(element.Value());
    for (int i = 0; i < element.GetAttributeCount(); ++i) {
        out += "@" + field(element.GetAttributeAt(i)->Name()) + field(element.GetAttributeAt(i)->Value());
    }
    for (int i = 0; i < element.GetChildCount(); ++i) out += Describe(*element.GetChild(i));
    return out + ")";
}

void Require(bool condition) {
    if (!condition) std::abort();
}

// In the whole tree; also checks that every value ends with a zero, as
// GetAttribute promises.
void ReadEveryAttribute(const CXmlElement& element) {
    for (int i = 0; i < element.GetAttributeCount(); ++i) {
        const std::string_view value = element.GetAttributeAt(i)->Value();
        Require(std::strlen(value.data()) == value.size());
        const std::string name(element.GetAttributeAt(i)->Name());
        uint32_t u32 = 0;
        uint64_t u64 = 0;
        (void)element.GetAttributeInt(name.c_str());
        (void)element.GetAttributeUInt32(name.c_str(), &u32);
        (void)element.GetAttributeUInt64(name.c_str(), &u64);
    }
    for (int i = 0; i < element.GetChildCount(); ++i) ReadEveryAttribute(*element.GetChild(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    CXmlOptions options;
    options.trim = data[0] & 1;
    options.useEntities = (data[0] >> 1) & 1;
    options.escapeCharacter = (data[0] & 4) ? '\\' : 0;
    // Exactly the input's bytes in their own allocation, so over-reads are
    // caught; freed before the tree is read, which must not refer to it.
    auto text = std::make_unique<std::string>(reinterpret_cast<const char*>(data + 1), size - 1);

    CXmlElement root;
    const char* end = root.Parse(text->c_str(), options);
    const char* textEnd = text->c_str() + std::strlen(text->c_str());
    if (options.error.failed) {
        Require(options.error.code >= 1 && options.error.code <= 5);
        Require(options.error.position >= text->c_str() && options.error.position <= textEnd);
    }
    if (end) Require(end > text->c_str() && end <= textEnd);
    text.reset();
    ReadEveryAttribute(root);
    (void)Describe(root);  // every name and value
    if (!end) return 0;

    // Without entities, or with an escape character, the writer cannot quote
    // every value the parser accepts; round trips are checked without them.
    if (!options.useEntities || options.escapeCharacter) return 0;
    CXmlOptions writeOptions = options;
    const std::string written = root.ToText(writeOptions);
    CXmlElement again;
    CXmlOptions againOptions = options;
    Require(again.Parse(written.c_str(), againOptions) == written.c_str() + written.size());
    Require(Describe(again) == Describe(root));
    return 0;
}
