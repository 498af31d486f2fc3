// The Event Viewer's filter, favourites, log settings and the event properties
// dialog's texts: the dumps, the description clean-up and the clipboard text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventDetails.h"
#include "snapins/eventviewer/model/EventFilter.h"
#include "snapins/eventviewer/model/LogSettings.h"

namespace vantrel::eventviewer {
namespace {

const TextCodec kLatin1 = {[](std::u16string_view text) {
                               std::string out;
                               for (char16_t c : text) out += c < 256 ? static_cast<char>(c) : '?';
                               return out;
                           },
                           [](std::string_view text) {
                               std::u16string out;
                               for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
                               return out;
                           }};

std::vector<uint8_t> Bytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

TEST(EventPropertiesText, BytesDumpLinesOfEight) {
    const std::vector<uint8_t> data = {0x41, 0x42, 0x43, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    EXPECT_EQ(BytesDump(data), "0000: 41 42 43 00 01 02 03 04   ABC.....\r\n"
                               "0008: 05 06 " + std::string(18, ' ') + "  ..\r\n");
    EXPECT_EQ(BytesDump({}), "");
    // 16 bytes are two full lines; 17 a third with one byte.
    auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_EQ(lines(BytesDump(Bytes(16))), 2);
    const std::string seventeen = BytesDump(Bytes(17));
    EXPECT_EQ(lines(seventeen), 3);
    EXPECT_EQ(seventeen.substr(seventeen.rfind("0010: ")), "0010: 11 " + std::string(21, ' ') + "  .\r\n");
    // Bytes above 127 are not printable, whatever a signed char makes of them.
    EXPECT_EQ(BytesDump(std::vector<uint8_t>{0xE9, 0x7E, 0x20}), "0000: e9 7e 20" + std::string(16, ' ') + "  .~ \r\n");
}

TEST(EventPropertiesText, WordsDumpLittleEndianFourALine) {
    EXPECT_EQ(WordsDump(std::vector<uint8_t>{1, 2, 3, 4}), "0000: 04030201 ");
    EXPECT_EQ(WordsDump(Bytes(18)), "0000: 04030201 08070605 0c0b0a09 100f0e0d \r\n0010: 1211 ");
    EXPECT_EQ(WordsDump({}), "");
}

TEST(EventPropertiesText, DescriptionCleanUp) {
    EXPECT_EQ(CleanDescription(u"a\n\nb"), u"a\r\n\r\nb");
    EXPECT_EQ(CleanDescription(u"a\r\r\rb"), u"a\rb");
    EXPECT_EQ(CleanDescription(u"a\r\n\r\n\r\nb\r\r\n\r\nc"), u"a\r\nb\r\nc");
    EXPECT_EQ(CleanDescription(u"a\r\nb\n"), u"a\r\nb\r\n");
    // A megabyte of line breaks takes one pass.
    const std::u16string big(1 << 20, u'\r');
    EXPECT_EQ(CleanDescription(big + u"\n" + big + u"\nx"), u"\r\nx");
}

TEST(EventPropertiesText, AnswerDataIsWhatArrived) {
    EXPECT_EQ(DescriptionAnswerData("AQIDBA=="), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(DescriptionAnswerData("").empty());
    const std::vector<uint8_t> huge(kMaxEventData + 100, 7);
    EXPECT_EQ(DescriptionAnswerData(Base64Encode(huge.data(), huge.size())).size(), kMaxEventData);
}

TEST(EventPropertiesText, ClipboardTextSkipsEmptyPairs) {
    const LabelledText fields[] = {{u"Type:", u"Error"}, {u"Source:", u""}, {u"Event ID:", u"7036"}};
    EXPECT_EQ(ClipboardText(fields, {u"Description:", u"text"}, {u"Data:", u""}),
              u"Type:       \tError\r\nEvent ID:   \t7036\r\nDescription:\r\ntext\r\n");
}

TEST(EventFilter, XmlInWireOrderAndBack) {
    EventFilter filter;
    filter.from = 1700000000;
    filter.types = kTypeBitError | kTypeBitWarning;
    filter.eventId = 7036;
    filter.category = 3;
    filter.source = u"Service Control Manager";
    filter.user = u"Jos\u00e9";
    filter.name = u"mine";
    const std::string text = FilterElementText(filter, kLatin1);
    EXPECT_EQ(text, "<Filter From='1700000000' To='0' Types='3' EventID='7036' Category='3' "
                    "EventSource='Service Control Manager' User='Jos\xe9' Computer='' Name='mine' />")
        << text;
    CXmlElement element;
    CXmlOptions options;
    ASSERT_NE(element.Parse(text.c_str(), options), nullptr);
    EXPECT_EQ(ReadFilterElement(element, kLatin1), filter);
}

TEST(EventFilter, FavoritesRoundTripAndDamageReadsAsNone) {
    EventFilter a, b;
    a.name = u"errors";
    a.types = kTypeBitError;
    b.name = u"<&\"'>";
    b.computer = u"WS-01";
    const std::vector<EventFilter> favorites = {a, b};
    EXPECT_EQ(ReadFavorites(FavoritesText(favorites, kLatin1), kLatin1), favorites);
    EXPECT_TRUE(ReadFavorites("<Favorites><Filter", kLatin1).empty());
    EXPECT_TRUE(ReadFavorites("<Other><Filter/></Other>", kLatin1).empty());
    EXPECT_TRUE(ReadFavorites("", kLatin1).empty());
}

TEST(EventFilter, LocalFilterMatches) {
    RecordIndex index;
    auto add = [&](uint32_t number, uint32_t type, uint32_t id, int64_t time, std::u16string source) {
        EventRecord record;
        record.recordNumber = number;
        record.type = type;
        record.eventId = id;
        record.time = time;
        record.source = index.Texts().Intern(source);
        index.AppendRecord(std::move(record));
    };
    add(1, 0, 1073748860, 100, u"Disk");   // success counts as information
    add(2, 1, 7036, 200, u"disk");
    add(3, 2, 5, 300, u"Other");
    add(4, 4, 7036, kNoTime, u"Disk");
    EventFilter filter;
    filter.types = kTypeBitInformation;
    filter.eventId = 7036;  // compares as shown: low 16 bits
    filter.source = u"DISK";
    ApplyFilter(index, filter);
    ASSERT_EQ(index.Rows(), 2u);
    EXPECT_EQ(index.RecordNumber(0), 1u);
    EXPECT_EQ(index.RecordNumber(1), 4u);
    filter.from = 50;  // an event without a time is outside any range
    ApplyFilter(index, filter);
    ASSERT_EQ(index.Rows(), 1u);
    EXPECT_EQ(index.RecordNumber(0), 1u);
}

TEST(LogSettings, SizeAndRetention) {
    EXPECT_EQ(SizeText(65536, u"KB", u"bytes"), u"64 KB (65536 bytes)");
    EXPECT_EQ(MaxSizeBytes(512), 524288u);
    EXPECT_EQ(MaxSizeKb(0), kMinSizeKb);
    EXPECT_EQ(MaxSizeKb(uint64_t{1} << 40), kMaxSizeKb);
    EXPECT_EQ(RetentionSeconds({Retention::OlderThan, 7}), 604800u);
    EXPECT_EQ(RetentionSeconds({Retention::OverwriteAsNeeded, 7}), 0u);
    EXPECT_EQ(RetentionSeconds({Retention::Never, 7}), 4294967295u);
    EXPECT_EQ(RetentionChoiceOf(604800).days, 7u);
    EXPECT_EQ(RetentionChoiceOf(3600).days, 1u);
    EXPECT_EQ(RetentionChoiceOf(4294967295u).kind, Retention::Never);
}

}  // namespace
}  // namespace vantrel::eventviewer
