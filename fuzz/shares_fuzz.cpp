// The Shared Folders answer parsers on arbitrary text: a page of shares,
// sessions or open files (701-703, the first byte chooses which), then
// everything the view asks of what they stored, and the property dialog's
// reading and rewriting of a share element.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"
#include "snapins/shares/model/ShareSettings.h"
#include "snapins/shares/model/SharesModel.h"

namespace {

using namespace vantrel::shares;

void Require(bool condition) {
    if (!condition) std::abort();
}

template <typename Record, typename Cell, typename Compare>
void CheckStore(const Store<Record>& store, int columns, Cell cell, Compare compare) {
    const CellTexts texts;
    for (size_t i = 0; i < store.Count(); ++i) {
        const Record& record = *store.At(i);
        for (int column = 0; column < columns; ++column) {
            cell(record, column, texts);
            if (i + 1 < store.Count())
                Require(compare(record, *store.At(i + 1), column, texts) ==
                        -compare(*store.At(i + 1), record, column, texts));
        }
        // What the dialogs send back must be an element again.
        vantrel::CXmlElement again;
        Require(vantrel::ParseAnswer(record.element, again) == vantrel::AnswerText::Parsed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    vantrel::CXmlElement root;
    if (vantrel::ParseAnswer(text, root) != vantrel::AnswerText::Parsed) return 0;
    switch (data[0] % 3) {
    case 0: {
        ShareStore store(64);
        store.MergePage(root);
        ReadPcName(root);
        CheckStore(store, 5, &ShareCell, &CompareShares);
        for (size_t i = 0; i < store.Count(); ++i) {
            const ShareSettings settings = ReadShareSettings(store.At(i)->element);
            vantrel::CXmlElement changed;
            Require(vantrel::ParseAnswer(ChangedShareElement(store.At(i)->element, settings), changed) ==
                    vantrel::AnswerText::Parsed);
            Require(vantrel::ParseAnswer(NewShareElement(settings), changed) == vantrel::AnswerText::Parsed);
        }
        break;
    }
    case 1: {
        SessionStore store(64);
        store.MergePage(root);
        CheckStore(store, 8, &SessionCell, &CompareSessions);
        break;
    }
    default: {
        OpenFileStore store(64);
        store.MergePage(root);
        CheckStore(store, 4, &FileCell, &CompareFiles);
        break;
    }
    }
    return 0;
}
