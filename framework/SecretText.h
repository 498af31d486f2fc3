// Passwords in memory: held only while a tool needs them, protected with the
// system's CryptProtectMemory where it is available, and wiped when replaced
// or released. A copy in the clear exists only inside a CRevealedText, which
// wipes it when it goes.
#pragma once

#include "host/SnapInHost.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Zeroes a text's characters (the compiler may not drop it) and empties it.
void WipeText(std::wstring& text);
void WipeText(std::u16string& text);
void WipeText(std::string& text);

// A secret in the clear, zero-terminated, for as long as this object lives.
class CRevealedText {
public:
    CRevealedText() = default;
    explicit CRevealedText(std::vector<wchar_t> characters, size_t length);
    ~CRevealedText();
    CRevealedText(CRevealedText&& other) noexcept;
    CRevealedText& operator=(CRevealedText&&) = delete;
    CRevealedText(const CRevealedText&) = delete;
    CRevealedText& operator=(const CRevealedText&) = delete;

    const wchar_t* c_str() const { return characters_.empty() ? L"" : characters_.data(); }
    std::wstring_view View() const { return {c_str(), length_}; }
    // Base64 of the UTF-16LE bytes, as texts travel; the caller wipes it.
    std::string ToBase64() const;

private:
    std::vector<wchar_t> characters_;
    size_t length_ = 0;
};

class CSecretText {
public:
    CSecretText() = default;
    ~CSecretText();
    CSecretText(const CSecretText&) = delete;
    CSecretText& operator=(const CSecretText&) = delete;
    // Moving hands the protected bytes over; nothing is copied in the clear.
    CSecretText(CSecretText&& other) noexcept;
    CSecretText& operator=(CSecretText&& other) noexcept;

    // Keeps a copy of the text; the caller wipes its own.
    void Set(std::wstring_view text);
    void Clear();
    bool Empty() const { return length_ == 0; }
    // Whether the system protects what is held (false where it cannot).
    bool Protected() const { return protected_; }
    CRevealedText Reveal() const;

private:
    // The characters, a terminating zero and padding to the protection's
    // block size; encrypted when protected_ is set.
    std::vector<wchar_t> stored_;
    size_t length_ = 0;
    bool protected_ = false;
};

}  // namespace vantrel
