#include "snapins/eventviewer/model/Categories.h"

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::eventviewer {

bool CategoryTable::Add(std::u16string_view source, uint32_t number, std::u16string_view name)
{
    if (Full())
        return false;
    std::u16string key(source);
    auto [found, added] = sourceIndex_.try_emplace(key, sources_.size());
    if (added)
        sources_.push_back({std::move(key), {}});
    sources_[found->second].categories.emplace_back(number, std::u16string(name));
    ++count_;
    return true;
}

const std::u16string* CategoryTable::Find(std::u16string_view source, uint32_t number) const
{
    const auto found = sourceIndex_.find(source);
    if (found == sourceIndex_.end())
        return nullptr;
    for (const auto& [category, name] : sources_[found->second].categories) {
        if (category == number)
            return &name;
    }
    return nullptr;
}

void CategoryTable::Clear()
{
    sources_.clear();
    sourceIndex_.clear();
    count_ = 0;
}

CategoryPage MergeCategoryPage(const CXmlElement& root, CategoryTable& table)
{
    CategoryPage page;
    page.position = {ReadUInt32(root, protocol::kAttrCategoryIndex), ReadUInt32(root, protocol::kAttrSubCategoryIndex)};
    page.last = ReadInt64(root, protocol::kAttrTotal) != 0;
    for (int s = 0; s < root.GetChildCount(); ++s) {
        const CXmlElement& source = *root.GetChild(s);
        const std::u16string sourceName = ReadText(source, protocol::kAttrSourceName);
        if (sourceName.empty())
            continue;
        for (int c = 0; c < source.GetChildCount(); ++c) {
            const CXmlElement& category = *source.GetChild(c);
            uint32_t number = 0;
            if (!category.GetAttributeUInt32(protocol::kAttrCategoryNumber, &number))
                continue;
            if (!table.Add(sourceName, number, ReadText(category, protocol::kAttrCategoryName)))
                return page;
            ++page.merged;
        }
    }
    return page;
}

CategoryStep NextCategoryPage(CategoryPosition sent, const CategoryPage& page, const CategoryTable& table)
{
    if (page.last || table.Full())
        return CategoryStep::Done;
    const bool advanced = page.position.category > sent.category ||
                          (page.position.category == sent.category && page.position.subCategory > sent.subCategory);
    return advanced ? CategoryStep::Continue : CategoryStep::Failed;
}

}  // namespace vantrel::eventviewer
