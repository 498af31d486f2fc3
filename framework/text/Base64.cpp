#include "framework/text/Base64.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace vantrel {
namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Decode table values: 0..63 for the alphabet; both markers have bit 7 set so
// that one test on a group of looked-up values tells whether any is not data.
constexpr uint8_t kSkip = 0x80;
constexpr uint8_t kPad = 0x81;
constexpr uint8_t kNotData = 0x80;

constexpr std::array<uint8_t, 256> MakeDecodeTable() {
    std::array<uint8_t, 256> table{};
    for (auto& value : table) value = kSkip;
    for (uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    table['='] = kPad;
    return table;
}

constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

size_t EncodedSize(size_t byteCount) {
    constexpr size_t kMaxBytes = std::numeric_limits<size_t>::max() / 4 * 3 - 3;
    if (byteCount > kMaxBytes) throw std::length_error("Base64Encode: input too large");
    return (byteCount + 2) / 3 * 4;
}

// Upper bound of the decoded size: at most 3 bytes per 4 alphabet characters
// plus 2 bytes from a trailing partial group.
size_t MaxDecodedSize(size_t textSize) {
    return textSize / 4 * 3 + 2;
}

// Encodes the bytes given by byteAt(0..byteCount-1); lets UTF-16 units be
// encoded as their little-endian bytes without an intermediate copy.
template <typename ByteAt>
std::string EncodeBytes(size_t byteCount, ByteAt byteAt) {
    std::string text(EncodedSize(byteCount), '\0');
    char* out = text.data();
    size_t i = 0;
    for (; i + 3 <= byteCount; i += 3) {
        const uint32_t group = uint32_t{byteAt(i)} << 16 | uint32_t{byteAt(i + 1)} << 8 | byteAt(i + 2);
        out[0] = kAlphabet[group >> 18];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = kAlphabet[(group >> 6) & 63];
        out[3] = kAlphabet[group & 63];
        out += 4;
    }
    const size_t rest = byteCount - i;
    if (rest != 0) {
        const uint32_t group = uint32_t{byteAt(i)} << 16 | (rest == 2 ? uint32_t{byteAt(i + 1)} << 8 : 0);
        out[0] = kAlphabet[group >> 18];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out[3] = '=';
    }
    return text;
}

// Fast path tables, indexed by two characters at once (first | second << 8),
// which halves the lookups per character. An entry holds the 12 bits of the
// pair already placed where they land among the 3 bytes of a group (first byte
// lowest): the front pair fills bits 0-7 and 12-15, the back pair (shifted up
// by 8 when combined) bits 8-11 and 16-23. A pair with a character outside the
// alphabet is marked in bits that the table's data never uses.
constexpr uint16_t kFrontNotData = 0x0F00;
constexpr uint16_t kBackNotData = 0x00F0;

struct PairTables {
    std::array<uint16_t, 65536> front;
    std::array<uint16_t, 65536> back;

    PairTables() {
        for (uint32_t index = 0; index < 65536; ++index) {
            const uint32_t first = kDecode[index & 0xFF];
            const uint32_t second = kDecode[index >> 8];
            if ((first | second) & kNotData) {
                front[index] = kFrontNotData;
                back[index] = kBackNotData;
                continue;
            }
            front[index] = static_cast<uint16_t>(first << 2 | second >> 4 | (second & 0x0F) << 12);
            back[index] = static_cast<uint16_t>(first >> 2 | (first & 0x03) << 14 | second << 8);
        }
    }
};

// Built once, on the first decoding, rather than kept in the image.
const PairTables& Pairs() {
    static const PairTables tables;
    return tables;
}

inline uint32_t PairIndex(const unsigned char* in) {
    return in[0] | uint32_t{in[1]} << 8;
}

// Stores the 3 bytes of a group. On little-endian machines as one 4-byte
// store: its last byte is scratch, overwritten by the next group or left in the
// slack that MaxDecodedSize keeps while at least 4 characters remain.
inline void StoreGroup(uint32_t bits, uint8_t* out) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &bits, 4);
    } else {
        out[0] = static_cast<uint8_t>(bits);
        out[1] = static_cast<uint8_t>(bits >> 8);
        out[2] = static_cast<uint8_t>(bits >> 16);
    }
}

// Decodes groups of characters that are all in the alphabet, 16 characters at
// a time while it can, then 8, then 4, and stops before the first group that
// holds any other character. Advances in and out past what was decoded.
class FastPath {
public:
    FastPath() : pairs_(Pairs()) {}

    void Run(const unsigned char*& in, const unsigned char* end, uint8_t*& out) const {
        while (end - in >= 16 && DecodeSixteen(in, out)) {
            in += 16;
            out += 12;
        }
        while (end - in >= 8 && DecodeEight(in, out)) {
            in += 8;
            out += 6;
        }
        if (end - in >= 4 && DecodeFour(in, out)) {
            in += 4;
            out += 3;
        }
    }

private:
    bool DecodeSixteen(const unsigned char* in, uint8_t* out) const {
        const uint32_t f0 = pairs_.front[PairIndex(in)], b0 = pairs_.back[PairIndex(in + 2)];
        const uint32_t f1 = pairs_.front[PairIndex(in + 4)], b1 = pairs_.back[PairIndex(in + 6)];
        const uint32_t f2 = pairs_.front[PairIndex(in + 8)], b2 = pairs_.back[PairIndex(in + 10)];
        const uint32_t f3 = pairs_.front[PairIndex(in + 12)], b3 = pairs_.back[PairIndex(in + 14)];
        if (((f0 | f1 | f2 | f3) & kFrontNotData) | ((b0 | b1 | b2 | b3) & kBackNotData)) return false;
        StoreGroup(f0 | b0 << 8, out);
        StoreGroup(f1 | b1 << 8, out + 3);
        StoreGroup(f2 | b2 << 8, out + 6);
        StoreGroup(f3 | b3 << 8, out + 9);
        return true;
    }

    bool DecodeEight(const unsigned char* in, uint8_t* out) const {
        const uint32_t f0 = pairs_.front[PairIndex(in)], b0 = pairs_.back[PairIndex(in + 2)];
        const uint32_t f1 = pairs_.front[PairIndex(in + 4)], b1 = pairs_.back[PairIndex(in + 6)];
        if (((f0 | f1) & kFrontNotData) | ((b0 | b1) & kBackNotData)) return false;
        StoreGroup(f0 | b0 << 8, out);
        StoreGroup(f1 | b1 << 8, out + 3);
        return true;
    }

    bool DecodeFour(const unsigned char* in, uint8_t* out) const {
        const uint32_t f = pairs_.front[PairIndex(in)], b = pairs_.back[PairIndex(in + 2)];
        if ((f & kFrontNotData) | (b & kBackNotData)) return false;
        StoreGroup(f | b << 8, out);
        return true;
    }

    const PairTables& pairs_;
};

// Slow path state: alphabet values collected one character at a time, for
// groups broken up by skipped characters and for the end of the data.
class GroupCollector {
public:
    bool Empty() const { return count_ == 0; }

    uint8_t* Add(uint8_t value, uint8_t* out) {
        bits_ = bits_ << 6 | value;
        if (++count_ < 4) return out;
        out[0] = static_cast<uint8_t>(bits_ >> 16);
        out[1] = static_cast<uint8_t>(bits_ >> 8);
        out[2] = static_cast<uint8_t>(bits_);
        bits_ = 0;
        count_ = 0;
        return out + 3;
    }

    // 2 or 3 trailing characters hold 1 or 2 whole bytes; a single one holds
    // less than a byte and yields nothing.
    uint8_t* Flush(uint8_t* out) const {
        if (count_ == 2) {
            *out++ = static_cast<uint8_t>(bits_ >> 4);
        } else if (count_ == 3) {
            *out++ = static_cast<uint8_t>(bits_ >> 10);
            *out++ = static_cast<uint8_t>(bits_ >> 2);
        }
        return out;
    }

private:
    uint32_t bits_ = 0;
    int count_ = 0;
};

// Decodes into out, which must hold MaxDecodedSize(text.size()) bytes;
// returns the number of bytes written.
size_t DecodeInto(std::string_view text, uint8_t* const out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = in + text.size();
    uint8_t* next = out;
    const FastPath fast;
    GroupCollector group;
    while (in != end) {
        if (group.Empty()) {
            fast.Run(in, end, next);
            if (in == end) break;
        }
        const uint8_t value = kDecode[*in++];
        if (value == kPad) break;
        if (value == kSkip) continue;
        next = group.Add(value, next);
    }
    next = group.Flush(next);
    return static_cast<size_t>(next - out);
}

// The decoded bytes of a wide text may be a password: clear them before the
// buffer goes back to the heap.
void WipeBytes(std::vector<uint8_t>& bytes) {
    volatile uint8_t* p = bytes.data();
    for (size_t i = 0; i < bytes.size(); ++i) p[i] = 0;
}

std::u16string UnitsFromLittleEndian(const std::vector<uint8_t>& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return text;
}

}  // namespace

std::string Base64Encode(const void* data, size_t size) {
    if (data == nullptr) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return EncodeBytes(size, [bytes](size_t i) { return bytes[i]; });
}

std::vector<uint8_t> Base64Decode(std::string_view text) {
    if (text.empty()) return {};
    std::vector<uint8_t> bytes(MaxDecodedSize(text.size()));
    bytes.resize(DecodeInto(text, bytes.data()));
    return bytes;
}

size_t Base64DecodeAppend(std::string_view text, std::vector<uint8_t>& out) {
    if (text.empty()) return 0;
    const size_t before = out.size();
    out.resize(before + MaxDecodedSize(text.size()));
    const size_t decoded = DecodeInto(text, out.data() + before);
    out.resize(before + decoded);
    return decoded;
}

std::string EncodeUtf16Base64(std::u16string_view text) {
    if (text.size() > std::numeric_limits<size_t>::max() / 2) {
        throw std::length_error("EncodeUtf16Base64: input too large");
    }
    return EncodeBytes(text.size() * 2, [text](size_t i) {
        return static_cast<uint8_t>(text[i / 2] >> (i % 2 * 8));
    });
}

std::u16string DecodeUtf16Base64(std::string_view text) {
    std::vector<uint8_t> bytes = Base64Decode(text);
    std::u16string units = UnitsFromLittleEndian(bytes);
    WipeBytes(bytes);
    return units;
}

std::u16string DecodeUtf16Base64(const char* text) {
    if (text == nullptr) return {};
    return DecodeUtf16Base64(std::string_view(text, std::strlen(text)));
}

}  // namespace vantrel
