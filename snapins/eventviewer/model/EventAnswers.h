// Reading the Event Viewer's answers: the record numbers of a 309 page, the
// events of 302 and 310 answers, the log information of 303, and which log an
// answer belongs to.
//
// The managed machine is not trusted: numbers are read for what they can mean,
// a declared data length never outgrows the bytes that came, and every list
// grows only with entries that actually arrived, up to the index's cap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "snapins/eventviewer/model/RecordIndex.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::eventviewer {

// The most data bytes kept for one event: an event log record is far smaller.
constexpr size_t kMaxEventData = 256 * 1024;

// One event element of a 302 or 310 answer. False when it has no record number
// (a "RecID" that is not a number from 0 to 4294967295): it is then of no use.
// Texts are Base64 UTF-16 and go into the pool; "Data" is Base64 of the bytes.
// The decoded data is the truth about its length, cut to "DataLength" when
// that is smaller. A "DateTime" outside the 32-bit unsigned range is kNoTime.
bool ReadEvent(const CXmlElement& element, TextPool& texts, EventRecord* out);

// The record number of an event element, if it has one.
std::optional<uint32_t> ReadRecordNumber(const CXmlElement& element);

struct PageMerge {
    size_t appended = 0;
    size_t skipped = 0;  // entries without a record number
    bool full = false;   // entries were dropped because the index is full
};

// A 309 page: each child's element name, read as a decimal number, is a
// record number; they are appended in order as unloaded rows.
PageMerge AppendIndexPage(const CXmlElement& root, RecordIndex& index);
// A 302 page: each child is a whole event, appended as a loaded row.
PageMerge AppendEventsPage(const CXmlElement& root, RecordIndex& index);

// The record number an element name stands for: decimal digits only.
std::optional<uint32_t> RecordNumberOfName(std::string_view name);

// What 303 says about a log.
struct LogInfo {
    std::u16string displayName;  // without carriage returns and line feeds
    std::u16string logFileName;
    int64_t created = kNoTime;
    int64_t modified = kNoTime;
    int64_t accessed = kNoTime;
    uint64_t maxSize = 0;     // bytes
    uint32_t retention = 0;   // seconds; 0 overwrite as needed, 4294967295 never
    uint64_t fileSize = 0;    // bytes
};
LogInfo ReadLogInfo(const CXmlElement& root);

// The log a 302, 309 or 310 answer belongs to. An answer that names a file
// belongs to the open saved log, and only when it names that very file; any
// other answer to the live log its "EventType" names. Nothing for anything
// else (a file that is not open, a type outside 0 to 2).
std::optional<int> AnswerLog(int32_t eventType, std::string_view fileName, std::string_view openFile);

}  // namespace vantrel::eventviewer
