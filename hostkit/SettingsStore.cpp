#include "hostkit/SettingsStore.h"

#include "hostkit/Quoting.h"

#include <atomic>
#include <charconv>
#include <random>
#include <cstdio>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vantrel::host {

struct SettingsEntry::Tree {
    size_t count = 0;  // entries below the root
    SettingsEntry root{this, -1, std::wstring(), 0, 0};
};

// ---------------------------------------------------------------------------
// Entries

SettingsEntry::SettingsEntry(Tree* tree, int depth, std::wstring name, int32_t index, int32_t value)
    : tree_(tree), depth_(depth), name_(std::move(name)), index_(index), value_(value)
{
    if (depth_ >= 0)
        ++tree_->count;
}

SettingsEntry::~SettingsEntry()
{
    if (depth_ >= 0)
        --tree_->count;
}

namespace {

bool IsUsableName(const wchar_t* name)
{
    return name != nullptr && name[0] != L'\0';
}

}  // namespace

int32_t VANTREL_CALL SettingsEntry::Count()
{
    return static_cast<int32_t>(children_.size());
}

ISettingsNode* VANTREL_CALL SettingsEntry::Find(const wchar_t* name)
{
    return IsUsableName(name) ? FindEntry(name) : nullptr;
}

ISettingsNode* VANTREL_CALL SettingsEntry::At(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) >= children_.size())
        return nullptr;
    return children_[static_cast<size_t>(position)].get();
}

int32_t VANTREL_CALL SettingsEntry::GetNamedValue(const wchar_t* name)
{
    const SettingsEntry* entry = IsUsableName(name) ? FindEntry(name) : nullptr;
    return entry ? entry->value_ : 0;
}

ISettingsNode* VANTREL_CALL SettingsEntry::AddChild(const wchar_t* name, int32_t value)
{
    if (!IsUsableName(name))
        return nullptr;
    for (auto& child : children_) {
        if (child->name_ == name) {
            // Drop the old entry (and its count) before making the new one, so
            // that replacing never fails for want of room.
            std::wstring kept = std::move(child->name_);
            child.reset();
            child = MakeChild(std::move(kept), 0, value);
            if (!child) {
                RemoveEmptySlots();
                return nullptr;
            }
            return child.get();
        }
    }
    return Append(name, 0, value);
}

ISettingsNode* VANTREL_CALL SettingsEntry::AddAt(int32_t index, int32_t value)
{
    return Append(std::wstring(), index, value);
}

ISettingsNode* VANTREL_CALL SettingsEntry::SetNamedValue(const wchar_t* name, int32_t value)
{
    if (!IsUsableName(name))
        return nullptr;
    if (SettingsEntry* entry = FindEntry(name)) {
        entry->value_ = value;
        return entry;
    }
    return Append(name, 0, value);
}

void VANTREL_CALL SettingsEntry::RemoveNamed(const wchar_t* name)
{
    if (!IsUsableName(name))
        return;
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if ((*it)->name_ == name) {
            children_.erase(it);
            return;
        }
    }
}

void VANTREL_CALL SettingsEntry::RemoveAt(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) >= children_.size())
        return;
    children_.erase(children_.begin() + position);
}

SettingsEntry* SettingsEntry::FindEntry(std::wstring_view name)
{
    return const_cast<SettingsEntry*>(std::as_const(*this).FindEntry(name));
}

const SettingsEntry* SettingsEntry::FindEntry(std::wstring_view name) const
{
    if (name.empty())
        return nullptr;
    for (const auto& child : children_) {
        if (child->name_ == name)
            return child.get();
    }
    return nullptr;
}

void SettingsEntry::RemoveEmptySlots()
{
    std::erase(children_, nullptr);
}

SettingsEntry* SettingsEntry::Append(std::wstring name, int32_t index, int32_t value)
{
    auto child = MakeChild(std::move(name), index, value);
    if (!child)
        return nullptr;
    children_.push_back(std::move(child));
    return children_.back().get();
}

bool SettingsEntry::CanAdd(size_t nameLength) const
{
    return depth_ + 1 < SettingsLimits::kMaxDepth && tree_->count < SettingsLimits::kMaxEntries &&
           nameLength <= SettingsLimits::kMaxNameLength;
}

std::unique_ptr<SettingsEntry> SettingsEntry::MakeChild(std::wstring name, int32_t index, int32_t value)
{
    if (!CanAdd(name.size()))
        return nullptr;
    return std::make_unique<SettingsEntry>(tree_, depth_ + 1, std::move(name), index, value);
}

// ---------------------------------------------------------------------------
// UTF-8

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t cp)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

[[maybe_unused]] bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
[[maybe_unused]] bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point of the sequence at text[pos] (advancing pos), or false for an
// invalid, overlong or truncated sequence.
bool DecodeUtf8(std::string_view text, size_t& pos, char32_t* cp)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        *cp = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - pos < length)
        return false;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF)
        return false;
    pos += length;
    *cp = value;
    return true;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit;
        if constexpr (sizeof(wchar_t) == 2)
            unit = static_cast<char16_t>(text[i]);
        else
            unit = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (IsHighSurrogate(unit) && i + 1 < text.size() &&
                IsLowSurrogate(static_cast<char16_t>(text[i + 1]))) {
                const char32_t low = static_cast<char16_t>(text[++i]);
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        AppendUtf8(out, unit > 0x10FFFF ? kReplacement : unit);
    }
    return out;
}

bool Utf8ToWide(std::string_view text, std::wstring* out)
{
    std::wstring result;
    result.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp;
        if (!DecodeUtf8(text, pos, &cp))
            return false;
        AppendWide(result, cp);
    }
    *out = std::move(result);
    return true;
}

// ---------------------------------------------------------------------------
// Text form:
//   VantrelSettings 1
//   <depth> <index> <value> "<name>"      one line per entry, parents first
//   End <number of entries>
// Names are UTF-8 with \\, \", \n, \r, \t and \xHH escapes; the end line shows
// that the file is complete.

namespace {

constexpr std::string_view kHeader = "VantrelSettings 1";
constexpr std::string_view kEndMarker = "End ";

void SerializeEntries(const SettingsEntry& parent, std::string& out)
{
    for (size_t i = 0; i < parent.ChildCount(); ++i) {
        const SettingsEntry& entry = parent.ChildAt(i);
        out += std::to_string(entry.Depth());
        out += ' ';
        out += std::to_string(entry.Index());
        out += ' ';
        out += std::to_string(entry.Value());
        out += ' ';
        AppendQuoted(out, WideToUtf8(entry.Name()));
        out += '\n';
        SerializeEntries(entry, out);
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted, escaped name that must end the line.
bool ParseQuotedName(std::string_view field, std::string* utf8, std::string* why)
{
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') {
        *why = "the name is not quoted";
        return false;
    }
    const std::string_view body = field.substr(1, field.size() - 2);
    std::string result;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') {
            *why = "a quote inside the name";
            return false;
        }
        if (c != '\\') {
            result += c;
            continue;
        }
        if (++i == body.size()) {
            *why = "the name ends inside an escape";
            return false;
        }
        switch (body[i]) {
        case '\\': result += '\\'; break;
        case '"': result += '"'; break;
        case 'n': result += '\n'; break;
        case 'r': result += '\r'; break;
        case 't': result += '\t'; break;
        case 'x': {
            const int high = i + 1 < body.size() ? HexDigit(body[i + 1]) : -1;
            const int low = i + 2 < body.size() ? HexDigit(body[i + 2]) : -1;
            if (high < 0 || low < 0) {
                *why = "a bad \\x escape in the name";
                return false;
            }
            result += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            *why = "an unknown escape in the name";
            return false;
        }
    }
    *utf8 = std::move(result);
    return true;
}

// A decimal number followed by one space; advances text past both.
template <typename Number>
bool TakeNumber(std::string_view& text, Number* out)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [stop, ec] = std::from_chars(begin, end, *out);
    if (ec != std::errc() || stop == end || *stop != ' ')
        return false;
    text.remove_prefix(static_cast<size_t>(stop - begin) + 1);
    return true;
}

class SettingsParser {
public:
    explicit SettingsParser(SettingsEntry& root) : root_(root) {}

    bool Parse(std::string_view text, std::string* why)
    {
        bool sawHeader = false;
        bool sawEnd = false;
        size_t entries = 0;
        while (!text.empty()) {
            ++lineNumber_;
            const size_t newline = text.find('\n');
            if (newline == std::string_view::npos)
                return Fail(why, "the last line is incomplete");
            std::string_view line = text.substr(0, newline);
            text.remove_prefix(newline + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.size() > SettingsLimits::kMaxLineBytes)
                return Fail(why, "the line is too long");
            if (sawEnd) {
                if (!line.empty())
                    return Fail(why, "text after the end line");
                continue;
            }
            if (!sawHeader) {
                if (line != kHeader)
                    return Fail(why, "this is not a settings file of a known version");
                sawHeader = true;
                continue;
            }
            if (line.starts_with(kEndMarker)) {
                if (!CheckEndLine(line.substr(kEndMarker.size()), entries, why))
                    return false;
                sawEnd = true;
                continue;
            }
            if (!ParseEntry(line, why))
                return false;
            ++entries;
        }
        if (!sawHeader)
            return Fail(why, "the file is empty");
        if (!sawEnd)
            return Fail(why, "the file is incomplete (no end line)");
        return true;
    }

private:
    bool Fail(std::string* why, std::string_view what)
    {
        *why = "line " + std::to_string(lineNumber_) + ": " + std::string(what);
        return false;
    }

    bool CheckEndLine(std::string_view countText, size_t entries, std::string* why)
    {
        size_t count = 0;
        const auto [stop, ec] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
        if (ec != std::errc() || stop != countText.data() + countText.size() || countText.empty())
            return Fail(why, "a bad end line");
        if (count != entries)
            return Fail(why, "the end line counts " + std::to_string(count) + " entries, the file holds " +
                                 std::to_string(entries));
        return true;
    }

    bool ParseEntry(std::string_view line, std::string* why)
    {
        int depth = 0;
        int32_t index = 0;
        int32_t value = 0;
        if (!TakeNumber(line, &depth) || !TakeNumber(line, &index) || !TakeNumber(line, &value))
            return Fail(why, "expected depth, index, value and name");
        if (depth < 0 || depth >= SettingsLimits::kMaxDepth)
            return Fail(why, "the depth " + std::to_string(depth) + " is out of range");
        if (static_cast<size_t>(depth) > path_.size())
            return Fail(why, "the depth jumps from " + std::to_string(path_.size()) + " to " +
                                 std::to_string(depth));
        std::string utf8;
        std::string nameProblem;
        if (!ParseQuotedName(line, &utf8, &nameProblem))
            return Fail(why, nameProblem);
        std::wstring name;
        if (!Utf8ToWide(utf8, &name))
            return Fail(why, "the name is not valid UTF-8");
        if (name.size() > SettingsLimits::kMaxNameLength)
            return Fail(why, "the name is too long");
        path_.resize(static_cast<size_t>(depth));
        SettingsEntry& parent = depth == 0 ? root_ : *path_.back();
        SettingsEntry* entry = parent.Append(std::move(name), index, value);
        if (!entry)
            return Fail(why, "too many entries");
        path_.push_back(entry);
        return true;
    }

    SettingsEntry& root_;
    std::vector<SettingsEntry*> path_;  // the last entry read at each depth
    size_t lineNumber_ = 0;
};

// Paths in messages, as UTF-8 (a narrow path text may throw on Windows).
std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void SetError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile OpenFile(const std::filesystem::path& path, bool forWriting)
{
#ifdef _WIN32
    return UniqueFile(_wfopen(path.c_str(), forWriting ? L"wb" : L"rb"));
#else
    return UniqueFile(std::fopen(path.c_str(), forWriting ? "wb" : "rb"));
#endif
}

bool FlushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view content, std::string* why)
{
    UniqueFile file = OpenFile(path, true);
    if (!file) {
        *why = "cannot create " + PathText(path);
        return false;
    }
    if (std::fwrite(content.data(), 1, content.size(), file.get()) != content.size() || !FlushToDisk(file.get())) {
        *why = "cannot write " + PathText(path);
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        *why = "cannot finish writing " + PathText(path);
        return false;
    }
    return true;
}

// Sixteen hex digits that differ between saves and between processes.
std::string UniqueToken()
{
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = std::random_device{}() ^ (uint64_t{std::random_device{}()} << 32);
    uint64_t value = seed + 0x9E3779B97F4A7C15ull * ++counter;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Removes a temporary file it created, whatever else failed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~TemporaryFile()
    {
        if (owned_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    void Own() { owned_ = true; }
    void Disown() { owned_ = false; }

private:
    std::filesystem::path path_;
    bool owned_ = false;
};

bool ReadWholeFile(const std::filesystem::path& path, std::string* content, std::string* why)
{
    UniqueFile file = OpenFile(path, false);
    if (!file) {
        *why = "cannot open " + PathText(path);
        return false;
    }
    std::string result;
    char buffer[16384];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got > 0) {
            if (result.size() + got > SettingsLimits::kMaxFileBytes) {
                *why = PathText(path) + " is too large for a settings file";
                return false;
            }
            result.append(buffer, got);
        }
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(file.get())) {
        *why = "cannot read " + PathText(path);
        return false;
    }
    *content = std::move(result);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Store

SettingsStore::SettingsStore() : tree_(std::make_unique<SettingsEntry::Tree>()) {}

SettingsStore::~SettingsStore() = default;

SettingsEntry& SettingsStore::Root()
{
    return tree_->root;
}

const SettingsEntry& SettingsStore::Root() const
{
    return tree_->root;
}

size_t SettingsStore::EntryCount() const
{
    return tree_->count;
}

ISettingsNode* SettingsStore::SnapInSection(int32_t snapInId)
{
    if (SettingsEntry* section = FindSnapInSection(snapInId))
        return section;
    const std::string digits = std::to_string(snapInId);
    return Root().Append(std::wstring(digits.begin(), digits.end()), snapInId, 0);
}

SettingsEntry* SettingsStore::FindSnapInSection(int32_t snapInId)
{
    const std::string digits = std::to_string(snapInId);
    return Root().FindEntry(std::wstring(digits.begin(), digits.end()));
}

void SettingsStore::Clear()
{
    tree_ = std::make_unique<SettingsEntry::Tree>();
}

std::string SettingsStore::Serialize() const
{
    std::string out(kHeader);
    out += '\n';
    SerializeEntries(Root(), out);
    out += kEndMarker;
    out += std::to_string(EntryCount());
    out += '\n';
    return out;
}

bool SettingsStore::Deserialize(std::string_view text, std::string* error)
{
    auto tree = std::make_unique<SettingsEntry::Tree>();
    SettingsParser parser(tree->root);
    std::string why;
    if (!parser.Parse(text, &why)) {
        Clear();
        SetError(error, "damaged settings: " + why);
        return false;
    }
    tree_ = std::move(tree);
    return true;
}

bool SettingsStore::SaveToFile(const std::filesystem::path& target, std::string* error) const
{
    if (!target.has_filename()) {
        SetError(error, "no file name in " + PathText(target));
        return false;
    }
    const std::string content = Serialize();
    // A name of its own for every save: two consoles saving the same file at
    // once never write into each other's temporary file.
    std::filesystem::path temporaryPath;
    std::error_code status;
    for (int attempt = 0; attempt < 16 && temporaryPath.empty(); ++attempt) {
        std::filesystem::path candidate = target;
        candidate += ".tmp-" + UniqueToken();
        if (std::filesystem::symlink_status(candidate, status).type() == std::filesystem::file_type::not_found)
            temporaryPath = candidate;
    }
    if (temporaryPath.empty()) {
        SetError(error, "cannot save settings: no free name for a temporary file beside " + PathText(target));
        return false;
    }
    TemporaryFile temporary(temporaryPath);
    std::string why;
    temporary.Own();
    if (!WriteWholeFile(temporary.Path(), content, &why)) {
        SetError(error, "cannot save settings: " + why);
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(temporary.Path(), target, renameError);
    if (renameError) {
        SetError(error, "cannot save settings: cannot replace " + PathText(target) + ": " + renameError.message());
        return false;
    }
    temporary.Disown();
    return true;
}

bool SettingsStore::LoadFromFile(const std::filesystem::path& source, std::string* error)
{
    std::error_code status;
    const auto type = std::filesystem::status(source, status).type();
    if (type == std::filesystem::file_type::not_found) {
        Clear();
        return true;
    }
    std::string content;
    std::string why;
    if (type == std::filesystem::file_type::none) {
        why = "cannot examine " + PathText(source) + ": " + status.message();
    } else if (type != std::filesystem::file_type::regular) {
        why = PathText(source) + " is not a file";
    } else if (ReadWholeFile(source, &content, &why)) {
        return Deserialize(content, error);
    }
    Clear();
    SetError(error, "cannot load settings: " + why);
    return false;
}

}  // namespace vantrel::host
