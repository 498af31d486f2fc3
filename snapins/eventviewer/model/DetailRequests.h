// Details on demand (indexed retrieval): the list names the rows it is about
// to draw, and the rows among them without a record are asked for with
// command 310, at most 30 at a time, one request per log on its way.
//
// Each request keeps the (row, record number) pairs it asked for. Its answer
// fills only those rows, and only while they are still pending; rows whose
// details did not come go back to unloaded, so that they can be asked for
// again. When rows of the last hint are still unloaded after an answer, the
// next request continues inside it: the list may not name them again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "snapins/eventviewer/model/RecordIndex.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::eventviewer {

struct DetailPair {
    uint32_t row;
    uint32_t recordNumber;
};

struct DetailsOutcome {
    std::vector<uint32_t> filledRows;    // rows that got their record
    std::vector<uint32_t> releasedRows;  // rows asked for that got nothing: unloaded again
    bool stale = false;                  // the rows were cleared or reordered meanwhile: nothing changed
};

class DetailRequester {
public:
    // A hint longer than this is cut: no list shows that many rows at once.
    static constexpr size_t kMaxHintRows = 10000;

    // The list is about to draw the rows first..last.
    void OnHint(size_t first, size_t last);
    // The next rows to ask for: up to 30 unloaded rows of the last hint, in
    // row order, now pending and on their way. Empty while a request is on
    // its way or when the hint has nothing left.
    std::vector<DetailPair> TakeBatch(RecordIndex& index);
    bool InFlight() const { return inFlight_.has_value(); }
    const std::vector<DetailPair>& Asked() const;

    // The answer to the request on its way: its root element, or null for a
    // failure. After a failure the hint is forgotten, so that rows are asked
    // for again only when the list names them again.
    DetailsOutcome Complete(const CXmlElement* root, RecordIndex& index);

private:
    struct Batch {
        std::vector<DetailPair> pairs;
        uint64_t generation = 0;
    };

    std::optional<std::pair<size_t, size_t>> hint_;
    std::optional<Batch> inFlight_;
};

// The "RecIDs" text of a request: one EventID element with "RecID" per pair.
std::string RecordIdsText(const std::vector<DetailPair>& pairs);

}  // namespace vantrel::eventviewer
