// Find: the search goes from the selection to the end of its root key on the
// machine, then on through the next root keys of the tree, and the hit is
// walked to.
#include "snapins/registry/RegistrySnapIn.h"

#include "framework/FrameworkIds.h"
#include "framework/Module.h"
#include "framework/text/Base64.h"
#include "snapins/registry/RegistryDialogs.h"
#include "snapins/registry/RegistryIds.h"

namespace vantrel {

namespace wire = registry::protocol;
using registry::KeyNode;

std::vector<uint32_t> CRegistrySnapIn::RootKeysInTreeOrder() const {
    std::vector<uint32_t> roots;
    for (const auto& root : model_.Top().Children()) roots.push_back(root->RootKey());
    return roots;
}

void CRegistrySnapIn::Find(bool askFirst) {
    if (IsBusy() || searchedRoot_ || !tree_) return;
    if (askFirst || search_.text.empty()) {
        std::optional<registry::SearchOptions> options = registry::AskSearch(Window(), search_);
        if (!options) return;
        search_ = std::move(*options);
    }
    // From the selected key (the computer: the first root key), and from the
    // selected value when the list has the focus.
    const KeyNode* node = SelectedNode();
    if (!node || node->IsTop())
        node = model_.Top().Children().empty() ? nullptr : model_.Top().Children().front().get();
    if (!node) return;
    std::u16string valueName;
    bool isValue = false;
    if (listFocused_ && node == shownNode_) {
        const std::optional<int> row = list_.SelectedRow();
        if (row && static_cast<size_t>(*row) < node->Values().size()) {
            valueName = node->Values()[static_cast<size_t>(*row)].name;
            isValue = true;
        }
    }
    const registry::KeyAddress address = AddressOf(*node);
    SendFind(address.rootKey, address.path, valueName, isValue);
}

bool CRegistrySnapIn::SendFind(uint32_t rootKey, const std::u16string& path, const std::u16string& valueName,
                               bool isValue) {
    Request request(*this, wire::kFindCommand, 1);
    request.Field(wire::kKeyNode).SetLong(static_cast<int32_t>(rootKey));
    request.Field(wire::kSubkeyNode).SetString(EncodeUtf16Base64(path).c_str());
    request.Field(wire::kNameNode).SetString(EncodeUtf16Base64(valueName).c_str());
    request.Field(wire::kIsValueNode).SetBool(isValue ? 1 : 0);
    request.Field(wire::kValueNode).SetString(EncodeUtf16Base64(search_.text).c_str());
    request.Field(wire::kFindTypeNode).SetLong(static_cast<int32_t>(registry::FindTypeOf(search_)));
    if (!request.Send()) return false;
    searchedRoot_ = rootKey;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

void CRegistrySnapIn::OnFindAnswer(IHostMessage& answer, IMessageNode& root) {
    // The root key searched is the one we sent, whatever the answer's "Key" says.
    const std::optional<uint32_t> searched = std::exchange(searchedRoot_, std::nullopt);
    if (!searched) return;  // nobody asked
    if (!tree_) {
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    IMessageNode* result = root.Child(kRetValueNode);
    if (!result || result->GetLong() != wire::kSuccess) {
        EndBusy(IDS_STATUS_FAILED);
        ShowAnswerError(&answer, IDS_REG_FIND_FAILED, 0);
        return;
    }
    EndBusy(IDS_STATUS_SUCCESS);
    const auto text = [&](const char* name) {
        IMessageNode* node = root.Child(name);
        return DecodeUtf16Base64(node ? node->GetString() : nullptr);
    };
    const std::u16string path = text(wire::kSubkeyNode);
    const std::u16string valueName = text(wire::kNameNode);
    if (!registry::FoundNothing(path, valueName)) {
        IMessageNode* isValue = root.Child(wire::kIsValueNode);
        NavigateTo({*searched, path, valueName, isValue && isValue->GetBool() != 0});
        return;
    }
    if (const std::optional<uint32_t> next = registry::NextRootKey(RootKeysInTreeOrder(), *searched)) {
        SendFind(*next, {}, {}, false);
        return;
    }
    ActivationScope scope;
    MessageBoxW(Window(), LoadStringW(IDS_REG_FIND_FINISHED).c_str(), LoadStringW(IDS_REG_EDITOR_CAPTION).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

}  // namespace vantrel
