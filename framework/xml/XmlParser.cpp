// The parser: the text of one element into a tree, with the first error
// recorded in the options; and entity decoding.
#include "framework/xml/XmlInternal.h"

#include <initializer_list>
#include <vector>

namespace vantrel {

using namespace xml_internal;

CXmlOptions& XmlParseOptions() {
    static CXmlOptions options;
    return options;
}

namespace {

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

// The first character of the class at or after p; every class includes the
// terminating zero.
template <uint8_t Class>
const char* ScanTo(const char* p) {
    while (!(kCharClasses[static_cast<unsigned char>(*p)] & Class)) ++p;
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

}  // namespace

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

const char* CXmlElement::Parse(const char* text, CXmlOptions& options) {
    Clear();
    try {
        return XmlParser(options).Parse(*this, text ? text : "");
    } catch (...) {
        Clear();  // the views may still refer to the caller's text
        throw;
    }
}

}  // namespace vantrel
