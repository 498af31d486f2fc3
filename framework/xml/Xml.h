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

std::string XmlEncode(const XmlEntity* table, const std::string& text);
std::string XmlDecode(const XmlEntity* table, const std::string& text);

class CXmlElement;

class CXmlAttribute {
public:
    CXmlAttribute(CXmlElement* owner, std::string name, std::string value);
    const std::string& Name() const { return name_; }
    const std::string& Value() const { return value_; }
    CXmlElement* Owner() const { return owner_; }

private:
    CXmlElement* owner_;
    std::string name_;
    std::string value_;
};

class CXmlElement {
public:
    explicit CXmlElement(std::string name = {}, std::string value = {}, CXmlElement* parent = nullptr);
    ~CXmlElement();
    CXmlElement(const CXmlElement&) = delete;
    CXmlElement& operator=(const CXmlElement&) = delete;

    // Fills this element from the first element of text; returns the position
    // after it, or null on an error (the tree keeps what was parsed so far and
    // the options record the first error). A text without a named element
    // (empty, no "<", starting with a closing tag, "<>") also returns null but
    // records no error. A null text parses as empty. text must not point into
    // this element's own tree, which is cleared first. Nesting deeper than
    // 2000 elements fails with code 5.
    const char* Parse(const char* text, CXmlOptions& options = XmlParseOptions());
    std::string ToText(CXmlOptions& options = XmlWriteOptions()) const;

    CXmlAttribute* AddAttribute(const std::string& name, const std::string& value);
    CXmlElement* AddChild(const std::string& name, const std::string& value = {});

    // The first attribute of that name (exact match), or null.
    const char* GetAttribute(const char* name) const;
    // Leading digits as a signed decimal number (saturating); 0 when absent.
    int GetAttributeInt(const char* name) const;
    // Unsigned readers: false (and *out untouched) when the attribute is absent,
    // holds no digits or is negative ("-1" is not read as 4294967295; the wire
    // form of -1 is the unsigned text itself); values beyond the type saturate.
    bool GetAttributeUInt32(const char* name, uint32_t* out) const;
    bool GetAttributeUInt64(const char* name, uint64_t* out) const;

    int GetChildCount() const;
    CXmlElement* GetChild(int index) const;  // null outside 0..count-1
    int GetAttributeCount() const;
    CXmlAttribute* GetAttributeAt(int index) const;

    const std::string& Name() const { return name_; }
    const std::string& Value() const { return value_; }
    void SetName(std::string name) { name_ = std::move(name); }
    void SetValue(std::string value) { value_ = std::move(value); }
    CXmlElement* Parent() const { return parent_; }

    void Clear();

private:
    friend class XmlParser;
    class Arena;

    // Owned pointers to children or attributes. The array doubles from 1 on
    // the heap; the parser instead gives it storage of the final size from an
    // arena, which saves an allocation per element.
    template <typename T>
    class PointerArray {
    public:
        PointerArray() = default;
        PointerArray(const PointerArray&) = delete;
        PointerArray& operator=(const PointerArray&) = delete;
        ~PointerArray() { Reset(); }

        size_t Size() const { return size_; }
        T* At(size_t index) const { return items_[index]; }
        T* const* begin() const { return items_; }
        T* const* end() const { return items_ + size_; }

        void MakeRoomForOne() {  // may throw; the next Push cannot
            if (size_ == capacity_) Grow();
        }
        void UseStorage(T** storage, size_t capacity);  // on an empty array; storage outlives it
        void Push(T* item) { items_[size_++] = item; }  // only into room made before
        // Forgets the pointers (the owner destroys what they point to).
        void Reset() {
            if (onHeap_) ::operator delete(items_);
            items_ = nullptr;
            size_ = 0;
            capacity_ = 0;
            onHeap_ = 0;
        }

    private:
        void Grow();

        T** items_ = nullptr;
        uint32_t size_ = 0;
        uint32_t capacity_ : 31 = 0;  // counts stay within int, as the readers report them
        uint32_t onHeap_ : 1 = 0;
    };

    CXmlElement(CXmlElement* parent, std::string_view name);  // for the parser
    template <typename T, typename... Args>
    T* Make(Args&&... args);
    void DestroyChildrenAndAttributes();

    std::string name_;
    std::string value_;
    CXmlElement* parent_;
    // Children and attributes are owned here but stored in the arena of the
    // element that made them: this one for AddChild and AddAttribute, the
    // parse root for everything a Parse built. An element is always destroyed
    // before the element whose arena holds it.
    PointerArray<CXmlElement> children_;
    PointerArray<CXmlAttribute> attributes_;
    std::unique_ptr<Arena> arena_;
};

}  // namespace vantrel
