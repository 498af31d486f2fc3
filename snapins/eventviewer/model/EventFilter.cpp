#include "snapins/eventviewer/model/EventFilter.h"

#include "framework/model/Answer.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::eventviewer {
namespace {

namespace wire = protocol;
constexpr char kFavoritesElement[] = "Favorites";

void AddFilter(CXmlElement& element, const EventFilter& filter, const TextCodec& codec) {
    element.AddAttribute(wire::kAttrFrom, std::to_string(filter.from));
    element.AddAttribute(wire::kAttrTo, std::to_string(filter.to));
    element.AddAttribute(wire::kAttrTypes, std::to_string(filter.types));
    element.AddAttribute(wire::kAttrFilterEventId, std::to_string(filter.eventId));
    element.AddAttribute(wire::kAttrFilterCategory, std::to_string(filter.category));
    element.AddAttribute(wire::kAttrEventSource, codec.narrow(filter.source));
    element.AddAttribute(wire::kAttrFilterUser, codec.narrow(filter.user));
    element.AddAttribute(wire::kAttrFilterComputer, codec.narrow(filter.computer));
    element.AddAttribute(wire::kAttrName, codec.narrow(filter.name));
}

bool TextMatches(std::u16string_view wanted, const std::u16string& actual) {
    return wanted.empty() || EqualsNoCase(wanted, actual);
}

}  // namespace

std::string FilterElementText(const EventFilter& filter, const TextCodec& codec) {
    CXmlElement element(wire::kFilterElement);
    AddFilter(element, filter, codec);
    return element.ToText();
}

EventFilter ReadFilterElement(const CXmlElement& element, const TextCodec& codec) {
    auto text = [&](const char* name) {
        const char* value = element.GetAttribute(name);
        return value ? codec.widen(value) : std::u16string();
    };
    EventFilter filter;
    filter.from = ReadUInt32(element, wire::kAttrFrom);
    filter.to = ReadUInt32(element, wire::kAttrTo);
    filter.types = ReadUInt32(element, wire::kAttrTypes) & kAllTypeBits;
    filter.eventId = ReadUInt32(element, wire::kAttrFilterEventId);
    const uint32_t category = ReadUInt32(element, wire::kAttrFilterCategory);
    filter.category = category <= 0xFFFF ? static_cast<uint16_t>(category) : 0;
    filter.source = text(wire::kAttrEventSource);
    filter.user = text(wire::kAttrFilterUser);
    filter.computer = text(wire::kAttrFilterComputer);
    filter.name = text(wire::kAttrName);
    return filter;
}

std::string FavoritesText(const std::vector<EventFilter>& favorites, const TextCodec& codec) {
    CXmlElement root(kFavoritesElement);
    for (const EventFilter& favorite : favorites) AddFilter(*root.AddChild(wire::kFilterElement), favorite, codec);
    return root.ToText();
}

std::vector<EventFilter> ReadFavorites(std::string_view text, const TextCodec& codec) {
    std::vector<EventFilter> favorites;
    CXmlElement root;
    if (ParseAnswer(text, root) != AnswerText::Parsed || root.Name() != kFavoritesElement) return favorites;
    for (int i = 0; i < root.GetChildCount() && favorites.size() < kMaxFavorites; ++i) {
        const CXmlElement* child = root.GetChild(i);
        if (child->Name() == wire::kFilterElement) favorites.push_back(ReadFilterElement(*child, codec));
    }
    return favorites;
}

bool FilterMatches(const EventFilter& filter, const EventRecord& record, const TextPool& texts) {
    if (!(TypeBitOf(record.type) & filter.types)) return false;
    if (filter.eventId != 0 && (filter.eventId & 0xFFFF) != (record.eventId & 0xFFFF)) return false;
    if (filter.category != 0 && filter.category != record.category) return false;
    if (filter.from != 0 && (record.time == kNoTime || record.time < filter.from)) return false;
    if (filter.to != 0 && (record.time == kNoTime || record.time > filter.to)) return false;
    return TextMatches(filter.source, texts.Text(record.source)) && TextMatches(filter.user, texts.Text(record.user)) &&
           TextMatches(filter.computer, texts.Text(record.computer));
}

void ApplyFilter(RecordIndex& index, const EventFilter& filter) {
    std::vector<uint32_t> kept;
    for (size_t row = 0; row < index.Rows(); ++row) {
        const EventRecord* record = index.Record(row);
        if (record && FilterMatches(filter, *record, index.Texts())) kept.push_back(static_cast<uint32_t>(row));
    }
    if (kept.size() != index.Rows()) index.KeepRows(kept);
}

}  // namespace vantrel::eventviewer
