#include "snapins/eventviewer/model/DetailRequests.h"

#include <algorithm>

#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::eventviewer {

void DetailRequester::OnHint(size_t first, size_t last)
{
    if (last < first)
        return;
    hint_ = {first, std::min(last, first + kMaxHintRows - 1)};
}

const std::vector<DetailPair>& DetailRequester::Asked() const
{
    static const std::vector<DetailPair> none;
    return inFlight_ ? inFlight_->pairs : none;
}

std::vector<DetailPair> DetailRequester::TakeBatch(RecordIndex& index)
{
    if (inFlight_ || !hint_)
        return {};
    std::vector<DetailPair> pairs;
    const size_t last = std::min(hint_->second, index.Rows() == 0 ? 0 : index.Rows() - 1);
    for (size_t row = hint_->first; row <= last && row < index.Rows(); ++row) {
        if (pairs.size() == static_cast<size_t>(protocol::kMaxDetailsPerRequest))
            break;
        if (index.MarkPending(row))
            pairs.push_back({static_cast<uint32_t>(row), index.RecordNumber(row)});
    }
    if (pairs.empty()) {
        hint_.reset();  // everything it named is loaded or on its way
        return {};
    }
    inFlight_ = Batch{pairs, index.Generation()};
    return pairs;
}

DetailsOutcome DetailRequester::Complete(const CXmlElement* root, RecordIndex& index)
{
    DetailsOutcome outcome;
    if (!inFlight_)
        return outcome;
    Batch batch = std::move(*inFlight_);
    inFlight_.reset();
    if (batch.generation != index.Generation()) {
        outcome.stale = true;
        return outcome;
    }
    std::vector<bool> filled(batch.pairs.size(), false);
    size_t left = batch.pairs.size();
    for (int i = 0; root && left > 0 && i < root->GetChildCount(); ++i) {
        const CXmlElement& element = *root->GetChild(i);
        const std::optional<uint32_t> number = ReadRecordNumber(element);
        if (!number)
            continue;
        // Among the asked rows only: at most 30 to look at, never the index.
        for (size_t p = 0; p < batch.pairs.size(); ++p) {
            if (filled[p] || batch.pairs[p].recordNumber != *number)
                continue;
            EventRecord event;
            if (ReadEvent(element, index.Texts(), &event) && index.Fill(batch.pairs[p].row, std::move(event))) {
                filled[p] = true;
                --left;
                outcome.filledRows.push_back(batch.pairs[p].row);
            }
            break;
        }
    }
    for (size_t p = 0; p < batch.pairs.size(); ++p) {
        if (filled[p])
            continue;
        index.ReleasePending(batch.pairs[p].row);
        outcome.releasedRows.push_back(batch.pairs[p].row);
    }
    if (!root)
        hint_.reset();
    return outcome;
}

std::string RecordIdsText(const std::vector<DetailPair>& pairs)
{
    CXmlElement root(protocol::kRecordIdsElement);
    for (const DetailPair& pair : pairs)
        root.AddChild(protocol::kRecordIdElement)->AddAttribute(protocol::kAttrRecordNumber, std::to_string(pair.recordNumber));
    CXmlOptions options;
    return root.ToText(options);
}

}  // namespace vantrel::eventviewer
