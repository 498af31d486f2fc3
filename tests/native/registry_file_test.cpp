#include "remote/registry/RegistrationFile.h"

#include <gtest/gtest.h>

namespace vantrel::remote {
namespace {

using namespace std::string_literals;

std::vector<uint8_t> Utf16(std::u16string_view text) {
    std::vector<uint8_t> data;
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    return data;
}

std::u16string Text(const std::vector<uint8_t>& file) {
    std::u16string text;
    for (size_t i = 2; i + 1 < file.size(); i += 2) text += static_cast<char16_t>(file[i] | file[i + 1] << 8);
    return text;
}

TEST(RegistrationFileTest, EveryTypeRoundTripsAndReadsAsTheSystemWritesIt) {
    std::vector<uint8_t> big(100);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    const std::vector<RegistrationKey> keys = {
        {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel \u00c4pfel",
         {{u"", 1, Utf16(u"C:\\Program Files\\\"Quoted\" \u65e5\u672c\0"s)},
          {u"Count", 4, {0x2A, 0, 0, 0x80}},
          {u"Blob", 3, big},
          {u"Path", 2, Utf16(u"%SystemRoot%\\x\0"s)},
          {u"List", 7, Utf16(u"a\0b\0\0"s)},
          {u"Quad", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
          {u"Empty", 3, {}},
          {u"NoTerminator", 1, Utf16(u"ab")}}},
        {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel \u00c4pfel\\Sub", {}},
    };
    const std::vector<uint8_t> file = WriteRegistrationFile(keys);
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xFE);
    const std::u16string text = Text(file);
    EXPECT_TRUE(text.starts_with(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel \u00c4pfel]\r\n"));
    EXPECT_NE(text.find(u"@=\"C:\\\\Program Files\\\\\\\"Quoted\\\" \u65e5\u672c\"\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\"Count\"=dword:8000002a\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\"Path\"=hex(2):25,00,"), std::u16string::npos);
    EXPECT_NE(text.find(u"\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u",\\\r\n  "), std::u16string::npos) << "long data goes on over lines";
    for (size_t start = 0, end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
        EXPECT_LE(end - start, 80u);

    const auto read = ReadRegistrationFile(file);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        EXPECT_EQ((*read)[k].path, keys[k].path);
        EXPECT_EQ((*read)[k].values, keys[k].values) << k;
    }
}

TEST(RegistrationFileTest, RemovalsAreReadAndWhatIsNotARegistrationFileIsRefused) {
    const std::vector<RegistrationKey> keys = {{u"HKEY_CURRENT_USER\\Gone", {}, true},
                                               {u"HKEY_CURRENT_USER\\Kept", {{u"Old", 0, {}, true}}}};
    const auto read = ReadRegistrationFile(WriteRegistrationFile(keys));
    ASSERT_TRUE(read);
    EXPECT_TRUE((*read)[0].remove);
    EXPECT_TRUE((*read)[1].values.at(0).remove);

    const auto file = [](std::u16string_view body) {
        std::vector<uint8_t> bytes = {0xFF, 0xFE};
        const auto text = Utf16(u"Windows Registry Editor Version 5.00\r\n\r\n"s + std::u16string(body));
        bytes.insert(bytes.end(), text.begin(), text.end());
        return bytes;
    };
    EXPECT_TRUE(ReadRegistrationFile(file(u"; a comment\r\n[HKEY_USERS\\x]\r\n\"a\"=\"b\"\r\n")));
    EXPECT_FALSE(ReadRegistrationFile(file(u"\"a\"=\"b\"\r\n"))) << "a value before any key";
    EXPECT_FALSE(ReadRegistrationFile(file(u"[HKEY_USERS\\x]\r\n\"a\"=dword:123456789\r\n")));
    EXPECT_FALSE(ReadRegistrationFile(file(u"[HKEY_USERS\\x]\r\n\"a\"=hex:1,zz\r\n")));
    EXPECT_FALSE(ReadRegistrationFile(file(u"[HKEY_USERS\\x]\r\n\"a=\"b\"\r\n")));
    EXPECT_FALSE(ReadRegistrationFile(file(u"[]\r\n")));
    EXPECT_FALSE(ReadRegistrationFile(std::vector<uint8_t>{'R', 'E', 'G'}));
    std::vector<uint8_t> cut = WriteRegistrationFile(keys);
    cut.resize(cut.size() / 2 + 1);  // odd and cut in the middle of a line
    EXPECT_NO_FATAL_FAILURE(ReadRegistrationFile(cut));
}

}  // namespace
}  // namespace vantrel::remote
