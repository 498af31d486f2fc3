// The Event Viewer answer parsers on arbitrary text: the first byte chooses
// what the text answers (a page of record numbers, a page of whole events,
// the details of asked rows, a page of categories, log information); the rest
// is the XML text. Then everything the list asks of what was stored: cells,
// pictures and the local sort of every column.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/Categories.h"
#include "snapins/eventviewer/model/DetailRequests.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventCells.h"

namespace {

using namespace vantrel;
using namespace vantrel::eventviewer;

constexpr size_t kMaxRows = 5000;

void Require(bool condition) {
    if (!condition) std::abort();
}

DisplayTexts Texts() {
    DisplayTexts texts;
    texts.types = {u"Success", u"Error", u"Warning", u"Information", u"Success Audit", u"Failure Audit", u"Unknown"};
    texts.categoryNone = u"None";
    texts.userNone = u"N/A";
    return texts;
}

std::vector<uint32_t> SortedNumbers(const RecordIndex& index) {
    std::vector<uint32_t> numbers;
    for (size_t row = 0; row < index.Rows(); ++row) numbers.push_back(index.RecordNumber(row));
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// What the list asks of every row, and the sort of every column, which must
// keep the rows (only their order changes).
void CheckIndex(RecordIndex& index, const CategoryTable& table) {
    Require(index.Rows() <= kMaxRows);
    Require(index.LoadedRecords() <= index.Rows());
    const DisplayTexts texts = Texts();
    for (size_t row = 0; row < index.Rows(); ++row) {
        const EventRecord* record = index.Record(row);
        if (!record) continue;
        Require(record->recordNumber == index.RecordNumber(row));
        Require(record->data.size() <= kMaxEventData);
        Require(TypeImage(record->type) >= 0 && TypeImage(record->type) <= 4);
        for (int column = 0; column < kColumnCount; ++column) {
            const std::u16string cell = CellText(*record, index.Texts(), column, &table, texts);
            if (column == kColumnEvent) Require(cell.size() >= 1 && cell.size() <= 5);
        }
        EventLocalTime(*record, FixedOffsetConverter(-12 * 3600));
    }
    const std::vector<uint32_t> before = SortedNumbers(index);
    const SortContext context{&table, &texts, FixedOffsetConverter(3600)};
    for (int column = 0; column < kColumnCount; ++column) {
        SortLocally(index, {column, column % 2}, context);
        Require(SortedNumbers(index) == before);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t choice = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    CXmlElement root;
    if (ParseAnswer(text, root) != AnswerText::Parsed) return 0;

    RecordIndex index(kMaxRows);
    CategoryTable table;
    table.Add(u"Disk", 3, u"Schreiben");
    switch (choice % 5) {
    case 0: {
        const PageMerge merge = AppendIndexPage(root, index);
        Require(merge.appended == index.Rows());
        break;
    }
    case 1:
        AppendEventsPage(root, index);
        Require(index.LoadedRecords() == index.Rows());
        break;
    case 2: {
        // Rows whose numbers the first byte spreads; the text answers a request for them.
        for (uint32_t row = 0; row < 64; ++row) index.AppendNumber(row * (1u + choice / 5) % 97);
        DetailRequester requester;
        requester.OnHint(choice % 40, 63);
        const std::vector<DetailPair> asked = requester.TakeBatch(index);
        Require(asked.size() <= 30);
        const DetailsOutcome outcome = requester.Complete(&root, index);
        Require(outcome.filledRows.size() + outcome.releasedRows.size() == asked.size());
        for (size_t row = 0; row < index.Rows(); ++row) Require(index.State(row) != RowState::Pending);
        Require(index.LoadedRecords() == outcome.filledRows.size());
        break;
    }
    case 3: {
        const CategoryPage page = MergeCategoryPage(root, table);
        const CategoryStep step = NextCategoryPage({choice, choice}, page, table);
        if (step == CategoryStep::Continue)
            Require(page.position.category > choice || (page.position.category == choice && page.position.subCategory > choice));
        Require(table.Count() <= CategoryTable::kMaxCategories);
        break;
    }
    default: {
        const LogInfo info = ReadLogInfo(root);
        Require(info.displayName.find(u'\n') == std::u16string::npos);
        Require(info.created == kNoTime || IsEventTime(info.created));
        break;
    }
    }
    CheckIndex(index, table);
    return 0;
}
