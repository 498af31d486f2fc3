// The element: what it owns, how children and attributes are added and
// edited, and how attributes are read.
#include "framework/xml/XmlInternal.h"

#include <limits>
#include <type_traits>

namespace vantrel {

using xml_internal::CheckedSize;
using xml_internal::kEmpty;
using xml_internal::SetView;
using xml_internal::SkipSpace;

const XmlEntity kXmlEntities[5] = {
    {'&', "&amp;"}, {'"', "&quot;"}, {'\'', "&apos;"}, {'<', "&lt;"}, {'>', "&gt;"},
};

namespace {

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
    // Bounds known at compile time: pages of thousands of numbers divide nothing.
    constexpr Unsigned kMaxTenth = kMax / 10;
    constexpr Unsigned kMaxLastDigit = kMax % 10;
    Unsigned value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const Unsigned digit = static_cast<Unsigned>(*p - '0');
        const bool overflows = value > kMaxTenth || (value == kMaxTenth && digit > kMaxLastDigit);
        value = overflows ? kMax : static_cast<Unsigned>(value * 10 + digit);
    }
    *out = value;
    return true;
}

}  // namespace

bool ParseUnsignedDecimal(const char* text, uint32_t* out) { return ParseUnsigned(text, out); }

bool ParseUnsignedDecimal(const char* text, uint64_t* out) { return ParseUnsigned(text, out); }

static_assert(std::is_trivially_destructible_v<CXmlAttribute>, "attributes are dropped without destruction");

CXmlElement::CXmlElement(std::string_view name, std::string_view value, CXmlElement* parent)
    : CXmlElement(parent) {
    SetName(name);
    SetValue(value);
}

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
