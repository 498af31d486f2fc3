#include "remote/registry/RegistrySearch.h"

#include "framework/text/TextCompare.h"
#include "snapins/registry/model/Protocol.h"

namespace vantrel::remote {
namespace {

namespace wire = registry::protocol;
constexpr uint32_t kKeys = 0x1;
constexpr uint32_t kValues = 0x2;
constexpr uint32_t kData = 0x4;
constexpr uint32_t kWholeString = 0x80000000;

class Search {
public:
    Search(const SearchStart& start, std::u16string_view text, uint32_t findType)
        : start_(start), text_(Folded(text)), findType_(findType) {}

    std::optional<SearchHit> Run(const SimulatedKey& root) {
        passed_ = false;
        Visit(root, u"");
        return hit_;
    }

private:
    static std::u16string Folded(std::u16string_view text) {
        std::u16string folded(text);
        for (char16_t& c : folded) c = FoldCase(c);
        return folded;
    }

    bool Matches(std::u16string_view candidate) const {
        const std::u16string folded = Folded(candidate);
        return findType_ & kWholeString ? folded == text_ : folded.find(text_) != std::u16string::npos;
    }

    // The texts of a string value's data, each string of a multi-string.
    bool DataMatches(const SimulatedValue& value) const {
        if (value.type != wire::kRegSz && value.type != wire::kRegExpandSz && value.type != wire::kRegMultiSz)
            return false;
        std::u16string units(value.data.size() / 2, u'\0');
        for (size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
        for (size_t at = 0; at < units.size();) {
            const size_t end = std::min(units.size(), units.find(u'\0', at));
            if (end > at && Matches(std::u16string_view(units).substr(at, end - at))) return true;
            at = end + 1;
        }
        return false;
    }

    bool ValueMatches(const SimulatedValue& value) const {
        return ((findType_ & kValues) && Matches(value.name)) || ((findType_ & kData) && DataMatches(value));
    }

    // True when the search is over (a hit).
    bool Visit(const SimulatedKey& key, const std::u16string& path) {
        bool valuesFromStart = false;
        if (!passed_ && EqualsNoCase(path, start_.path)) {
            passed_ = true;
            valuesFromStart = start_.isValue;
        } else if (passed_ && !path.empty() && (findType_ & kKeys) && Matches(key.name)) {
            hit_ = SearchHit{path, {}, false};
            return true;
        }
        if (passed_) {
            bool afterStart = !valuesFromStart;
            for (const SimulatedValue& value : key.values) {
                if (!afterStart) {
                    afterStart = EqualsNoCase(value.name, start_.valueName);
                    continue;
                }
                if (ValueMatches(value)) {
                    hit_ = SearchHit{path, value.name, true};
                    return true;
                }
            }
        }
        for (const auto& subkey : key.subkeys) {
            // Keys off the way to the start hold nothing after it.
            const std::u16string subpath = path.empty() ? subkey->name : path + u'\\' + subkey->name;
            if (!passed_ && !OnTheWay(subpath)) continue;
            if (Visit(*subkey, subpath)) return true;
        }
        return false;
    }

    bool OnTheWay(std::u16string_view path) const {
        const std::u16string_view start = start_.path;
        return start.size() >= path.size() && EqualsNoCase(start.substr(0, path.size()), path) &&
               (start.size() == path.size() || start[path.size()] == u'\\');
    }

    const SearchStart& start_;
    std::u16string text_;
    uint32_t findType_;
    bool passed_ = false;
    std::optional<SearchHit> hit_;
};

}  // namespace

std::optional<SearchHit> SearchAfter(const SimulatedKey& root, const SearchStart& start, std::u16string_view text,
                                     uint32_t findType) {
    if (text.empty()) return std::nullopt;
    return Search(start, text, findType).Run(root);
}

}  // namespace vantrel::remote
