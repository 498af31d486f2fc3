// The module's small XML document: a tree of elements with attributes, a
// forgiving parser with one shared error record, a writer and the five
// character entities. No declarations, comments, CDATA, namespaces or numeric
// character references.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>  // kept for includers that relied on it

namespace vantrel {

struct XmlEntity {
    char character;
    const char* text;  // "&amp;" ...
};

// The five pairs, in the order &, ", ', <, >.
extern const XmlEntity kXmlEntities[5];

struct XmlError {
    bool failed = false;
    const char* position = nullptr;  // into the text that was parsed
    int code = 0;                    // 1 to 4 (5: nesting too deep)
    std::string message;
};

struct CXmlOptions {
    int32_t trim = 1;
    int32_t useEntities = 1;
    const XmlEntity* entities = kXmlEntities;
    int32_t escapeCharacter = 0;  // 0: none
    XmlError error;               // the first error; the parser never clears it
};

// The two process-wide instances, one for parsing and one for writing.
CXmlOptions& XmlParseOptions();
CXmlOptions& XmlWriteOptions();

std::string XmlEncode(const XmlEntity* table, std::string_view text);
std::string XmlDecode(const XmlEntity* table, std::string_view text);

class CXmlElement;

// The unsigned readers' rule for a value already at hand (see
// CXmlElement::GetAttributeUInt32): false for null, no digits or a minus sign.
bool ParseUnsignedDecimal(const char* text, uint32_t* out);
bool ParseUnsignedDecimal(const char* text, uint64_t* out);

// Names and values are views of text that the tree owns: a parsed tree keeps a
// copy of the element's text (and decoded values beside it), built elements
// keep copies of what they were given. A view stays valid until its element
// is cleared, reparsed, renamed (SetName/SetValue for that text) or destroyed,
// or until the element whose storage holds it (its parse root, or the parent
// that added it) is cleared, reparsed or destroyed. Only attribute values are
// sure to be followed by a zero.
class CXmlAttribute {
public:
    std::string_view Name() const { return {name_, nameSize_}; }
    // Always followed by a terminating zero, so Value().data() is a C string.
    std::string_view Value() const { return {value_, valueSize_}; }
    CXmlElement* Owner() const { return owner_; }

private:
    friend class CXmlElement;
    friend class XmlParser;
    // Defined in XmlInternal.h, where the parser and AddAttribute see it.
    inline CXmlAttribute(CXmlElement* owner, std::string_view name, std::string_view value);

    CXmlElement* owner_;
    const char* name_;
    const char* value_;
    uint32_t nameSize_;
    uint32_t valueSize_;
};

class CXmlElement {
public:
    explicit CXmlElement(std::string_view name = {}, std::string_view value = {}, CXmlElement* parent = nullptr);
    ~CXmlElement();
    CXmlElement(const CXmlElement&) = delete;
    CXmlElement& operator=(const CXmlElement&) = delete;

    // Fills this element from the first element of text; returns the position
    // after it, or null on an error (the tree keeps what was parsed so far and
    // the options record the first error). A text without a named element
    // (empty, no "<", starting with a closing tag, "<>") also returns null but
    // records no error. A null text parses as empty. text must not point into
    // this element's own tree, which is cleared first. Nesting deeper than
    // 2000 elements fails with code 5. The tree copies the text it keeps; the
    // caller's text may go once Parse returns. The text is measured to its
    // terminating zero, also past the element. Should memory run out, the
    // element is left empty and the exception propagates.
    const char* Parse(const char* text, CXmlOptions& options);
    std::string ToText(CXmlOptions& options = XmlWriteOptions()) const;

    // Both copy what they are given. A name or value of 4 GiB or more throws
    // std::length_error, as does a count of children or attributes beyond int.
    CXmlAttribute* AddAttribute(std::string_view name, std::string_view value);
    CXmlElement* AddChild(std::string_view name, std::string_view value = {});

    // The value of the first attribute of that name (exact match), or null.
    const char* GetAttribute(const char* name) const;
    // Leading digits as a signed decimal number (saturating); 0 when absent.
    int GetAttributeInt(const char* name) const;
    // Unsigned readers: false (and *out untouched) when the attribute is absent,
    // holds no digits or is negative ("-1" is not read as 4294967295; the wire
    // form of -1 is the unsigned text itself); values beyond the type saturate.
    bool GetAttributeUInt32(const char* name, uint32_t* out) const;
    bool GetAttributeUInt64(const char* name, uint64_t* out) const;

    int GetChildCount() const { return static_cast<int>(children_.Size()); }
    CXmlElement* GetChild(int index) const { return children_.At(index); }  // null outside 0..count-1
    int GetAttributeCount() const { return static_cast<int>(attributes_.Size()); }
    CXmlAttribute* GetAttributeAt(int index) const { return attributes_.At(index); }

    std::string_view Name() const { return {name_, nameSize_}; }
    std::string_view Value() const { return {value_, valueSize_}; }
    // Copy the text; setting one again reuses its storage, so repeated calls do not accumulate.
    void SetName(std::string_view name);
    void SetValue(std::string_view value);
    CXmlElement* Parent() const { return parent_; }

    void Clear();

private:
    friend class XmlParser;
    class Arena;
    struct Storage;

    // Owned pointers to children or attributes, one pointer wide so that the
    // many elements without any cost little. The block holds the count, the
    // capacity and the pointers; AddChild and AddAttribute grow it on the heap
    // by doubling from 1, the parser instead places it, of its final size, in
    // the parse root's arena.
    template <typename T>
    class PointerArray {
    public:
        PointerArray() = default;
        PointerArray(const PointerArray&) = delete;
        PointerArray& operator=(const PointerArray&) = delete;
        ~PointerArray() { Reset(); }

        uint32_t Size() const { return block_ ? block_->size : 0; }
        T* At(int index) const {
            return index >= 0 && static_cast<uint32_t>(index) < Size() ? Items()[index] : nullptr;
        }
        T* const* begin() const { return block_ ? Items() : nullptr; }
        T* const* end() const { return block_ ? Items() + block_->size : nullptr; }

        void MakeRoomForOne();                            // may throw; the next Push cannot
        void Push(T* item) { Items()[block_->size++] = item; }  // only into room made before
        // The parser's exact block; the array must be empty, arena outlives it.
        void Assign(Arena& arena, T* const* items, size_t count);
        // Forgets the pointers (the owner destroys what they point to).
        void Reset();

        // Whether something the pointers lead to owns storage (see CXmlElement::OwnStorage).
        bool LeadsToStorage() const { return block_ && block_->leadsToStorage; }
        // False when there is no block to mark.
        bool MarkLeadsToStorage() {
            if (!block_) return false;
            block_->leadsToStorage = 1;
            return true;
        }

    private:
        struct alignas(T*) Header {  // the pointers follow it
            uint32_t size : 31;  // counts stay within int, as the readers report them
            uint32_t leadsToStorage : 1;
            uint32_t capacity : 31;
            uint32_t onHeap : 1;
        };

        T** Items() const { return ItemsOf(block_); }
        static T** ItemsOf(Header* block) {
            return reinterpret_cast<T**>(reinterpret_cast<char*>(block) + sizeof(Header));
        }

        Header* block_ = nullptr;
    };

    // For the parser and AddChild; defined in XmlInternal.h.
    inline explicit CXmlElement(CXmlElement* parent);
    Arena& OwnArena();
    Storage& OwnStorage();
    void SetOwnedText(std::string Storage::*field, const char*& view, uint32_t& size, std::string_view text);
    void DestroyChildrenAndAttributes();

    const char* name_;
    const char* value_;
    CXmlElement* parent_;
    // Children and attributes are owned here but stored in the arena of the
    // element that made them: this one for AddChild and AddAttribute, the
    // parse root for everything a Parse built. An element is always destroyed
    // before the element whose arena holds it. Elements that own no storage,
    // and none below them does, hold nothing to release: their destructors
    // are skipped, so that a large parsed tree goes with its arena at once.
    PointerArray<CXmlElement> children_;
    PointerArray<CXmlAttribute> attributes_;
    std::unique_ptr<Storage> storage_;  // made on first need
    uint32_t nameSize_;
    uint32_t valueSize_;
};

}  // namespace vantrel
