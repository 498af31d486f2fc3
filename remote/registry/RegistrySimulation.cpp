// Registry (15004): 501 lists a key's subkeys and values a page at a time;
// 502 to 506 rename, delete, create and change keys and values of the
// machine's registry, so that the next listing shows the change.
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"

#include <algorithm>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/registry/RegistryData.h"
#include "remote/registry/RegistryExchange.h"
#include "remote/registry/RegistrySearch.h"
#include "snapins/registry/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = registry::protocol;

constexpr int kDefaultPageSize = 1000;
constexpr int32_t kBadParameter = 87;

uint64_t PositionOf(const host::Message& request, const char* high, const char* low)
{
    return (uint64_t{static_cast<uint32_t>(RequestLong(request, high))} << 32) | static_cast<uint32_t>(RequestLong(request, low));
}

void SetPosition(host::Message& answer, const char* high, const char* low, uint64_t value)
{
    answer.Root().ChildNode(high).SetLong(static_cast<int32_t>(value >> 32));
    answer.Root().ChildNode(low).SetLong(static_cast<int32_t>(value & 0xFFFFFFFFu));
}

void SetText(host::Message& answer, const char* name, std::u16string_view text)
{
    answer.Root().ChildNode(name).SetText(EncodeUtf16Base64(text));
}

void Succeed(host::Message& answer) { answer.Root().ChildNode(kRetValueNode).SetLong(wire::kSuccess); }

void Refuse(host::Message& answer, const RegistryError& error) { SetFailure(answer, error.code, error.text); }

// Element names as the machine spells them, for entries of a page.
void WriteKey(CXmlElement& element, const SimulatedKey& key, std::optional<uint32_t> rootNumber)
{
    element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(key.name));
    element.AddAttribute(wire::kAttrHasChildren, key.subkeys.empty() ? "0" : "1");
    if (rootNumber) element.AddAttribute(wire::kAttrKey, std::to_string(*rootNumber));
}

void WriteValue(CXmlElement& element, const SimulatedValue& value, bool hostile)
{
    element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(value.name));
    element.AddAttribute(wire::kAttrType, std::to_string(value.type));
    // A hostile page declares sizes far from the data it carries.
    element.AddAttribute(wire::kAttrValSize, hostile ? "4294967295" : std::to_string(value.data.size()));
    element.AddAttribute(wire::kAttrValue, Base64Encode(value.data.data(), value.data.size()));
}

class RegistrySimulation final : public SimulatedSnapIn {
public:
    explicit RegistrySimulation(const MachineConfig& config)
        : config_(config), pageSize_(std::clamp(config.registry.pageSize.value_or(kDefaultPageSize), 2, 100000))
    {
    }

    void Register(CommandRegistry& registry) override
    {
        const auto add = [&](uint32_t command, void (RegistrySimulation::*answer)(CommandContext&)) {
            registry.Add(static_cast<uint32_t>(wire::kSnapInId), command, kBadParameter,
                         [this, answer](CommandContext& context) { (this->*answer)(context); });
        };
        add(wire::kListCommand, &RegistrySimulation::AnswerList);
        add(wire::kRenameCommand, &RegistrySimulation::AnswerRename);
        add(wire::kDeleteCommand, &RegistrySimulation::AnswerDelete);
        add(wire::kCreateKeyCommand, &RegistrySimulation::AnswerCreateKey);
        add(wire::kCreateValueCommand, &RegistrySimulation::AnswerCreateValue);
        add(wire::kSetValueCommand, &RegistrySimulation::AnswerSetValue);
        add(wire::kFindCommand, &RegistrySimulation::AnswerFind);
        add(wire::kImportCommand, &RegistrySimulation::AnswerImport);
        add(wire::kExportCommand, &RegistrySimulation::AnswerExport);
    }

private:
    // Made on the first request: every machine of every tool's tests would
    // otherwise pay for a registry it never lists.
    SimulatedRegistry& Registry()
    {
        if (!registry_) registry_ = std::make_unique<SimulatedRegistry>(config_);
        return *registry_;
    }

    void AnswerList(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kItemsNode, &request)) {
            SetFailure(context.answer, kBadParameter, u"The parameter is incorrect.");
            return;
        }
        const uint32_t rootKey = ReadUInt32(request, wire::kAttrKey);
        const std::u16string path = ReadText(request, wire::kAttrSubKey);
        const int64_t startAt = ReadInt64(request, kStartAtAttribute);
        CXmlElement root(wire::kKeyElement);
        root.AddAttribute(wire::kAttrKey, std::to_string(rootKey));
        root.AddAttribute(wire::kAttrSubKey, EncodeUtf16Base64(path));
        if (rootKey == 0) {
            WritePage(context, root, startAt, Registry().Roots().size(), [&](CXmlElement& page, size_t i) {
                const RootKey& entry = Registry().Roots()[i];
                WriteKey(*page.AddChild(wire::kKeyElement), *entry.key, entry.number);
            });
            return;
        }
        const SimulatedKey* key = Registry().Find(rootKey, path);
        if (!key) return Refuse(context.answer, NotFoundError());
        if (key->listing == SimulatedKey::Listing::Denied) return Refuse(context.answer, AccessDeniedError());
        if (key->listing == SimulatedKey::Listing::Canceled) return Refuse(context.answer, CanceledError());
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        WritePage(context, root, startAt, key->subkeys.size() + key->values.size(), [&](CXmlElement& page, size_t i) {
            if (i < key->subkeys.size())
                WriteKey(*page.AddChild(wire::kKeyElement), *key->subkeys[i], std::nullopt);
            else
                WriteValue(*page.AddChild(wire::kValueElement), key->values[i - key->subkeys.size()], hostile);
        });
    }

    // Entries [StartAt, StartAt + page size) of `total`; "UpTo" is the index
    // of the last one sent, the next page starts after it.
    template <typename Write>
    void WritePage(CommandContext& context, CXmlElement& root, int64_t startAt, size_t total, Write write)
    {
        const size_t first = startAt == wire::kFirstPage || startAt < 0
                                 ? 0
                                 : static_cast<size_t>(std::min<int64_t>(startAt, static_cast<int64_t>(total)));
        const size_t end = first + std::min(total - first, static_cast<size_t>(pageSize_));
        for (size_t i = first; i < end; ++i) write(root, i);
        int64_t upTo = static_cast<int64_t>(end) - 1;
        int64_t announced = static_cast<int64_t>(total);
        if (context.fault == FaultKind::StuckPage) upTo = startAt == wire::kFirstPage ? -1 : startAt;
        if (context.fault == FaultKind::HugeTotal) announced = 4294967295LL;
        root.AddAttribute(kStartAtAttribute, std::to_string(first));
        root.AddAttribute(kUpToAttribute, std::to_string(upTo));
        root.AddAttribute(kTotalAttribute, std::to_string(announced));
        Succeed(context.answer);
        context.answer.Root().ChildNode(wire::kItemsNode).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerRename(CommandContext& context)
    {
        const host::Message& request = context.request;
        const std::u16string path = RequestUtf16(request, wire::kSubkeyNode);
        const std::u16string name = RequestUtf16(request, wire::kNameNode);
        const std::u16string newName = RequestUtf16(request, wire::kNewNameNode);
        const bool isValue = RequestBool(request, wire::kIsValueNode);
        if (auto error = Registry().Rename(static_cast<uint32_t>(RequestLong(request, wire::kKeyNode)), path, isValue, name,
                                          newName))
            return Refuse(context.answer, *error);
        Succeed(context.answer);
        SetText(context.answer, wire::kSubkeyNode, path);
        SetText(context.answer, wire::kNameNode, name);
        SetText(context.answer, wire::kNewNameNode, newName);
        context.answer.Root().ChildNode(wire::kIsValueNode).SetBool(isValue ? 1 : 0);
    }

    void AnswerDelete(CommandContext& context)
    {
        const host::Message& request = context.request;
        const std::u16string path = RequestUtf16(request, wire::kSubkeyNode);
        const std::u16string name = RequestUtf16(request, wire::kNameNode);
        const bool isValue = RequestBool(request, wire::kIsValueNode);
        if (auto error = Registry().Delete(static_cast<uint32_t>(RequestLong(request, wire::kKeyNode)), path, isValue, name))
            return Refuse(context.answer, *error);
        Succeed(context.answer);
        SetText(context.answer, wire::kSubkeyNode, path);
        SetText(context.answer, wire::kNameNode, name);
        context.answer.Root().ChildNode(wire::kIsValueNode).SetBool(isValue ? 1 : 0);
    }

    void AnswerCreateKey(CommandContext& context)
    {
        const host::Message& request = context.request;
        const std::u16string path = RequestUtf16(request, wire::kSubkeyNode);
        std::u16string created;
        if (auto error = Registry().CreateKey(static_cast<uint32_t>(RequestLong(request, wire::kKeyNode)), path,
                                             RequestUtf16(request, wire::kNameNode), &created))
            return Refuse(context.answer, *error);
        Succeed(context.answer);
        SetText(context.answer, wire::kNameNode, created);
        SetText(context.answer, wire::kSubkeyNode, path);
    }

    void AnswerCreateValue(CommandContext& context)
    {
        const host::Message& request = context.request;
        const std::u16string path = RequestUtf16(request, wire::kSubkeyNode);
        const uint32_t type = static_cast<uint32_t>(RequestLong(request, wire::kValTypeNode));
        const host::MessageNode* valueNode = request.Root().Find(wire::kValueNode);
        std::vector<uint8_t> data = valueNode && valueNode->HasText() ? Base64Decode(valueNode->Text()) : std::vector<uint8_t>();
        std::u16string created;
        if (auto error = Registry().CreateValue(static_cast<uint32_t>(RequestLong(request, wire::kKeyNode)), path,
                                               RequestUtf16(request, wire::kNameNode), type, data, &created))
            return Refuse(context.answer, *error);
        Succeed(context.answer);
        SetText(context.answer, wire::kNameNode, created);
        SetText(context.answer, wire::kSubkeyNode, path);
        context.answer.Root().ChildNode(wire::kValTypeNode).SetLong(static_cast<int32_t>(type));
        context.answer.Root().ChildNode(wire::kValSizeNode).SetLong(static_cast<int32_t>(data.size()));
        context.answer.Root().ChildNode(wire::kValueNode).SetText(Base64Encode(data.data(), data.size()));
    }

    void AnswerSetValue(CommandContext& context)
    {
        const host::Message& request = context.request;
        const std::u16string path = RequestUtf16(request, wire::kSubkeyNode);
        const std::u16string name = RequestUtf16(request, wire::kNameNode);
        const host::MessageNode* valueNode = request.Root().Find(wire::kValueNode);
        std::vector<uint8_t> data = valueNode && valueNode->HasText() ? Base64Decode(valueNode->Text()) : std::vector<uint8_t>();
        if (auto error = Registry().SetValue(static_cast<uint32_t>(RequestLong(request, wire::kKeyNode)), path, name,
                                            static_cast<uint32_t>(RequestLong(request, wire::kValTypeNode)), std::move(data)))
            return Refuse(context.answer, *error);
        Succeed(context.answer);
        SetText(context.answer, wire::kNameNode, name);
        SetText(context.answer, wire::kSubkeyNode, path);
    }

    // The next match below the root key after the start; empty key path and
    // name when there is none.
    void AnswerFind(CommandContext& context)
    {
        const host::Message& request = context.request;
        const uint32_t rootKey = static_cast<uint32_t>(RequestLong(request, wire::kKeyNode));
        const SearchStart start{RequestUtf16(request, wire::kSubkeyNode), RequestUtf16(request, wire::kNameNode),
                                RequestBool(request, wire::kIsValueNode)};
        const SimulatedKey* root = Registry().Find(rootKey, u"");
        if (!root || !Registry().Find(rootKey, start.path)) return Refuse(context.answer, NotFoundError());
        const std::optional<SearchHit> hit = SearchAfter(*root, start, RequestUtf16(request, wire::kValueNode),
                                                         static_cast<uint32_t>(RequestLong(request, wire::kFindTypeNode)));
        Succeed(context.answer);
        context.answer.Root().ChildNode(wire::kKeyNode).SetLong(static_cast<int32_t>(rootKey));
        SetText(context.answer, wire::kSubkeyNode, hit ? hit->path : u"");
        SetText(context.answer, wire::kNameNode, hit ? hit->valueName : u"");
        context.answer.Root().ChildNode(wire::kIsValueNode).SetBool(hit && hit->isValue ? 1 : 0);
    }

    // 509: the file of the key is made when a console asks for its first
    // chunk and handed out from there a chunk at a time.
    void AnswerExport(CommandContext& context)
    {
        const host::Message& request = context.request;
        const uint32_t rootKey = static_cast<uint32_t>(RequestLong(request, wire::kKeyNode));
        const std::u16string path = RequestUtf16(request, wire::kSubkeyNode);
        const uint64_t start = PositionOf(request, wire::kStartAtHighNode, wire::kStartAtLowNode);
        if (start == 0 || !exported_ || exported_->rootKey != rootKey || exported_->path != path) {
            ExportedFile file = ExportRegistrationFile(Registry(), rootKey, path);
            if (file.error) return Refuse(context.answer, *file.error);
            exported_ = Export{rootKey, path, std::move(file.bytes)};
        }
        const std::vector<uint8_t>& bytes = exported_->bytes;
        if (start > bytes.size()) return Refuse(context.answer, {kBadParameter, u"The parameter is incorrect."});
        const size_t chunk = static_cast<size_t>(std::clamp(config_.registry.exportChunkSize, 1, 64 << 20));
        const size_t length = std::min<size_t>(chunk, bytes.size() - static_cast<size_t>(start));
        Succeed(context.answer);
        SetPosition(context.answer, wire::kStartAtHighNode, wire::kStartAtLowNode, start);
        SetPosition(context.answer, wire::kUpToHighNode, wire::kUpToLowNode, start + length);
        SetPosition(context.answer, wire::kFileSizeHighNode, wire::kFileSizeLowNode, bytes.size());
        context.answer.Root().ChildNode(wire::kPackageNode).SetText(Base64Encode(bytes.data() + start, length));
        if (start + length == bytes.size()) exported_.reset();
    }

    // 508: chunks are gathered in order; the whole file is applied at once.
    void AnswerImport(CommandContext& context)
    {
        const host::Message& request = context.request;
        const uint64_t start = PositionOf(request, wire::kStartAtHighNode, wire::kStartAtLowNode);
        const uint64_t upTo = PositionOf(request, wire::kUpToHighNode, wire::kUpToLowNode);
        const uint64_t size = PositionOf(request, wire::kFileSizeHighNode, wire::kFileSizeLowNode);
        const host::MessageNode* package = request.Root().Find(wire::kPackageNode);
        const std::vector<uint8_t> chunk = package && package->HasText() ? Base64Decode(package->Text()) : std::vector<uint8_t>();
        if (start == 0) importing_.clear();
        if (start != importing_.size() || upTo != start + chunk.size() || upTo > size || size > kMaxImport) {
            importing_.clear();
            return Refuse(context.answer, {kBadParameter, u"The parameter is incorrect."});
        }
        importing_.insert(importing_.end(), chunk.begin(), chunk.end());
        if (upTo == size) {
            const std::vector<uint8_t> file = std::move(importing_);
            importing_.clear();
            if (auto error = ImportRegistrationFile(Registry(), file)) return Refuse(context.answer, *error);
        }
        Succeed(context.answer);
        SetPosition(context.answer, wire::kUpToHighNode, wire::kUpToLowNode, upTo);
        SetPosition(context.answer, wire::kFileSizeHighNode, wire::kFileSizeLowNode, size);
    }

    struct Export {
        uint32_t rootKey;
        std::u16string path;
        std::vector<uint8_t> bytes;
    };
    static constexpr uint64_t kMaxImport = 1ull << 31;

    MachineConfig config_;
    std::optional<Export> exported_;
    std::vector<uint8_t> importing_;
    std::unique_ptr<SimulatedRegistry> registry_;
    int pageSize_;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeRegistrySimulation(const MachineConfig& config)
{
    return std::make_unique<RegistrySimulation>(config);
}

}  // namespace vantrel::remote
