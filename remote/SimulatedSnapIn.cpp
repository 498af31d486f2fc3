#include "remote/SimulatedSnapIn.h"

#include <algorithm>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"

namespace vantrel::remote {

void CommandRegistry::Add(uint32_t snapInId, uint32_t command, int32_t failureValue, CommandFunction run)
{
    handlers_[{snapInId, command}] = CommandHandler{std::move(run), failureValue};
}

const CommandHandler* CommandRegistry::Find(uint32_t snapInId, uint32_t command) const
{
    const auto found = handlers_.find({snapInId, command});
    return found == handlers_.end() ? nullptr : &found->second;
}

void CommandRegistry::MarkPolled(uint32_t snapInId, uint32_t command)
{
    polled_.insert({snapInId, command});
}

bool CommandRegistry::IsPolled(uint32_t snapInId, uint32_t command) const
{
    return polled_.count({snapInId, command}) != 0;
}

void SetErrorText(host::Message& answer, std::u16string_view text)
{
    answer.Root().ChildNode(kErrorTextNode).SetText(EncodeUtf16Base64(text));
}

void SetFailure(host::Message& answer, int32_t retValue, std::u16string_view text)
{
    answer.Root().ChildNode(kRetValueNode).SetLong(retValue);
    if (!text.empty())
        SetErrorText(answer, text);
}

std::u16string AsciiToUtf16(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string DecimalUtf16(uint64_t value)
{
    return AsciiToUtf16(std::to_string(value));
}

std::string SpoilXml(const std::string& text)
{
    // Cut just after the opening quote of an attribute in the second half, so
    // the text ends inside a value; without attributes, inside a tag.
    const size_t middle = text.size() / 2;
    const size_t single = text.find("='", middle);
    const size_t dual = text.find("=\"", middle);
    const size_t quote = std::min(single, dual);
    if (quote != std::string::npos)
        return text.substr(0, quote + 2);
    const size_t tag = text.rfind('<');
    if (tag != std::string::npos)
        return text.substr(0, tag + 1);
    return "<" + text;
}

std::string XmlBodyText(const CXmlElement& root, const std::optional<FaultKind>& fault)
{
    CXmlOptions options;  // not the shared instance: answers are made outside the module
    std::string text = root.ToText(options);
    if (fault == FaultKind::Garbage)
        return SpoilXml(text);
    return text;
}

int32_t RequestLong(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return node ? node->AsLong() : 0;
}

int16_t RequestShort(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return node ? node->AsShort() : 0;
}

bool RequestBool(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return node && node->AsBool();
}

std::string RequestText(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return node ? node->Text() : std::string();
}

std::u16string RequestUtf16(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return node && node->HasText() ? DecodeUtf16Base64(node->Text()) : std::u16string();
}

bool ParseRequestXml(const host::Message& request, std::string_view node, CXmlElement* out)
{
    const host::MessageNode* field = request.Root().Find(node);
    if (!field || !field->HasText())
        return false;
    CXmlOptions options;
    return out->Parse(field->Text().c_str(), options) != nullptr && !options.error.failed;
}

std::optional<PagePlan> PlanPage(int64_t requestedStart, size_t total, const CommandContext& context,
                                 std::optional<size_t> pageSize)
{
    if (requestedStart < -1)
        return std::nullopt;
    PagePlan plan;
    plan.first = requestedStart < 0 ? 0 : static_cast<size_t>(std::min<uint64_t>(requestedStart, total));
    plan.end = plan.first + std::min(total - plan.first, pageSize.value_or(static_cast<size_t>(context.config.pageSize)));
    plan.startAtAttribute = static_cast<int64_t>(plan.first);
    plan.upToAttribute = static_cast<int64_t>(plan.end);
    plan.totalAttribute = static_cast<int64_t>(total);
    if (context.fault == FaultKind::StuckPage)
        plan.upToAttribute = requestedStart;
    if (context.fault == FaultKind::HugeTotal)
        plan.totalAttribute = 4294967295LL;
    return plan;
}

void SetPageAttributes(CXmlElement& root, const PagePlan& plan)
{
    root.AddAttribute(kStartAtAttribute, std::to_string(plan.startAtAttribute));
    root.AddAttribute(kUpToAttribute, std::to_string(plan.upToAttribute));
    root.AddAttribute(kTotalAttribute, std::to_string(plan.totalAttribute));
}

}  // namespace vantrel::remote
