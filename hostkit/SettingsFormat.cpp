// The text form of the store: writing it and reading it back.
#include "hostkit/SettingsStore.h"

#include "hostkit/Quoting.h"
#include "hostkit/SettingsCodec.h"

#include <charconv>
#include <utility>

namespace vantrel::host {

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

}  // namespace

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
    SettingsStore parsed;
    SettingsParser parser(parsed.Root());
    std::string why;
    if (!parser.Parse(text, &why)) {
        Clear();
        if (error)
            *error = "damaged settings: " + why;
        return false;
    }
    std::swap(tree_, parsed.tree_);
    return true;
}

}  // namespace vantrel::host
