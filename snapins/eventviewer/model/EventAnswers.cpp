#include "snapins/eventviewer/model/EventAnswers.h"

#include <algorithm>
#include <charconv>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::eventviewer {

namespace {

// A 32-bit field whatever way the machine wrote it: unsigned ("3221225472")
// or as the signed number of the same bits ("-1073741824").
uint32_t ReadBits32(const CXmlElement& element, const char* name)
{
    return static_cast<uint32_t>(ReadInt64(element, name));
}

// A number that means something only from 0 to 4294967295, written as
// decimal digits and nothing else.
std::optional<uint32_t> ReadUnsigned32(const CXmlElement& element, const char* name)
{
    const char* text = element.GetAttribute(name);
    return text ? RecordNumberOfName(text) : std::nullopt;
}

int64_t ReadTime(const CXmlElement& element, const char* name)
{
    const char* text = element.GetAttribute(name);
    const int64_t value = text ? ReadInt64(element, name) : kNoTime;
    return text && IsEventTime(value) ? value : kNoTime;
}

std::vector<uint8_t> ReadData(const CXmlElement& element)
{
    const char* encoded = element.GetAttribute(protocol::kAttrData);
    std::vector<uint8_t> data = encoded ? Base64Decode(encoded) : std::vector<uint8_t>();
    size_t keep = std::min(data.size(), kMaxEventData);
    uint32_t declared = 0;
    if (element.GetAttributeUInt32(protocol::kAttrDataLength, &declared))
        keep = std::min<size_t>(keep, declared);
    data.resize(keep);
    data.shrink_to_fit();
    return data;
}

std::u16string WithoutLineBreaks(std::u16string text)
{
    std::erase_if(text, [](char16_t c) { return c == u'\r' || c == u'\n'; });
    return text;
}

}  // namespace

std::optional<uint32_t> ReadRecordNumber(const CXmlElement& element)
{
    return ReadUnsigned32(element, protocol::kAttrRecordNumber);
}

bool ReadEvent(const CXmlElement& element, TextPool& texts, EventRecord* out)
{
    const std::optional<uint32_t> recordNumber = ReadRecordNumber(element);
    if (!recordNumber)
        return false;
    EventRecord event;
    event.recordNumber = *recordNumber;
    event.eventId = ReadBits32(element, protocol::kAttrEventId);
    event.time = ReadTime(element, protocol::kAttrDateTime);
    // Types and categories outside their range show as unknown, never as
    // whatever their low bits happen to be.
    event.type = ReadUnsigned32(element, protocol::kAttrType).value_or(0xFFFFFFFF);
    event.category = ReadUnsigned32(element, protocol::kAttrCategory).value_or(0);
    event.source = texts.Intern(ReadText(element, protocol::kAttrSource));
    event.computer = texts.Intern(ReadText(element, protocol::kAttrComputer));
    event.user = texts.Intern(ReadText(element, protocol::kAttrUser));
    event.data = ReadData(element);
    event.description = ReadText(element, protocol::kAttrDescription);
    *out = std::move(event);
    return true;
}

std::optional<uint32_t> RecordNumberOfName(std::string_view name)
{
    uint32_t value = 0;
    const char* end = name.data() + name.size();
    if (name.empty() || name.front() < '0' || name.front() > '9')
        return std::nullopt;
    const auto [stop, error] = std::from_chars(name.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

PageMerge AppendIndexPage(const CXmlElement& root, RecordIndex& index)
{
    PageMerge merge;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const std::optional<uint32_t> number = RecordNumberOfName(root.GetChild(i)->Name());
        if (!number) {
            ++merge.skipped;
        } else if (!index.AppendNumber(*number)) {
            merge.full = true;
            break;
        } else {
            ++merge.appended;
        }
    }
    return merge;
}

PageMerge AppendEventsPage(const CXmlElement& root, RecordIndex& index)
{
    PageMerge merge;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        if (index.Full()) {
            merge.full = true;
            break;
        }
        EventRecord event;
        if (!ReadEvent(*root.GetChild(i), index.Texts(), &event)) {
            ++merge.skipped;
            continue;
        }
        index.AppendRecord(std::move(event));
        ++merge.appended;
    }
    return merge;
}

LogInfo ReadLogInfo(const CXmlElement& root)
{
    LogInfo info;
    info.displayName = WithoutLineBreaks(ReadText(root, protocol::kAttrDisplayName));
    info.logFileName = ReadText(root, protocol::kAttrLogFileName);
    info.created = ReadTime(root, protocol::kAttrDateCreated);
    info.modified = ReadTime(root, protocol::kAttrDateModified);
    info.accessed = ReadTime(root, protocol::kAttrDateAccessed);
    info.maxSize = ReadUInt64(root, protocol::kAttrMaxLogSize);
    info.retention = ReadBits32(root, protocol::kAttrRetention);
    info.fileSize = ReadUInt64(root, protocol::kAttrFileSize);
    return info;
}

std::optional<int> AnswerLog(int32_t eventType, std::string_view fileName, std::string_view openFile)
{
    if (!fileName.empty()) {
        if (!openFile.empty() && fileName == openFile)
            return protocol::kFileLog;
        return std::nullopt;
    }
    if (eventType >= 0 && eventType < protocol::kLiveLogCount)
        return eventType;
    return std::nullopt;
}

}  // namespace vantrel::eventviewer
