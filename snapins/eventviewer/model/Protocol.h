// The Event Viewer on the wire: command codes, node names, XML element and
// attribute names, spelled as they travel (misspellings included). Shared by
// the snap-in, the simulated machine and the tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel::eventviewer::protocol {

constexpr int32_t kSnapInId = 15002;

constexpr uint32_t kSupportedCommand = 0;   // "Supported": its 16-bit value is the protocol level
constexpr uint32_t kCategoriesCommand = 301;  // category names of a live log, in pages
constexpr uint32_t kEventsCommand = 302;      // whole events, in pages (full retrieval)
constexpr uint32_t kLogInfoCommand = 303;     // log information before a retrieval
constexpr uint32_t kSetPropertiesCommand = 304;  // maximum size and retention of a live log
constexpr uint32_t kSaveCommand = 305;           // save a live log to a file on the managed machine
constexpr uint32_t kClearCommand = 306;          // clear a live log
constexpr uint32_t kUploadCommand = 307;         // one chunk of a local file to the managed machine
constexpr uint32_t kDescriptionCommand = 308; // description and data of one event
constexpr uint32_t kCopyCommand = 1;          // one chunk of a file on the managed machine
constexpr uint32_t kDiscardCommand = 2;       // delete the managed machine's copy after a save
constexpr uint32_t kIndexCommand = 309;       // record numbers, in pages (indexed retrieval)
constexpr uint32_t kDetailsCommand = 310;     // details of up to 30 events by record number

// The protocol level that selects indexed retrieval; any other selects full.
constexpr int16_t kIndexedLevel = 2;

// "RetValue" is read as a 16-bit number; 1 is success.
constexpr int16_t kSuccess = 1;

// The logs, numbered as "EventType" numbers them.
constexpr int kApplicationLog = 0;
constexpr int kSecurityLog = 1;
constexpr int kSystemLog = 2;
constexpr int kFileLog = 3;
constexpr int kLogCount = 4;
constexpr int kLiveLogCount = 3;

// Message nodes.
constexpr char kEventTypeNode[] = "EventType";      // short: the log
constexpr char kCategoriesNode[] = "Categories";    // 301: XML both ways
constexpr char kEventsNode[] = "Events";            // 302 request and answer, 303 and 310 answers: XML
constexpr char kIndexNode[] = "Indicies";           // 309: XML both ways
constexpr char kRecordIdsNode[] = "RecIDs";         // 310 request: XML
constexpr char kFileNameToNode[] = "FileNameTo";    // 302, 309: the saved file's path, empty for live logs
constexpr char kFileNameNode[] = "FileName";        // 303, 310: the same
constexpr char kRetentionNode[] = "Retention";      // 302: 1 on the first page, then the answer's own
constexpr char kRereadNode[] = "Reread";            // 309: 1 to read the log afresh
constexpr char kFilterNode[] = "Filter";            // 309: XML of the filter, first page only
constexpr char kSortNode[] = "Sort";                // 309: XML of the sort, first page only

// 304 to 308, 1 and 2.
constexpr char kMaxSizeNode[] = "MaxSize";                  // 304: long, bytes
constexpr char kRetentionSecondsNode[] = "Retention";       // 304: long, seconds
constexpr char kFileNameFromNode[] = "FileNameFrom";        // 305 answer, 1: the machine's file
constexpr char kPackageNode[] = "FilePackage";              // 1 answer, 307: Base64 of the chunk
constexpr char kPackageStartNode[] = "FilePackageStartAt";  // long
constexpr char kPackageUpToNode[] = "FilePackageUpTo";      // long
constexpr char kFileSizeNode[] = "FileSize";                // long
constexpr char kRecordNumberNode[] = "RecID";               // 308: long
constexpr char kDescriptionNode[] = "Description";          // 308 answer: 8-bit text
constexpr char kDataLengthNode[] = "DataLen";               // 308 answer: short
constexpr char kDataNode[] = "Data";                        // 308 answer: Base64 of the bytes

// The chunks of an upload (307).
constexpr size_t kUploadChunk = 8000;

// Elements of the XML texts.
constexpr char kEventsElement[] = "Events";        // 302 and 309 requests: carries "StartAt"
constexpr char kCategoriesElement[] = "Categories";
constexpr char kRecordIdsElement[] = "EventIDs";   // 310 request
constexpr char kRecordIdElement[] = "EventID";     // one per record, with "RecID"
constexpr char kSortElement[] = "SortOrder";
constexpr char kFilterElement[] = "Filter";

// 301: root attributes, then one child per source with its categories.
constexpr char kAttrCategoryIndex[] = "CatInd";
constexpr char kAttrSubCategoryIndex[] = "SubCatInd";
constexpr char kAttrTotal[] = "Total";
constexpr char kAttrEventType[] = "EventType";
constexpr char kAttrSourceName[] = "SourceName";
constexpr char kAttrCategoryNumber[] = "CategoryIndex";
constexpr char kAttrCategoryName[] = "CategoryName";

// 302 and 310: one child per event.
constexpr char kAttrCategory[] = "CategoryID";
constexpr char kAttrDataLength[] = "DataLength";
constexpr char kAttrDateTime[] = "DateTime";
constexpr char kAttrEventId[] = "ID";
constexpr char kAttrType[] = "Type";
constexpr char kAttrComputer[] = "Computer";
constexpr char kAttrData[] = "Data";
constexpr char kAttrDescription[] = "Description";
constexpr char kAttrSource[] = "Source";
constexpr char kAttrUser[] = "User";
constexpr char kAttrRecordNumber[] = "RecID";

// 303: the log information on the root.
constexpr char kAttrDisplayName[] = "DisplayName";
constexpr char kAttrLogFileName[] = "LogFileName";
constexpr char kAttrDateAccessed[] = "DateAccessed";
constexpr char kAttrDateCreated[] = "DateCreated";
constexpr char kAttrDateModified[] = "DateModified";
constexpr char kAttrMaxLogSize[] = "MaxLogSize";
constexpr char kAttrRetention[] = "Retention";
constexpr char kAttrFileSize[] = "FileSize";

// The "Sort" element: the column, the order and the texts the user sees.
constexpr char kAttrColumn[] = "Column";
constexpr char kAttrOrder[] = "Order";
constexpr char kAttrTypeSuccess[] = "TypeSuccess";
constexpr char kAttrTypeError[] = "TypeError";
constexpr char kAttrTypeWarning[] = "TypeWarning";
constexpr char kAttrTypeInformation[] = "TypeInformation";
constexpr char kAttrTypeAuditSuccess[] = "TypeAuditSuccess";
constexpr char kAttrTypeAuditFailure[] = "TypeAuditFailure";
constexpr char kAttrTypeUnknown[] = "TypeUnknown";
constexpr char kAttrCategoryNone[] = "CategoryNotAvilable";

// The "Filter" element (its texts are plain 8-bit).
constexpr char kAttrFrom[] = "From";
constexpr char kAttrTo[] = "To";
constexpr char kAttrTypes[] = "Types";
constexpr char kAttrFilterEventId[] = "EventID";
constexpr char kAttrFilterCategory[] = "Category";
constexpr char kAttrEventSource[] = "EventSource";
constexpr char kAttrFilterUser[] = "User";
constexpr char kAttrFilterComputer[] = "Computer";
constexpr char kAttrName[] = "Name";

// Event types.
constexpr uint32_t kTypeSuccess = 0;
constexpr uint32_t kTypeError = 1;
constexpr uint32_t kTypeWarning = 2;
constexpr uint32_t kTypeInformation = 4;
constexpr uint32_t kTypeAuditSuccess = 8;
constexpr uint32_t kTypeAuditFailure = 16;

// The most record numbers one details request asks for.
constexpr int kMaxDetailsPerRequest = 30;

}  // namespace vantrel::eventviewer::protocol
