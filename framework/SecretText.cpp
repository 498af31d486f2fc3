#include "framework/SecretText.h"

#include "framework/text/Base64.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vantrel {
namespace {

// From the system's <dpapi.h>: memory protected for this process only, in
// blocks of 16 bytes.
constexpr DWORD kSameProcess = 0;
constexpr size_t kBlockBytes = 16;
using MemoryProtection = BOOL(WINAPI*)(LPVOID data, DWORD bytes, DWORD flags);

struct Protection {
    MemoryProtection protect = nullptr;
    MemoryProtection unprotect = nullptr;
};

// crypt32 is loaded by its full path in the system folder, once, and kept:
// the module imports only what every system has, and may not free a library
// while it is itself being unloaded.
const Protection& SystemProtection() {
    static const Protection protection = [] {
        Protection found;
        wchar_t path[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        constexpr wchar_t kName[] = L"\\crypt32.dll";
        if (length == 0 || length + std::size(kName) > MAX_PATH) return found;
        std::copy(std::begin(kName), std::end(kName), path + length);
        HMODULE library = LoadLibraryW(path);
        if (!library) return found;
        found.protect =
            reinterpret_cast<MemoryProtection>(reinterpret_cast<void*>(GetProcAddress(library, "CryptProtectMemory")));
        found.unprotect = reinterpret_cast<MemoryProtection>(
            reinterpret_cast<void*>(GetProcAddress(library, "CryptUnprotectMemory")));
        if (!found.protect || !found.unprotect) found = {};
        return found;
    }();
    return protection;
}

void Wipe(std::vector<wchar_t>& characters) {
    if (!characters.empty()) SecureZeroMemory(characters.data(), characters.size() * sizeof(wchar_t));
    characters.clear();
    characters.shrink_to_fit();
}

}  // namespace

void WipeText(std::wstring& text) {
    if (!text.empty()) SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    text.clear();
}

void WipeText(std::u16string& text) {
    if (!text.empty()) SecureZeroMemory(text.data(), text.size() * sizeof(char16_t));
    text.clear();
}

void WipeText(std::string& text) {
    if (!text.empty()) SecureZeroMemory(text.data(), text.size());
    text.clear();
}

CRevealedText::CRevealedText(std::vector<wchar_t> characters, size_t length)
    : characters_(std::move(characters)), length_(length) {}

CRevealedText::CRevealedText(CRevealedText&& other) noexcept
    : characters_(std::move(other.characters_)), length_(std::exchange(other.length_, 0)) {}

CRevealedText::~CRevealedText() { Wipe(characters_); }

std::string CRevealedText::ToBase64() const {
    std::u16string units(View().begin(), View().end());
    std::string encoded = EncodeUtf16Base64(units);
    WipeText(units);
    return encoded;
}

CSecretText::CSecretText(CSecretText&& other) noexcept
    : stored_(std::move(other.stored_)),
      length_(std::exchange(other.length_, 0)),
      protected_(std::exchange(other.protected_, false)) {}

CSecretText& CSecretText::operator=(CSecretText&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    stored_ = std::move(other.stored_);
    length_ = std::exchange(other.length_, 0);
    protected_ = std::exchange(other.protected_, false);
    return *this;
}

CSecretText::~CSecretText() { Clear(); }

void CSecretText::Set(std::wstring_view text) {
    Clear();
    if (text.empty()) return;
    // Room for the text and its zero, in whole blocks, allocated once.
    const size_t bytes = ((text.size() + 1) * sizeof(wchar_t) + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
    stored_.assign(bytes / sizeof(wchar_t), L'\0');
    std::copy(text.begin(), text.end(), stored_.begin());
    length_ = text.size();
    const Protection& system = SystemProtection();
    protected_ = system.protect && system.protect(stored_.data(), static_cast<DWORD>(bytes), kSameProcess);
}

void CSecretText::Clear() {
    Wipe(stored_);
    length_ = 0;
    protected_ = false;
}

CRevealedText CSecretText::Reveal() const {
    if (length_ == 0) return {};
    std::vector<wchar_t> clear(stored_);
    if (protected_) {
        const Protection& system = SystemProtection();
        if (!system.unprotect(clear.data(), static_cast<DWORD>(clear.size() * sizeof(wchar_t)), kSameProcess)) {
            Wipe(clear);
            return {};
        }
    }
    return CRevealedText(std::move(clear), length_);
}

}  // namespace vantrel
