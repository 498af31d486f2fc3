#include "framework/xml/Xml.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

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

class EntityEncoder {
public:
    explicit EntityEncoder(const XmlEntity* table) : table_(table) {
        if (!table) return;
        for (int i = 0; i < kEntityCount; ++i) {
            if (table[i].text) index_[static_cast<unsigned char>(table[i].character)] = static_cast<uint8_t>(i + 1);
        }
    }

    // Appends the text with each table character replaced by its entity;
    // runs without one are copied whole.
    void Append(std::string& out, std::string_view text) const {
        const char* run = text.data();
        const char* end = run + text.size();
        for (const char* p = run; p != end; ++p) {
            const uint8_t entry = index_[static_cast<unsigned char>(*p)];
            if (entry == 0) continue;
            out.append(run, p);
            out.append(table_[entry - 1].text);
            run = p + 1;
        }
        out.append(run, end);
    }

private:
    const XmlEntity* table_;
    std::array<uint8_t, 256> index_{};  // entity index + 1; 0 for none
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

    bool MayContainEntity(const char* begin, const char* end) const {
        if (!anyEntity_ || begin == end) return false;
        if (!commonFirst_) return true;
        if (end - begin > 16) return std::memchr(begin, commonFirst_, end - begin) != nullptr;
        return std::find(begin, end, commonFirst_) != end;
    }

    // Appends the text with entities replaced by their characters, in one
    // left-to-right scan: the output of one replacement is never looked at
    // again, so "&amp;lt;" gives "&lt;".
    void Append(std::string& out, const char* begin, const char* end) const {
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
            out.append(run, p);
            out.push_back(table_[match].character);
            p += lengths_[match];
            run = p;
        }
        out.append(run, end);
    }

private:
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
            AddBlock(size + alignment);
            offset = AlignUp(used_, alignment);
        }
        used_ = offset + size;
        return reinterpret_cast<char*>(blocks_ + 1) + offset;
    }

private:
    struct alignas(std::max_align_t) Block {
        Block* next;
    };

    static constexpr size_t kFirstBlock = 512;
    static constexpr size_t kLargestBlock = 64 * 1024;

    static size_t AlignUp(size_t value, size_t alignment) { return (value + alignment - 1) & ~(alignment - 1); }

    void AddBlock(size_t minimum) {
        const size_t capacity = std::max(nextCapacity_, minimum);
        Block* block = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
        block->next = blocks_;
        blocks_ = block;
        capacity_ = capacity;
        used_ = 0;
        nextCapacity_ = std::min(nextCapacity_ * 2, kLargestBlock);
    }

    Block* blocks_ = nullptr;  // the newest first; allocation goes on in it
    size_t capacity_ = 0;
    size_t used_ = 0;
    size_t nextCapacity_ = kFirstBlock;
};

template <typename T>
void CXmlElement::PointerArray<T>::Grow() {
    constexpr size_t kLargest = INT_MAX;
    if (capacity_ >= kLargest) throw std::length_error("CXmlElement: too many children or attributes");
    const size_t capacity = capacity_ == 0 ? 1 : std::min<size_t>(size_t{capacity_} * 2, kLargest);
    T** items = static_cast<T**>(::operator new(capacity * sizeof(T*)));
    if (size_ != 0) std::memcpy(items, items_, size_ * sizeof(T*));
    if (onHeap_) ::operator delete(items_);
    items_ = items;
    capacity_ = static_cast<uint32_t>(capacity);
    onHeap_ = 1;
}

template <typename T>
void CXmlElement::PointerArray<T>::UseStorage(T** storage, size_t capacity) {
    Reset();
    items_ = storage;
    capacity_ = static_cast<uint32_t>(std::min<size_t>(capacity, INT_MAX));
}

template <typename T, typename... Args>
T* CXmlElement::Make(Args&&... args) {
    if (!arena_) arena_ = std::make_unique<Arena>();  // the parser's RootArena does the same
    return new (arena_->Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
}

std::string XmlEncode(const XmlEntity* table, const std::string& text) {
    std::string out;
    out.reserve(text.size());
    EntityEncoder(table).Append(out, text);
    return out;
}

std::string XmlDecode(const XmlEntity* table, const std::string& text) {
    std::string out;
    out.reserve(text.size());
    EntityDecoder(table).Append(out, text.data(), text.data() + text.size());
    return out;
}

// The parser: a loop over an explicit stack of open elements, so that the
// nesting depth of the text never becomes the depth of the call stack.
class XmlParser {
public:
    explicit XmlParser(CXmlOptions& options)
        : options_(options),
          escape_(static_cast<char>(options.escapeCharacter & 0xFF)),
          trim_(options.trim != 0),
          decoder_(options.useEntities ? options.entities : nullptr) {}

    // root is cleared; everything this parse makes is stored in its arena.
    const char* Parse(CXmlElement& root, const char* text) {
        root_ = &root;
        const char* p = text;
        std::string_view name;
        if (FindStartTag(p, 1, name) != Start::Found) return nullptr;
        root.name_.assign(name);
        switch (ReadRestOfStartTag(root, p)) {
        case Tag::Failed:
            return nullptr;
        case Tag::Complete:
            break;
        case Tag::Open:
            if (!ReadText(root, p, kMustBeClosedWith) || !ReadContent(root, p)) return nullptr;
            break;
        }
        // A nameless root is nothing a caller could use.
        return root.name_.empty() ? nullptr : p;
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

    struct DestroyElement {
        void operator()(CXmlElement* element) const { element->~CXmlElement(); }
    };
    // An element made in the arena that nothing owns yet.
    using Unowned = std::unique_ptr<CXmlElement, DestroyElement>;

    struct OpenElement {
        CXmlElement* element;
        Unowned nameless;  // parsed to skip it, then dropped
    };

    struct AttributeText {
        const char* name;
        const char* nameEnd;
        const char* value;  // null: no value given
        const char* valueEnd;
    };

    // Children and closing tags of root, whose start tag and leading text are read.
    bool ReadContent(CXmlElement& root, const char*& p) {
        std::vector<OpenElement> open;
        open.push_back({&root, nullptr});
        while (!open.empty()) {
            CXmlElement& element = *open.back().element;
            if (p[0] == '<' && p[1] == '/') {
                if (!ReadEndTag(element, p)) return false;
                open.pop_back();
                if (!open.empty() && !ReadTextAfterChild(*open.back().element, p)) return false;
                continue;
            }
            if (*p == '\0') return Fail(2, p, MakeMessage(kItMustBeClosedWith, {element.name_}));

            const char* const start = p;
            std::string_view name;
            switch (FindStartTag(p, open.size() + 1, name)) {
            case Start::Failed:
                return false;
            case Start::None:
                if (!p) {
                    return Fail(2, start + std::strlen(start), MakeMessage(kItMustBeClosedWith, {element.name_}));
                }
                continue;  // at the closing tag of element
            case Start::Found:
                break;
            }
            // A nameless child stays in owned: parsed like any other, then dropped.
            element.children_.MakeRoomForOne();
            Unowned owned(root_->Make<CXmlElement>(&element, name));
            CXmlElement& child = *owned;
            if (!name.empty()) element.children_.Push(owned.release());
            switch (ReadRestOfStartTag(child, p)) {
            case Tag::Failed:
                return false;
            case Tag::Complete:
                if (!ReadTextAfterChild(element, p)) return false;
                break;
            case Tag::Open:
                if (!ReadText(child, p, kMustBeClosedWith)) return false;
                open.push_back({&child, std::move(owned)});
                break;
            }
        }
        return true;
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
        if (*p != '/' && *p != '>' && !ReadAttributes(element, p)) return Tag::Failed;
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

    // Reads attributes up to the ">" or "/" that ends the start tag. They are
    // collected first, so that the element's array of them is allocated once
    // and in the arena.
    bool ReadAttributes(CXmlElement& element, const char*& p) {
        attributeTexts_.clear();
        const bool ok = ScanAttributes(element, p);
        const size_t count = attributeTexts_.size();
        if (count == 0) return ok;
        if (count > INT_MAX) throw std::length_error("CXmlElement: too many attributes");
        // element is new or cleared: these are all its attributes.
        auto** storage = static_cast<CXmlAttribute**>(
            RootArena().Allocate(count * sizeof(CXmlAttribute*), alignof(CXmlAttribute*)));
        element.attributes_.UseStorage(storage, count);
        for (const AttributeText& text : attributeTexts_) {
            // Constructed in place from the two new strings, which are then moved only once.
            void* memory = RootArena().Allocate(sizeof(CXmlAttribute), alignof(CXmlAttribute));
            element.attributes_.Push(new (memory) CXmlAttribute(
                &element, std::string(text.name, text.nameEnd),
                text.value ? MakeValue(text.value, text.valueEnd) : std::string()));
        }
        return ok;
    }

    bool ScanAttributes(const CXmlElement& element, const char*& p) {
        for (;;) {
            p = SkipSpace(p);
            if (*p == '>' || *p == '/') return true;
            // A name also ends at ">" and "/", so that a value-less attribute
            // last in the tag does not swallow the end of the tag.
            const char* name = p;
            p = ScanTo<kEndsAttributeName>(p);
            if (!*p) return AttributeError(element, name);
            attributeTexts_.push_back({name, p, nullptr, nullptr});
            p = SkipSpace(p);
            if (*p != '=') continue;
            p = SkipSpace(p + 1);
            const char* value = p;
            const char* valueEnd = nullptr;
            if (*p == '"' || *p == '\'') {
                value = p + 1;
                valueEnd = Find(value, *p);
                if (!valueEnd) return AttributeError(element, name);
                p = valueEnd + 1;
            } else {
                valueEnd = FindSpaceOrGreater(p);
                if (!valueEnd) return AttributeError(element, name);
                p = valueEnd;
            }
            attributeTexts_.back().value = value;
            attributeTexts_.back().valueEnd = valueEnd;
        }
    }

    bool AttributeError(const CXmlElement& element, const char* position) {
        return Fail(4, position, MakeMessage(kAttributeHasError, {element.name_}));
    }

    // The character data from p to the next "<" becomes the value of a
    // value-less element; p moves to that "<".
    bool ReadText(CXmlElement& element, const char*& p, const char* unclosedMessage) {
        if (!element.value_.empty()) return true;
        const char* less = Find(p, '<');
        if (!less) {
            return Fail(2, p + std::strlen(p), MakeMessage(unclosedMessage, {element.name_, element.name_}));
        }
        element.value_ = MakeValue(p, less);
        p = less;
        return true;
    }

    bool ReadTextAfterChild(CXmlElement& element, const char*& p) {
        if (!element.value_.empty() || *p == '<') return true;
        return ReadText(element, p, kItMustBeClosedWith);
    }

    bool ReadEndTag(const CXmlElement& element, const char*& p) {
        const char* name = SkipSpace(p + 2);
        const char* nameEnd = ScanTo<kEndsClosingName>(name);
        if (!*nameEnd) return Fail(2, name, MakeMessage(kItMustBeClosedWith, {element.name_}));
        const std::string_view closing(name, static_cast<size_t>(nameEnd - name));
        if (closing != element.name_) {
            return Fail(3, nameEnd, MakeMessage(kNotWellFormed, {element.name_, closing}));
        }
        const char* greater = SkipSpace(nameEnd);
        if (*greater != '>') return Fail(2, greater, MakeMessage(kItMustBeClosedWith, {element.name_}));
        p = greater + 1;
        return true;
    }

    // Trims, removes escape characters and decodes entities, copying the text
    // in one piece when none of that changes it.
    std::string MakeValue(const char* begin, const char* end) const {
        if (trim_) TrimSpace(begin, end);
        if (escape_ && std::memchr(begin, escape_, static_cast<size_t>(end - begin))) {
            std::string unescaped;
            unescaped.reserve(static_cast<size_t>(end - begin));
            for (const char* p = begin; p != end; ++p) {
                if (*p == escape_) {
                    if (++p == end) break;
                }
                unescaped.push_back(*p);
            }
            std::string value;
            decoder_.Append(value, unescaped.data(), unescaped.data() + unescaped.size());
            return value;
        }
        if (decoder_.MayContainEntity(begin, end)) {
            std::string value;
            value.reserve(static_cast<size_t>(end - begin));
            decoder_.Append(value, begin, end);
            return value;
        }
        return std::string(begin, end);
    }

    CXmlElement::Arena& RootArena() {
        if (!root_->arena_) root_->arena_ = std::make_unique<CXmlElement::Arena>();
        return *root_->arena_;
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
    CXmlElement* root_ = nullptr;
    const char escape_;
    const bool trim_;
    const EntityDecoder decoder_;
    std::vector<AttributeText> attributeTexts_;  // reused for every start tag
};

namespace {

void WriteElement(const CXmlElement& element, std::string& out, const EntityEncoder* encoder) {
    auto appendValue = [&](const std::string& value) {
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

CXmlAttribute::CXmlAttribute(CXmlElement* owner, std::string name, std::string value)
    : owner_(owner), name_(std::move(name)), value_(std::move(value)) {}

CXmlElement::CXmlElement(std::string name, std::string value, CXmlElement* parent)
    : name_(std::move(name)), value_(std::move(value)), parent_(parent) {}

CXmlElement::CXmlElement(CXmlElement* parent, std::string_view name) : name_(name), parent_(parent) {}

CXmlElement::~CXmlElement() {
    DestroyChildrenAndAttributes();
}

void CXmlElement::DestroyChildrenAndAttributes() {
    for (CXmlElement* child : children_) child->~CXmlElement();
    for (CXmlAttribute* attribute : attributes_) attribute->~CXmlAttribute();
    children_.Reset();
    attributes_.Reset();
}

const char* CXmlElement::Parse(const char* text, CXmlOptions& options) {
    Clear();
    return XmlParser(options).Parse(*this, text ? text : "");
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

CXmlAttribute* CXmlElement::AddAttribute(const std::string& name, const std::string& value) {
    attributes_.MakeRoomForOne();
    CXmlAttribute* attribute = Make<CXmlAttribute>(this, name, value);
    attributes_.Push(attribute);
    return attribute;
}

CXmlElement* CXmlElement::AddChild(const std::string& name, const std::string& value) {
    children_.MakeRoomForOne();
    CXmlElement* child = Make<CXmlElement>(name, value, this);
    children_.Push(child);
    return child;
}

const char* CXmlElement::GetAttribute(const char* name) const {
    if (!name) return nullptr;
    for (const auto& attribute : attributes_) {
        if (attribute->Name() == name) return attribute->Value().c_str();
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

int CXmlElement::GetChildCount() const {
    return static_cast<int>(std::min<size_t>(children_.Size(), INT_MAX));
}

CXmlElement* CXmlElement::GetChild(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= children_.Size()) return nullptr;
    return children_.At(static_cast<size_t>(index));
}

int CXmlElement::GetAttributeCount() const {
    return static_cast<int>(std::min<size_t>(attributes_.Size(), INT_MAX));
}

CXmlAttribute* CXmlElement::GetAttributeAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= attributes_.Size()) return nullptr;
    return attributes_.At(static_cast<size_t>(index));
}

void CXmlElement::Clear() {
    name_.clear();
    value_.clear();
    DestroyChildrenAndAttributes();
    arena_.reset();
}

}  // namespace vantrel
