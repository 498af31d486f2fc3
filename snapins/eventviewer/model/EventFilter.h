// The filter of a log and the named favourite filters: their XML form (the
// "Filter" node of 309, the elements of "FavoriteFilters") and the local
// filter of a log read as whole events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "snapins/eventviewer/model/RecordIndex.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::eventviewer {

// Bits of EventFilter::types.
constexpr uint32_t kTypeBitError = 1;
constexpr uint32_t kTypeBitWarning = 2;
constexpr uint32_t kTypeBitInformation = 4;
constexpr uint32_t kTypeBitAuditSuccess = 8;
constexpr uint32_t kTypeBitAuditFailure = 16;
constexpr uint32_t kAllTypeBits = 31;

struct EventFilter {
    uint32_t from = 0;  // seconds since 1970 (UTC); 0: from the first event
    uint32_t to = 0;    // 0: up to the last event
    uint32_t types = kAllTypeBits;
    uint32_t eventId = 0;   // 0: any
    uint16_t category = 0;  // 0: any
    std::u16string source, user, computer;  // empty: any
    std::u16string name;                    // a favourite's name

    bool operator==(const EventFilter&) const = default;
};

// The element's texts are 8-bit in the user's code page: the view converts.
struct TextCodec {
    std::function<std::string(std::u16string_view)> narrow;
    std::function<std::u16string(std::string_view)> widen;
};

// The `Filter` element with its attributes in the order of the wire.
std::string FilterElementText(const EventFilter& filter, const TextCodec& codec);
EventFilter ReadFilterElement(const CXmlElement& element, const TextCodec& codec);

// "FavoriteFilters": one `Favorites` element with a `Filter` child each. A
// damaged text reads as no favourites; more than kMaxFavorites are dropped.
constexpr size_t kMaxFavorites = 1000;
std::string FavoritesText(const std::vector<EventFilter>& favorites, const TextCodec& codec);
std::vector<EventFilter> ReadFavorites(std::string_view text, const TextCodec& codec);

// The type bit of an event type. Success (type 0) has no bit of its own: it
// counts as information, as the machine's own filter counts it.
constexpr uint32_t TypeBitOf(uint32_t type) { return type == 0 ? kTypeBitInformation : type; }

// Whether a whole event passes the filter. Texts compare whole, without
// regard to case; the event ID compares as the list shows it (low 16 bits).
bool FilterMatches(const EventFilter& filter, const EventRecord& record, const TextPool& texts);

// Keeps only the rows whose record passes the filter (rows without one go).
void ApplyFilter(RecordIndex& index, const EventFilter& filter);

}  // namespace vantrel::eventviewer
