// The writer: a tree as compact text, and entity encoding.
#include "framework/xml/XmlInternal.h"

namespace vantrel {

using namespace xml_internal;

CXmlOptions& XmlWriteOptions() {
    static CXmlOptions options;
    return options;
}

namespace {

class EntityEncoder {
public:
    explicit EntityEncoder(const XmlEntity* table) {
        if (!table) return;
        int count = 0;
        for (int i = 0; i < kEntityCount; ++i) {
            if (!table[i].text) continue;
            const auto c = static_cast<unsigned char>(table[i].character);
            texts_[c] = table[i].text;
            if (count == 0) characters_.fill(table[i].character);  // unused places repeat it
            characters_[count++] = table[i].character;
        }
        any_ = count != 0;
    }

    // Appends the text with each table character replaced by its entity;
    // runs without one are copied whole.
    void Append(std::string& out, std::string_view text) const {
        const char* run = text.data();
        const char* const end = run + text.size();
        if (!any_) {
            out.append(run, end);
            return;
        }
        for (;;) {
            const char* found = FindFirstOf(run, end, characters_);
            out.append(run, found);
            if (found == end) return;
            out.append(texts_[static_cast<unsigned char>(*found)]);
            run = found + 1;
        }
    }

private:
    std::array<char, kEntityCount> characters_{};
    std::array<const char*, 256> texts_{};  // the entity of each table character
    bool any_ = false;
};

void WriteElement(const CXmlElement& element, std::string& out, const EntityEncoder* encoder) {
    auto appendValue = [&](std::string_view value) {
        if (encoder) {
            encoder->Append(out, value);
        } else {
            out.append(value);
        }
    };
    out.push_back('<');
    out.append(element.Name());
    const int attributeCount = element.GetAttributeCount();
    if (attributeCount > 0) {
        out.push_back(' ');
        for (int i = 0; i < attributeCount; ++i) {
            const CXmlAttribute& attribute = *element.GetAttributeAt(i);
            out.append(attribute.Name());
            out.append("='");
            appendValue(attribute.Value());
            out.append("' ");
        }
    }
    const int childCount = element.GetChildCount();
    if (childCount == 0 && element.Value().empty()) {
        out.append("/>");
        return;
    }
    out.push_back('>');
    for (int i = 0; i < childCount; ++i) WriteElement(*element.GetChild(i), out, encoder);
    appendValue(element.Value());
    out.append("</");
    out.append(element.Name());
    out.push_back('>');
}

}  // namespace

std::string XmlEncode(const XmlEntity* table, std::string_view text) {
    std::string out;
    out.reserve(text.size());
    EntityEncoder(table).Append(out, text);
    return out;
}

std::string CXmlElement::ToText(CXmlOptions& options) const {
    std::string out;
    if (options.useEntities && options.entities) {
        const EntityEncoder encoder(options.entities);
        WriteElement(*this, out, &encoder);
    } else {
        WriteElement(*this, out, nullptr);
    }
    return out;
}

}  // namespace vantrel
