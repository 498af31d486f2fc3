#include "framework/xml/Xml.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel {

const XmlEntity kXmlEntities[5] = {
    {'&', "&amp;"}, {'"', "&quot;"}, {'\'', "&apos;"}, {'<', "&lt;"}, {'>', "&gt;"},
};

CXmlOptions& XmlParseOptions() {
    static CXmlOptions options;
    return options;
}

CXmlOptions& XmlWriteOptions() {
    static CXmlOptions options;
    return options;
}

namespace {

constexpr int kEntityCount = 5;

// Answers nest a few levels; anything far deeper is hostile and would make the
// recursive destructor and writer run out of stack.
constexpr size_t kMaxDepth = 2000;

// Element names quoted in error messages are cut to this length so that a
// hostile name cannot make a message box of megabytes.
constexpr size_t kMaxNameInMessage = 200;

constexpr const char* kElementMustBeClosed = "Element must be closed.";
constexpr const char* kMustBeClosedWith = "%s must be closed with </%s>";
constexpr const char* kItMustBeClosedWith = "it must be closed with </%s>";
constexpr const char* kNotWellFormed = "'<%s> ... </%s>' is not well-formed.";
constexpr const char* kAttributeHasError = "<%s> attribute has error ";
constexpr const char* kNestedTooDeeply = "Elements are nested too deeply.";

// Character classes, looked up once per character while scanning.
enum CharClass : uint8_t {
    kSpace = 1,
    kEndsName = 2,           // of an element: " ", "/", ">"
    kEndsAttributeName = 4,  // " ", "=", ">", "/"
    kEndsClosingName = 8,    // " ", ">"
};

constexpr std::array<uint8_t, 256> MakeCharClasses() {
    std::array<uint8_t, 256> classes{};
    for (char c : {' ', '\t', '\n', '\r', '\v', '\f'}) classes[static_cast<unsigned char>(c)] |= kSpace;
    for (char c : {'\0', ' ', '/', '>'}) classes[static_cast<unsigned char>(c)] |= kEndsName;
    for (char c : {'\0', ' ', '=', '>', '/'}) classes[static_cast<unsigned char>(c)] |= kEndsAttributeName;
    for (char c : {'\0', ' ', '>'}) classes[static_cast<unsigned char>(c)] |= kEndsClosingName;
    return classes;
}

constexpr std::array<uint8_t, 256> kCharClasses = MakeCharClasses();

bool IsSpace(char c) {
    return kCharClasses[static_cast<unsigned char>(c)] & kSpace;
}

// The first character of the class at or after p; every class includes the
// terminating zero.
template <uint8_t Class>
const char* ScanTo(const char* p) {
    while (!(kCharClasses[static_cast<unsigned char>(*p)] & Class)) ++p;
    return p;
}

const char* SkipSpace(const char* p) {
    while (IsSpace(*p)) ++p;
    return p;
}

void TrimSpace(const char*& begin, const char*& end) {
    while (begin != end && IsSpace(*begin)) ++begin;
    while (end != begin && IsSpace(end[-1])) --end;
}

// The first character in [p, end) that is one of set, or end. Sixteen
// characters at a time where SSE2 is there (every x86-64), else eight.
template <size_t N>
const char* FindFirstOf(const char* p, const char* end, const std::array<char, N>& set) {
#if defined(__SSE2__)
    __m128i wanted[N];
    for (size_t i = 0; i < N; ++i) wanted[i] = _mm_set1_epi8(set[i]);
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = _mm_cmpeq_epi8(block, wanted[0]);
        for (size_t i = 1; i < N; ++i) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted[i]));
        if (const int mask = _mm_movemask_epi8(hits)) return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t kOnes = 0x0101010101010101u;
        constexpr uint64_t kHighs = 0x8080808080808080u;
        for (; end - p >= 8; p += 8) {
            uint64_t word;
            std::memcpy(&word, p, sizeof word);
            uint64_t hits = 0;
            for (char c : set) {
                const uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
                hits |= (x - kOnes) & ~x & kHighs;  // exact in its lowest set bit
            }
            if (hits) return p + std::countr_zero(hits) / 8;
        }
    }
#endif
    for (; p != end; ++p) {
        for (char c : set) {
            if (*p == c) return p;
        }
    }
    return end;
}

// Replaces each "%s" of format by the next argument.
std::string MakeMessage(const char* format, std::initializer_list<std::string_view> arguments) {
    std::string message;
    auto argument = arguments.begin();
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && argument != arguments.end()) {
            std::string_view shown = *argument++;
            if (shown.size() > kMaxNameInMessage) {
                message.append(shown.substr(0, kMaxNameInMessage)).append("...");
            } else {
                message.append(shown);
            }
            ++p;
        } else {
            message.push_back(*p);
        }
    }
    return message;
}

// What every empty name and value points to: a terminated text of its own, so
// that it is never mistaken for part of a parsed text.
constexpr char kEmpty[1] = {};

uint32_t CheckedSize(size_t size) {
    if (size > UINT32_MAX) throw std::length_error("CXmlElement: name or value of 4 GiB or more");
    return static_cast<uint32_t>(size);
}

void SetView(const char*& data, uint32_t& size, std::string_view text) {
    size = CheckedSize(text.size());
    data = text.empty() ? kEmpty : text.data();
}

class EntityEncoder {
public:
    explicit EntityEncoder(const XmlEntity* table) {
        if (!table) return;
        int count = 0;
        for (int i = 0; i < kEntityCount; ++i) {
            if (!table[i].text) continue;
            const auto c = static_cast<unsigned char>(table[i].character);
            texts_[c] = table[i].text;
            if (count == 0) characters_.fill(table[i].character);  // unused places repeat it
            characters_[count++] = table[i].character;
        }
        any_ = count != 0;
    }

    // Appends the text with each table character replaced by its entity;
    // runs without one are copied whole.
    void Append(std::string& out, std::string_view text) const {
        const char* run = text.data();
        const char* const end = run + text.size();
        if (!any_) {
            out.append(run, end);
            return;
        }
        for (;;) {
            const char* found = FindFirstOf(run, end, characters_);
            out.append(run, found);
            if (found == end) return;
            out.append(texts_[static_cast<unsigned char>(*found)]);
            run = found + 1;
        }
    }

private:
    std::array<char, kEntityCount> characters_{};
    std::array<const char*, 256> texts_{};  // the entity of each table character
    bool any_ = false;
};

class EntityDecoder {
public:
    explicit EntityDecoder(const XmlEntity* table) : table_(table) {
        if (!table) return;
        for (int i = 0; i < kEntityCount; ++i) {
            const char* text = table[i].text;
            if (!text || !*text) continue;  // an empty entity would never advance
            lengths_[i] = std::strlen(text);
            const char first = text[0];
            if (!anyEntity_) {
                commonFirst_ = first;
            } else if (first != commonFirst_) {
                commonFirst_ = '\0';
            }
            anyEntity_ = true;
            isFirst_[static_cast<unsigned char>(first)] = true;
        }
    }

    // The character every entity starts with; '\0' when there is no such
    // character or no entity.
    char CommonFirst() const { return commonFirst_; }
    bool AnyEntity() const { return anyEntity_; }

    bool MayContainEntity(const char* begin, const char* end) const {
        if (!anyEntity_ || begin == end) return false;
        if (!commonFirst_) return true;
        if (end - begin > 16) return std::memchr(begin, commonFirst_, end - begin) != nullptr;
        return std::find(begin, end, commonFirst_) != end;
    }

    // Writes the text with entities replaced by their characters to out and
    // returns the end of what it wrote. One left-to-right scan: the output of
    // one replacement is never looked at again, so "&amp;lt;" gives "&lt;".
    // Decoding never lengthens a text, so out may be begin itself.
    char* Decode(const char* begin, const char* end, char* out) const {
        const char* run = begin;
        const char* p = begin;
        while (p != end) {
            p = NextCandidate(p, end);
            if (!p) break;
            int match = Match(p, end);
            if (match < 0) {
                ++p;
                continue;
            }
            out = MoveRun(out, run, p);
            *out++ = table_[match].character;
            p += lengths_[match];
            run = p;
        }
        return MoveRun(out, run, end);
    }

private:
    static char* MoveRun(char* out, const char* begin, const char* end) {
        const size_t length = static_cast<size_t>(end - begin);
        if (length != 0 && out != begin) std::memmove(out, begin, length);
        return out + length;
    }

    const char* NextCandidate(const char* p, const char* end) const {
        if (commonFirst_) return static_cast<const char*>(std::memchr(p, commonFirst_, end - p));
        for (; p != end; ++p) {
            if (isFirst_[static_cast<unsigned char>(*p)]) return p;
        }
        return nullptr;
    }

    int Match(const char* p, const char* end) const {
        const size_t available = static_cast<size_t>(end - p);
        for (int i = 0; i < kEntityCount; ++i) {
            const size_t length = lengths_[i];
            if (length != 0 && length <= available && std::memcmp(p, table_[i].text, length) == 0) return i;
        }
        return -1;
    }

    const XmlEntity* table_;
    std::array<size_t, kEntityCount> lengths_{};  // 0: entry unused
    std::array<bool, 256> isFirst_{};
    bool anyEntity_ = false;
    char commonFirst_ = '\0';  // the first character shared by every entity, if any
};

template <typename Unsigned>
bool ParseUnsigned(const char* text, Unsigned* out) {
    if (!text || !out) return false;
    const char* p = SkipSpace(text);
    if (*p == '+') {
        ++p;
    } else if (*p == '-') {
        // A negative number in an unsigned field is malformed; wrapping it
        // would turn "-1" into a record number nobody sent.
        return false;
    }
    if (*p < '0' || *p > '9') return false;
    constexpr Unsigned kMax = std::numeric_limits<Unsigned>::max();
    Unsigned value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const Unsigned digit = static_cast<Unsigned>(*p - '0');
        value = value > (kMax - digit) / 10 ? kMax : static_cast<Unsigned>(value * 10 + digit);
    }
    *out = value;
    return true;
}

}  // namespace

// Bump allocation in blocks that double up to a limit. Nothing is freed before
// the arena goes; the owner calls the destructors of what it made.
class CXmlElement::Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    ~Arena() {
        while (blocks_) {
            Block* next = blocks_->next;
            ::operator delete(blocks_);
            blocks_ = next;
        }
    }

    void* Allocate(size_t size, size_t alignment) {
        size_t offset = AlignUp(used_, alignment);
        if (!blocks_ || offset > capacity_ || size > capacity_ - offset) {
            if (size > kLargestBlock / 2) return AddSeparateBlock(size);
            AddBlock(size + alignment);
            offset = AlignUp(used_, alignment);
        }
        used_ = offset + size;
        return Data() + offset;
    }

    template <typename T, typename... Args>
    T* Make(Args&&... args) {
        return new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    }

    // A zero-terminated copy.
    std::string_view Copy(std::string_view text) {
        CheckedSize(text.size());
        if (text.empty()) return {kEmpty, 0};
        char* copy = static_cast<char*>(Allocate(text.size() + 1, 1));
        std::memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
        return {copy, text.size()};
    }

    // Gives back the end of the latest allocation, which began at start, so
    // that it keeps only size bytes.
    void Shorten(const char* start, size_t size) {
        const uintptr_t offset = reinterpret_cast<uintptr_t>(start) - reinterpret_cast<uintptr_t>(Data());
        if (blocks_ && offset < capacity_) used_ = offset + size;
    }

private:
    struct alignas(std::max_align_t) Block {
        Block* next;
    };

    static constexpr size_t kFirstBlock = 512;
    static constexpr size_t kLargestBlock = 64 * 1024;

    static size_t AlignUp(size_t value, size_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

    char* Data() const { return reinterpret_cast<char*>(blocks_ + 1); }

    void AddBlock(size_t minimum) {
        const size_t capacity = std::max(nextCapacity_, minimum);
        Block* block = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
        block->next = blocks_;
        blocks_ = block;
        capacity_ = capacity;
        used_ = 0;
        nextCapacity_ = std::min(nextCapacity_ * 2, kLargestBlock);
    }

    // A large allocation gets a block of its own behind the current one, which
    // stays current so that its free space is not lost.
    void* AddSeparateBlock(size_t size) {
        Block* block = static_cast<Block*>(::operator new(sizeof(Block) + size));
        if (blocks_) {
            block->next = blocks_->next;
            blocks_->next = block;
        } else {
            block->next = nullptr;
            blocks_ = block;
            capacity_ = size;
            used_ = size;
        }
        return block + 1;
    }

    Block* blocks_ = nullptr;  // the current block first
    size_t capacity_ = 0;
    size_t used_ = 0;
    size_t nextCapacity_ = kFirstBlock;
};

// What an element owns beyond its fields, made when first needed.
struct CXmlElement::Storage {
    Arena arena;                    // children and attributes it made, their texts
    std::unique_ptr<char[]> text;   // the copy of the text it was parsed from
    std::string name;               // set by SetName or the constructor
    std::string value;              // set by SetValue or the constructor
};

template <typename T>
void CXmlElement::PointerArray<T>::MakeRoomForOne() {
    Header* const old = block_;
    const uint32_t size = old ? old->size : 0;
    if (old && size < old->capacity) return;
    constexpr size_t kLargest = INT_MAX;
    if (size >= kLargest) throw std::length_error("CXmlElement: too many children or attributes");
    const size_t capacity = size == 0 ? 1 : std::min<size_t>(size_t{size} * 2, kLargest);
    auto* block = static_cast<Header*>(::operator new(sizeof(Header) + capacity * sizeof(T*)));
    block->size = size;
    block->leadsToStorage = old && old->leadsToStorage ? 1 : 0;
    block->capacity = static_cast<uint32_t>(capacity);
    block->onHeap = 1;
    if (old) std::memcpy(ItemsOf(block), ItemsOf(old), size * sizeof(T*));
    Reset();
    block_ = block;
}

template <typename T>
void CXmlElement::PointerArray<T>::Assign(Arena& arena, T* const* items, size_t count) {
    if (count > INT_MAX) throw std::length_error("CXmlElement: too many children or attributes");
    auto* block = static_cast<Header*>(arena.Allocate(sizeof(Header) + count * sizeof(T*), alignof(Header)));
    block->size = static_cast<uint32_t>(count);
    block->leadsToStorage = 0;
    block->capacity = static_cast<uint32_t>(count);
    block->onHeap = 0;
    std::memcpy(ItemsOf(block), items, count * sizeof(T*));
    Reset();
    block_ = block;
}

template <typename T>
void CXmlElement::PointerArray<T>::Reset() {
    if (block_ && block_->onHeap) ::operator delete(block_);
    block_ = nullptr;
}

std::string XmlEncode(const XmlEntity* table, std::string_view text) {
    std::string out;
    out.reserve(text.size());
    EntityEncoder(table).Append(out, text);
    return out;
}

std::string XmlDecode(const XmlEntity* table, std::string_view text) {
    std::string out(text.size(), '\0');
    const char* end = EntityDecoder(table).Decode(text.data(), text.data() + text.size(), out.data());
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

// The parser: a loop over an explicit stack of open elements, so that the
// nesting depth of the text never becomes the depth of the call stack. It
// scans the caller's text; the names and values it keeps are views of a copy
// of that text in the root's storage, or of decoded texts in its arena. The
// copy is filled behind the scan and written to only, so that values can be
// terminated in it at once.
class XmlParser {
public:
    explicit XmlParser(CXmlOptions& options)
        : options_(options),
          escape_(static_cast<char>(options.escapeCharacter & 0xFF)),
          trim_(options.trim != 0),
          decoder_(options.useEntities ? options.entities : nullptr) {}

    // root is cleared; everything this parse makes is stored in its arena.
    const char* Parse(CXmlElement& root, const char* text) {
        const char* p = text;
        std::string_view name;
        if (FindStartTag(p, 1, name) != Start::Found) return nullptr;
        arena_ = &root.OwnArena();
        StartCopy(root, name.data() - 1);  // from the "<"
        SetView(root.name_, root.nameSize_, InCopy(name));
        bool ok = false;
        switch (ReadRestOfStartTag(root, p)) {
        case Tag::Failed:
            break;
        case Tag::Complete:
            ok = true;
            break;
        case Tag::Open:
            ok = ReadText(root, p, kMustBeClosedWith) && ReadContent(root, p);
            break;
        }
        // After an error the tree may refer to anything scanned.
        FinishCopy(root, ok ? static_cast<size_t>(p - textBegin_) : textLength_);
        // A nameless root is nothing a caller could use.
        return ok && root.nameSize_ != 0 ? p : nullptr;
    }

private:
    enum class Start {
        None,   // no element here: no "<" left (p null) or a closing tag (p at "</")
        Found,  // p after the name
        Failed,
    };

    enum class Tag {
        Complete,  // "<name .../>", p after it
        Open,      // "<name ...>", p after ">"
        Failed,
    };

    struct OpenElement {
        CXmlElement* element;
        size_t firstChild;  // its children so far are pending_ from here on
    };

    struct AttributeText {
        AttributeText(const char* name, const char* nameEnd, const char* value = nullptr,
                      const char* valueEnd = nullptr, bool mayHoldEntity = true)
            : name(name), nameEnd(nameEnd), value(value), valueEnd(valueEnd), mayHoldEntity(mayHoldEntity) {}
        const char* name;
        const char* nameEnd;
        const char* value;  // null: no value given
        const char* valueEnd;
        bool mayHoldEntity;  // false when the scan saw that it holds none
    };

    // Children and closing tags of root, whose start tag and leading text are
    // read. What was parsed stays in the tree, also after an error.
    bool ReadContent(CXmlElement& root, const char*& p) {
        open_.push_back({&root, 0});
        const bool ok = ReadOpenElements(p);
        while (!open_.empty()) CloseInnermost();
        return ok;
    }

    bool ReadOpenElements(const char*& p) {
        while (!open_.empty()) {
            CXmlElement& element = *open_.back().element;
            if (p[0] == '<' && p[1] == '/') {
                if (!ReadEndTag(element, p)) return false;
                CloseInnermost();
                if (!open_.empty() && !ReadTextAfterChild(*open_.back().element, p)) return false;
                continue;
            }
            if (*p == '\0') return Fail(2, p, MakeMessage(kItMustBeClosedWith, {NameOf(element)}));

            const char* const start = p;
            std::string_view name;
            switch (FindStartTag(p, open_.size() + 1, name)) {
            case Start::Failed:
                return false;
            case Start::None:
                if (!p) {
                    return Fail(2, start + std::strlen(start), MakeMessage(kItMustBeClosedWith, {NameOf(element)}));
                }
                continue;  // at the closing tag of element
            case Start::Found:
                break;
            }
            // A nameless child is parsed like any other, then dropped: it is
            // never made a child, and lies in the arena owning nothing.
            CXmlElement& child = *arena_->Make<CXmlElement>(&element);
            SetView(child.name_, child.nameSize_, InCopy(name));
            if (!name.empty()) pending_.push_back(&child);
            switch (ReadRestOfStartTag(child, p)) {
            case Tag::Failed:
                return false;
            case Tag::Complete:
                if (!ReadTextAfterChild(element, p)) return false;
                break;
            case Tag::Open:
                if (!ReadText(child, p, kMustBeClosedWith)) return false;
                open_.push_back({&child, pending_.size()});
                break;
            }
        }
        return true;
    }

    // Gives the innermost open element its children, in one array of the
    // final size, and forgets it.
    void CloseInnermost() {
        const OpenElement innermost = open_.back();
        open_.pop_back();
        const size_t count = pending_.size() - innermost.firstChild;
        if (count != 0) innermost.element->children_.Assign(*arena_, pending_.data() + innermost.firstChild, count);
        pending_.resize(innermost.firstChild);
    }

    Start FindStartTag(const char*& p, size_t depth, std::string_view& name) {
        const char* less = *p == '<' ? p : Find(p, '<');
        if (!less || less[1] == '/') {
            p = less;
            return Start::None;
        }
        if (depth > kMaxDepth) {
            Fail(5, less, kNestedTooDeeply);
            return Start::Failed;
        }
        const char* nameEnd = ScanTo<kEndsName>(less + 1);
        if (!*nameEnd) {
            Fail(1, nameEnd, kElementMustBeClosed);
            return Start::Failed;
        }
        name = std::string_view(less + 1, static_cast<size_t>(nameEnd - less - 1));
        p = nameEnd;
        return Start::Found;
    }

    // From after the name to the end of the start tag.
    Tag ReadRestOfStartTag(CXmlElement& element, const char*& p) {
        if (*p != '/' && *p != '>') {
            attributeTexts_.clear();
            const bool ok = ScanAttributes(element, p);
            MakeAttributes(element);  // also those before an error
            if (!ok) return Tag::Failed;
        }
        if (*p == '/') {
            if (p[1] != '>') {
                Fail(1, p + 1, kElementMustBeClosed);
                return Tag::Failed;
            }
            p += 2;
            return Tag::Complete;
        }
        ++p;  // '>'
        return Tag::Open;
    }

    // The attributes of a start tag are collected first, so that the
    // element's array of them is made once, of its final size, in the arena.
    // Values kept in the copy end with a zero there, in place of the
    // delimiter that followed them; the copy is filled past them first.
    void MakeAttributes(CXmlElement& element) {
        const size_t count = attributeTexts_.size();
        if (count == 0) return;
        if (count > INT_MAX) throw std::length_error("CXmlElement: too many attributes");
        const AttributeText& last = attributeTexts_.back();
        const char* scanned = last.value ? last.valueEnd : last.nameEnd;
        FillCopy(std::min(static_cast<size_t>(scanned - textBegin_) + 1, textLength_));
        auto* attributes = static_cast<CXmlAttribute*>(
            arena_->Allocate(count * sizeof(CXmlAttribute), alignof(CXmlAttribute)));
        pointers_.clear();
        for (size_t i = 0; i < count; ++i) {
            const AttributeText& text = attributeTexts_[i];
            Value value;
            if (text.value) value = MakeValue(text.value, text.valueEnd, text.mayHoldEntity);
            if (value.inCopy) copy_[value.end - textBegin_] = '\0';
            pointers_.push_back(new (attributes + i) CXmlAttribute(
                &element, InCopy({text.name, static_cast<size_t>(text.nameEnd - text.name)}), value.text));
        }
        element.attributes_.Assign(*arena_, pointers_.data(), count);
    }

    bool ScanAttributes(const CXmlElement& element, const char*& p) {
        for (;;) {
            p = SkipSpace(p);
            if (*p == '>' || *p == '/') return true;
            // A name also ends at ">" and "/", so that a value-less attribute
            // last in the tag does not swallow the end of the tag.
            const char* const name = p;
            p = ScanTo<kEndsAttributeName>(p);
            if (!*p) return AttributeError(element, name);
            const char* const nameEnd = p;
            p = SkipSpace(p);
            if (*p != '=') {
                attributeTexts_.emplace_back(name, nameEnd);
                continue;
            }
            p = SkipSpace(p + 1);
            const char* value = p;
            const char* valueEnd = nullptr;
            bool mayHoldEntity = true;
            if (*p == '"' || *p == '\'') {
                value = p + 1;
                valueEnd = FindClosingQuote(value, *p, mayHoldEntity);
                if (valueEnd) p = valueEnd + 1;
            } else {
                valueEnd = FindSpaceOrGreater(p);
                if (valueEnd) p = valueEnd;
            }
            if (!valueEnd) {
                attributeTexts_.emplace_back(name, nameEnd);  // kept without its value
                return AttributeError(element, name);
            }
            attributeTexts_.emplace_back(name, nameEnd, value, valueEnd, mayHoldEntity);
        }
    }

    bool AttributeError(const CXmlElement& element, const char* position) {
        return Fail(4, position, MakeMessage(kAttributeHasError, {NameOf(element)}));
    }

    // The character data from p to the next "<" becomes the value of a
    // value-less element; p moves to that "<".
    bool ReadText(CXmlElement& element, const char*& p, const char* unclosedMessage) {
        if (element.valueSize_ != 0) return true;
        const char* less = Find(p, '<');
        if (!less) {
            return Fail(2, p + std::strlen(p), MakeMessage(unclosedMessage, {NameOf(element), NameOf(element)}));
        }
        SetView(element.value_, element.valueSize_, MakeValue(p, less).text);
        p = less;
        return true;
    }

    bool ReadTextAfterChild(CXmlElement& element, const char*& p) {
        if (element.valueSize_ != 0 || *p == '<') return true;
        return ReadText(element, p, kItMustBeClosedWith);
    }

    bool ReadEndTag(const CXmlElement& element, const char*& p) {
        const char* name = SkipSpace(p + 2);
        const char* nameEnd = ScanTo<kEndsClosingName>(name);
        if (!*nameEnd) return Fail(2, name, MakeMessage(kItMustBeClosedWith, {NameOf(element)}));
        const std::string_view closing(name, static_cast<size_t>(nameEnd - name));
        if (closing != NameOf(element)) {
            return Fail(3, nameEnd, MakeMessage(kNotWellFormed, {NameOf(element), closing}));
        }
        const char* greater = SkipSpace(nameEnd);
        if (*greater != '>') return Fail(2, greater, MakeMessage(kItMustBeClosedWith, {NameOf(element)}));
        p = greater + 1;
        return true;
    }

    struct Value {
        std::string_view text;
        bool inCopy = false;         // else in the arena, zero-terminated, or empty
        const char* end = nullptr;   // in the caller's text, when inCopy
    };

    // Trims, removes escape characters and decodes entities. The result is a
    // view of the copy unless removing or decoding changes the text; then it
    // is a zero-terminated text in the arena.
    Value MakeValue(const char* begin, const char* end, bool mayHoldEntity = true) {
        if (trim_) TrimSpace(begin, end);
        const size_t length = static_cast<size_t>(end - begin);
        const bool escaped = escape_ && std::memchr(begin, escape_, length);
        if (!escaped && !(mayHoldEntity && decoder_.MayContainEntity(begin, end))) {
            if (length == 0) return {};
            return {InCopy({begin, length}), true, end};
        }
        char* const out = static_cast<char*>(arena_->Allocate(length + 1, 1));
        char* outEnd = nullptr;
        if (escaped) {
            outEnd = Unescape(begin, end, out);
            outEnd = decoder_.Decode(out, outEnd, out);
        } else {
            outEnd = decoder_.Decode(begin, end, out);
        }
        *outEnd = '\0';
        const size_t size = static_cast<size_t>(outEnd - out);
        arena_->Shorten(out, size + 1);
        return {{out, size}};
    }

    char* Unescape(const char* begin, const char* end, char* out) const {
        for (const char* p = begin; p != end; ++p) {
            if (*p == escape_) {
                if (++p == end) break;
            }
            *out++ = *p;
        }
        return out;
    }

    // The copy covers the text from the root's "<" to its end: its length is
    // what a view of the copy needs before the parse knows where the element
    // ends. It is filled as far as the parse needs, and cut down afterwards
    // when the element was only a small part of the text.
    void StartCopy(CXmlElement& root, const char* begin) {
        textBegin_ = begin;
        textLength_ = std::strlen(begin);
        root.storage_->text.reset(new char[textLength_ + 1]);
        copy_ = root.storage_->text.get();
        copy_[textLength_] = '\0';
    }

    std::string_view InCopy(std::string_view text) const {
        return {copy_ + (text.data() - textBegin_), text.size()};
    }

    bool IsInCopy(const char* p) const {
        return reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(copy_) < textLength_;
    }

    // A name read during the parse, from the caller's text: the copy may not
    // hold it yet.
    std::string_view NameOf(const CXmlElement& element) const {
        if (element.nameSize_ == 0) return {};
        return {textBegin_ + (element.name_ - copy_), element.nameSize_};
    }

    // Copies the text up to offset end, if not done yet.
    void FillCopy(size_t end) {
        if (end <= filled_) return;
        std::memcpy(copy_ + filled_, textBegin_ + filled_, end - filled_);
        filled_ = end;
    }

    void FinishCopy(CXmlElement& root, size_t end) {
        FillCopy(end);
        constexpr size_t kSmallSlack = 4096;
        if (textLength_ - end <= end + kSmallSlack) return;
        // A short element at the start of a long text: keep only its part.
        std::unique_ptr<char[]> shorter(new char[end + 1]);
        std::memcpy(shorter.get(), copy_, end);
        shorter[end] = '\0';
        MoveViews(root, shorter.get());
        root.storage_->text = std::move(shorter);
    }

    // Recursion is bounded by the depth limit.
    void MoveViews(CXmlElement& element, char* to) const {
        auto move = [&](const char*& view) {
            if (IsInCopy(view)) view = to + (view - copy_);
        };
        move(element.name_);
        move(element.value_);
        for (CXmlAttribute* attribute : element.attributes_) {
            move(attribute->name_);
            move(attribute->value_);
        }
        for (CXmlElement* child : element.children_) MoveViews(*child, to);
    }

    // The quote that ends a value starting at p, or null. Without an escape
    // character one pass also tells whether an entity may start before it.
    const char* FindClosingQuote(const char* p, char quote, bool& mayHoldEntity) const {
        const char entityFirst = decoder_.AnyEntity() ? decoder_.CommonFirst() : quote;
        if (escape_ || !entityFirst) {
            mayHoldEntity = true;
            return Find(p, quote);
        }
        const char* const end = textBegin_ + textLength_;
        const char* hit = FindFirstOf(p, end, std::array<char, 2>{quote, entityFirst});
        mayHoldEntity = hit != end && *hit != quote;
        if (mayHoldEntity) hit = static_cast<const char*>(std::memchr(hit, quote, static_cast<size_t>(end - hit)));
        return hit != end ? hit : nullptr;
    }

    // The next c that is not preceded by the escape character, or null.
    const char* Find(const char* p, char c) const {
        if (!escape_) {
            // Most values are short: look at a few characters before paying
            // for the call to the vectorised search.
            for (int i = 0; i < 16; ++i, ++p) {
                if (*p == c) return p;
                if (!*p) return nullptr;
            }
            return std::strchr(p, c);
        }
        for (; *p; ++p) {
            if (*p == escape_) {
                if (!p[1]) return nullptr;
                ++p;
            } else if (*p == c) {
                return p;
            }
        }
        return nullptr;
    }

    const char* FindSpaceOrGreater(const char* p) const {
        for (; *p; ++p) {
            if (escape_ && *p == escape_) {
                if (!p[1]) return nullptr;
                ++p;
            } else if (*p == ' ' || *p == '>') {
                return p;
            }
        }
        return nullptr;
    }

    // Records the first error only; always returns false.
    bool Fail(int code, const char* position, std::string message) {
        XmlError& error = options_.error;
        if (error.failed) return false;
        error.failed = true;
        error.position = position;
        error.code = code;
        error.message = std::move(message);
        return false;
    }

    CXmlOptions& options_;
    CXmlElement::Arena* arena_ = nullptr;  // the root's
    const char escape_;
    const bool trim_;
    const EntityDecoder decoder_;
    std::vector<AttributeText> attributeTexts_;  // of the current start tag
    std::vector<CXmlAttribute*> pointers_;       // to the current start tag's attributes
    std::vector<OpenElement> open_;              // the root first
    std::vector<CXmlElement*> pending_;          // children of open elements, in their order
    const char* textBegin_ = nullptr;            // the text from the root's "<" ...
    size_t textLength_ = 0;
    char* copy_ = nullptr;                       // ... and its copy, in the root's storage
    size_t filled_ = 0;                          // how much of the copy holds the text
};

namespace {

void WriteElement(const CXmlElement& element, std::string& out, const EntityEncoder* encoder) {
    auto appendValue = [&](std::string_view value) {
        if (encoder) {
            encoder->Append(out, value);
        } else {
            out.append(value);
        }
    };
    out.push_back('<');
    out.append(element.Name());
    const int attributeCount = element.GetAttributeCount();
    if (attributeCount > 0) {
        out.push_back(' ');
        for (int i = 0; i < attributeCount; ++i) {
            const CXmlAttribute& attribute = *element.GetAttributeAt(i);
            out.append(attribute.Name());
            out.append("='");
            appendValue(attribute.Value());
            out.append("' ");
        }
    }
    const int childCount = element.GetChildCount();
    if (childCount == 0 && element.Value().empty()) {
        out.append("/>");
        return;
    }
    out.push_back('>');
    for (int i = 0; i < childCount; ++i) WriteElement(*element.GetChild(i), out, encoder);
    appendValue(element.Value());
    out.append("</");
    out.append(element.Name());
    out.push_back('>');
}

}  // namespace

static_assert(std::is_trivially_destructible_v<CXmlAttribute>, "attributes are dropped without destruction");

CXmlAttribute::CXmlAttribute(CXmlElement* owner, std::string_view name, std::string_view value) : owner_(owner) {
    SetView(name_, nameSize_, name);
    SetView(value_, valueSize_, value);
}

CXmlElement::CXmlElement(std::string_view name, std::string_view value, CXmlElement* parent)
    : CXmlElement(parent) {
    SetName(name);
    SetValue(value);
}

CXmlElement::CXmlElement(CXmlElement* parent)
    : name_(kEmpty), value_(kEmpty), parent_(parent), nameSize_(0), valueSize_(0) {}

CXmlElement::~CXmlElement() {
    DestroyChildrenAndAttributes();  // before the storage some of them may lie in
}

// Marks the way to this element, so that destroying an ancestor reaches it.
// The marks stay until the children they are on go.
CXmlElement::Storage& CXmlElement::OwnStorage() {
    if (storage_) return *storage_;
    storage_ = std::make_unique<Storage>();
    for (CXmlElement* ancestor = parent_; ancestor && !ancestor->children_.LeadsToStorage();
         ancestor = ancestor->parent_) {
        if (!ancestor->children_.MarkLeadsToStorage()) break;  // a parent by name only
    }
    return *storage_;
}

CXmlElement::Arena& CXmlElement::OwnArena() {
    return OwnStorage().arena;
}

void CXmlElement::DestroyChildrenAndAttributes() {
    if (children_.LeadsToStorage()) {
        for (CXmlElement* child : children_) child->~CXmlElement();
    }
    children_.Reset();
    attributes_.Reset();
}

const char* CXmlElement::Parse(const char* text, CXmlOptions& options) {
    Clear();
    try {
        return XmlParser(options).Parse(*this, text ? text : "");
    } catch (...) {
        Clear();  // the views may still refer to the caller's text
        throw;
    }
}

std::string CXmlElement::ToText(CXmlOptions& options) const {
    std::string out;
    if (options.useEntities && options.entities) {
        const EntityEncoder encoder(options.entities);
        WriteElement(*this, out, &encoder);
    } else {
        WriteElement(*this, out, nullptr);
    }
    return out;
}

CXmlAttribute* CXmlElement::AddAttribute(std::string_view name, std::string_view value) {
    Arena& arena = OwnArena();  // first: an array on the heap needs the destructor to run
    attributes_.MakeRoomForOne();
    const std::string_view ownName = arena.Copy(name);
    const std::string_view ownValue = arena.Copy(value);
    CXmlAttribute* attribute = new (arena.Allocate(sizeof(CXmlAttribute), alignof(CXmlAttribute)))
        CXmlAttribute(this, ownName, ownValue);
    attributes_.Push(attribute);
    return attribute;
}

CXmlElement* CXmlElement::AddChild(std::string_view name, std::string_view value) {
    Arena& arena = OwnArena();  // first: an array on the heap needs the destructor to run
    children_.MakeRoomForOne();
    const std::string_view ownName = arena.Copy(name);
    const std::string_view ownValue = arena.Copy(value);
    CXmlElement* child = arena.Make<CXmlElement>(this);
    SetView(child->name_, child->nameSize_, ownName);
    SetView(child->value_, child->valueSize_, ownValue);
    children_.Push(child);
    return child;
}

// Copies the text into a string of the element's own storage (the text may be
// a view of that very string) and points the name or value at it.
void CXmlElement::SetOwnedText(std::string Storage::*field, const char*& view, uint32_t& size, std::string_view text) {
    CheckedSize(text.size());
    if (text.empty()) {
        SetView(view, size, text);
        return;
    }
    std::string& own = OwnStorage().*field;
    own.assign(text.data(), text.size());
    SetView(view, size, own);
}

void CXmlElement::SetName(std::string_view name) { SetOwnedText(&Storage::name, name_, nameSize_, name); }

void CXmlElement::SetValue(std::string_view value) { SetOwnedText(&Storage::value, value_, valueSize_, value); }

const char* CXmlElement::GetAttribute(const char* name) const {
    if (!name) return nullptr;
    const std::string_view wanted(name);
    for (const CXmlAttribute* attribute : attributes_) {
        if (attribute->Name() == wanted) return attribute->value_;  // zero-terminated
    }
    return nullptr;
}

int CXmlElement::GetAttributeInt(const char* name) const {
    const char* text = GetAttribute(name);
    if (!text) return 0;
    const char* p = SkipSpace(text);
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const int64_t limit = negative ? -int64_t{INT_MIN} : int64_t{INT_MAX};
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

bool CXmlElement::GetAttributeUInt32(const char* name, uint32_t* out) const {
    return ParseUnsigned(GetAttribute(name), out);
}

bool CXmlElement::GetAttributeUInt64(const char* name, uint64_t* out) const {
    return ParseUnsigned(GetAttribute(name), out);
}

void CXmlElement::Clear() {
    DestroyChildrenAndAttributes();
    name_ = kEmpty;
    nameSize_ = 0;
    value_ = kEmpty;
    valueSize_ = 0;
    storage_.reset();
}

}  // namespace vantrel
