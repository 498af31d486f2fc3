#include "framework/text/Base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }
std::string Encode(const Bytes& bytes) { return Base64Encode(bytes.data(), bytes.size()); }

Bytes RandomBytes(std::mt19937& random, size_t size) {
    Bytes bytes(size);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

TEST(Base64Test, KnownVectors) {
    const std::pair<std::string_view, std::string_view> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xFB\xEF\xFF", "++//"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Encode(BytesOf(plain)), encoded);
        EXPECT_EQ(Base64Decode(encoded), BytesOf(plain)) << encoded;
    }
    EXPECT_EQ(Base64Encode(nullptr, 100), "");
}

TEST(Base64Test, RandomBytesOfEveryLengthRoundTrip) {
    std::mt19937 random(42);
    Bytes appended;  // every length decoded onto the end of what came before
    Bytes expected;
    for (size_t length = 0; length <= 64; ++length) {
        const Bytes bytes = RandomBytes(random, length);
        const std::string text = Encode(bytes);
        const size_t padding = (3 - length % 3) % 3;
        EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
        EXPECT_EQ(std::min(text.find_first_not_of(kAlphabet), text.size()), text.size() - padding) << text;
        EXPECT_EQ(text.substr(text.size() - padding), std::string(padding, '='));
        EXPECT_EQ(Base64Decode(text), bytes) << length;
        EXPECT_EQ(Base64DecodeAppend(text + "\r\n", appended), length);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
        EXPECT_EQ(appended, expected) << length;
    }
}

TEST(Base64Test, PaddingAndPartialGroups) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"Zm9v=Zm9v", "foo"}, {"Zg==Zm9v", "f"}, {"Zm=9v", "f"}, {"=Zm9v", ""}, {"====", ""},
        {"Zg", "f"},          {"Zm8", "fo"},     {"Z", ""},      {"Zm9vY", "foo"},
    };
    for (const auto& [text, plain] : cases) EXPECT_EQ(Base64Decode(text), BytesOf(plain)) << text;
}

TEST(Base64Test, EveryCharacterOutsideTheAlphabetIsSkipped) {
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        if (kAlphabet.find(ch) != std::string_view::npos || ch == '=') continue;
        for (size_t at : {0, 1, 2, 4, 7, 8}) {
            std::string text = "Zm9vYmFy";
            text.insert(at, 3, ch);
            EXPECT_EQ(Base64Decode(text), BytesOf("foobar")) << "char " << c << " at " << at;
        }
        EXPECT_EQ(Base64Decode(std::string(1001, ch)), Bytes{}) << c;
    }
}

// Each prefix of a text decodes to the whole bytes its characters hold, which
// exercises every way the data can end inside the groups decoded at once.
TEST(Base64Test, EveryTruncationDecodesToAPrefix) {
    std::mt19937 random(7);
    const Bytes bytes = RandomBytes(random, 300);
    const std::string text = Encode(bytes);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const size_t whole = std::min(cut / 4 * 3 + (cut % 4 == 0 ? 0 : cut % 4 - 1), bytes.size());
        EXPECT_EQ(Base64Decode(std::string_view(text).substr(0, cut)), Bytes(bytes.begin(), bytes.begin() + whole))
            << cut;
    }
}

// Junk at random places breaks groups at every offset: decoding must move
// between whole groups and single characters without losing a bit.
TEST(Base64Test, JunkAtRandomPlacesLeavesTheBytesUnchanged) {
    std::mt19937 random(99);
    const std::string junk = std::string(" \r\n\t\x80\xFF-.*") + '\0';
    for (int round = 0; round < 200; ++round) {
        const Bytes bytes = RandomBytes(random, random() % 200);
        std::string text = Encode(bytes);
        for (size_t i = random() % 20; i > 0; --i) {
            text.insert(random() % (text.size() + 1), 1, junk[random() % junk.size()]);
        }
        EXPECT_EQ(Base64Decode(text), bytes) << text;
    }
}

TEST(Utf16Base64Test, UnitsTravelAsLittleEndianBytesAndComeBackUnchanged) {
    EXPECT_EQ(EncodeUtf16Base64(u"A"), "QQA=");
    EXPECT_EQ(EncodeUtf16Base64(u"\u0416"), "FgQ=");
    EXPECT_EQ(EncodeUtf16Base64(u"\U0001F600"), "PdgA3g==");
    EXPECT_EQ(EncodeUtf16Base64(std::u16string_view(u"a\0b", 3)), "YQAAAGIA");
    const std::u16string texts[] = {
        u"",
        std::u16string(u"a\0b", 3),
        std::u16string(3, u'\0'),
        std::u16string{char16_t{0xDC00}, u'x', char16_t{0xD83D}},  // unpaired surrogates
        u"C:\\Program Files\\\u00E9t\u00E9 \U0001F600",
    };
    for (const std::u16string& text : texts) EXPECT_EQ(DecodeUtf16Base64(EncodeUtf16Base64(text)), text);
}

TEST(Utf16Base64Test, DecodedByteCountDecidesTheLength) {
    EXPECT_EQ(DecodeUtf16Base64("QQBC"), u"A");  // 3 bytes: the odd one is dropped
    EXPECT_EQ(DecodeUtf16Base64("QQ=="), u"");
    EXPECT_EQ(DecodeUtf16Base64("QQBCAA"), u"AB");
    EXPECT_EQ(DecodeUtf16Base64(static_cast<const char*>(nullptr)), u"");
    const char withTerminator[] = "QQBC\0AA";  // the pointer form ends at the terminator
    EXPECT_EQ(DecodeUtf16Base64(static_cast<const char*>(withTerminator)), u"A");
    EXPECT_EQ(DecodeUtf16Base64(std::string_view(withTerminator, sizeof withTerminator - 1)), u"AB");
}

}  // namespace
}  // namespace vantrel
