// What the sources of the XML document share and its users never see: the
// arena and storage behind a tree, the views into them, and the character
// scans of the parser and the writer.
#pragma once

#include "framework/xml/Xml.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel {
namespace xml_internal {

constexpr int kEntityCount = 5;

// What every empty name and value points to: a terminated text of its own, so
// that it is never mistaken for part of a parsed text.
inline constexpr char kEmpty[1] = {};

inline uint32_t CheckedSize(size_t size) {
    if (size > UINT32_MAX) throw std::length_error("CXmlElement: name or value of 4 GiB or more");
    return static_cast<uint32_t>(size);
}

inline void SetView(const char*& data, uint32_t& size, std::string_view text) {
    size = CheckedSize(text.size());
    data = text.empty() ? kEmpty : text.data();
}

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

inline constexpr std::array<uint8_t, 256> kCharClasses = MakeCharClasses();

inline bool IsSpace(char c) {
    return kCharClasses[static_cast<unsigned char>(c)] & kSpace;
}

inline const char* SkipSpace(const char* p) {
    while (IsSpace(*p)) ++p;
    return p;
}

// The first character in [p, end) that is one of set, or end. Sixteen
// characters at a time with SSE2, which every x86-64 has.
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
#endif
    for (; p != end; ++p) {
        for (char c : set) {
            if (*p == c) return p;
        }
    }
    return end;
}

}  // namespace xml_internal

// Bump allocation in blocks that double up to a limit. Nothing is freed before
// the arena goes; the owner calls the destructors of what it made.
class CXmlElement::Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena();

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
        xml_internal::CheckedSize(text.size());
        if (text.empty()) return {xml_internal::kEmpty, 0};
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

    void AddBlock(size_t minimum);
    // A large allocation gets a block of its own behind the current one, which
    // stays current so that its free space is not lost.
    void* AddSeparateBlock(size_t size);

    Block* blocks_ = nullptr;  // the current block first
    size_t capacity_ = 0;
    size_t used_ = 0;
    size_t nextCapacity_ = kFirstBlock;
};

// What an element owns beyond its fields, made when first needed.
struct CXmlElement::Storage {
    Arena arena;                   // children and attributes it made, their texts
    std::unique_ptr<char[]> text;  // the copy of the text it was parsed from
    std::string name;              // set by SetName or the constructor
    std::string value;             // set by SetValue or the constructor
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

// The parser makes one of each per element and attribute: defined here, so
// that it can inline them.
inline CXmlAttribute::CXmlAttribute(CXmlElement* owner, std::string_view name, std::string_view value)
    : owner_(owner) {
    xml_internal::SetView(name_, nameSize_, name);
    xml_internal::SetView(value_, valueSize_, value);
}

inline CXmlElement::CXmlElement(CXmlElement* parent)
    : name_(xml_internal::kEmpty), value_(xml_internal::kEmpty), parent_(parent), nameSize_(0), valueSize_(0) {}

}  // namespace vantrel
