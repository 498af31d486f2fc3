// Import and export of registration files: the bytes move unchanged, a chunk
// at a time, between a file on the console's disk and the managed machine,
// which reads and writes the registry. One transfer runs at a time.
//
// The machine is not trusted with the console's disk: an export is written
// only to the file the user chose, only chunk after chunk in order, through a
// temporary file that replaces the target when the last chunk has come. An
// import keeps its own offset and size and asks the machine only to confirm
// each chunk.
#include "snapins/registry/RegistrySnapIn.h"

#include "framework/FileDialogs.h"
#include "framework/FrameworkIds.h"
#include "framework/Module.h"
#include "framework/QuorvException.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "snapins/registry/RegistryIds.h"

namespace vantrel {

namespace wire = registry::protocol;

namespace {

FileDialogOptions RegistrationFileOptions(UINT titleId) {
    FileDialogOptions options;
    options.title = LoadStringW(titleId);
    options.filter = LoadStringW(IDS_REG_FILE_FILTER) + L"|*.reg|" + LoadStringW(IDS_REG_ALL_FILES) + L"|*.*|";
    options.defaultExtension = LoadStringW(IDS_REG_DEFAULT_EXTENSION);
    return options;
}

void SetPosition(CSnapInBase::Request& request, const char* high, const char* low, uint64_t value) {
    request.Field(high).SetLong(static_cast<int32_t>(HighHalf(value)));
    request.Field(low).SetLong(static_cast<int32_t>(LowHalf(value)));
}

uint64_t Position(IMessageNode& root, const char* high, const char* low) {
    IMessageNode* highNode = root.Child(high);
    IMessageNode* lowNode = root.Child(low);
    return JoinHalves(highNode ? static_cast<uint32_t>(highNode->GetLong()) : 0,
                      lowNode ? static_cast<uint32_t>(lowNode->GetLong()) : 0);
}

bool Succeeded(IMessageNode& root) {
    IMessageNode* result = root.Child(kRetValueNode);
    return result && result->GetLong() == wire::kSuccess;
}

}  // namespace

// ---- import --------------------------------------------------------------------------------

void CRegistrySnapIn::ImportFile() {
    if (IsBusy() || TransferRunning() || !registry::EnabledCommands(CurrentSelection()).import) return;
    const std::optional<std::wstring> path = AskOpenFileName(Window(), RegistrationFileOptions(IDS_REG_IMPORT_TITLE));
    // The dialog's loop may have run answers or closed the window.
    if (!path || !tree_ || IsBusy() || TransferRunning()) return;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    try {
        import_.Open(*path, wire::kImportChunk, wire::kMaxTransferSize);
        // An empty file imports nothing and would never be confirmed.
        if (import_.Chunks().FileSize() == 0) throw CQuorvException(ERROR_FILE_CORRUPT, *path + L": ");
        if (!SendImportChunk()) EndTransfer(IDS_STATUS_FAILED);
    } catch (const CQuorvException& error) {
        FailTransfer(error.Message());
    }
}

bool CRegistrySnapIn::SendImportChunk() {
    const uint64_t start = import_.Chunks().Sent();
    const std::span<const uint8_t> chunk = import_.ReadNext();
    Request request(*this, wire::kImportCommand, 1);
    SetPosition(request, wire::kStartAtHighNode, wire::kStartAtLowNode, start);
    SetPosition(request, wire::kUpToHighNode, wire::kUpToLowNode, import_.Chunks().Sent());
    SetPosition(request, wire::kFileSizeHighNode, wire::kFileSizeLowNode, import_.Chunks().FileSize());
    request.Field(wire::kPackageNode).SetString(Base64Encode(chunk.data(), chunk.size()).c_str());
    return request.Send();
}

void CRegistrySnapIn::OnImportAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!import_.Active()) return;  // no import of ours runs
    if (!tree_) return EndTransfer(IDS_STATUS_CANCELED);
    if (!Succeeded(root)) return FailTransfer(answer, IDS_REG_IMPORT_FAILED);
    try {
        // Our own offset decides: the answer only confirms the chunk sent.
        switch (import_.Chunks().Confirm(static_cast<int64_t>(Position(root, wire::kUpToHighNode, wire::kUpToLowNode)))) {
        case ChunkStep::Rejected:
            return FailTransfer(FormatMessageString(LoadStringW(IDS_REG_IMPORT_FAILED), LoadStringW(IDS_UNREADABLE_ANSWER)));
        case ChunkStep::More:
            if (!SendImportChunk()) EndTransfer(IDS_STATUS_FAILED);
            return;
        case ChunkStep::Last:
            return EndTransfer(IDS_STATUS_SUCCESS);
        }
    } catch (const CQuorvException& error) {
        FailTransfer(error.Message());
    }
}

// ---- export --------------------------------------------------------------------------------

void CRegistrySnapIn::ExportKey() {
    if (IsBusy() || TransferRunning() || !registry::EnabledCommands(CurrentSelection()).exportKey) return;
    const registry::KeyNode* node = SelectedNode();
    if (!node || node->IsTop()) return;
    const registry::KeyAddress address = AddressOf(*node);
    const std::optional<std::wstring> path = AskSaveFileName(Window(), RegistrationFileOptions(IDS_REG_EXPORT_TITLE));
    if (!path || !tree_ || IsBusy() || TransferRunning()) return;
    if (!export_.Begin(*path, wire::kMaxTransferSize)) {
        ShowErrorW(CQuorvException(export_.LastError(), *path + L": ").Message().c_str(), 0);
        return;
    }
    exported_ = address;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    if (!SendExportChunk()) EndTransfer(IDS_STATUS_FAILED);
}

bool CRegistrySnapIn::SendExportChunk() {
    Request request(*this, wire::kExportCommand, 1);
    request.Field(wire::kKeyNode).SetLong(static_cast<int32_t>(exported_.rootKey));
    request.Field(wire::kSubkeyNode).SetString(EncodeUtf16Base64(exported_.path).c_str());
    SetPosition(request, wire::kStartAtHighNode, wire::kStartAtLowNode, export_.NextStart());
    return request.Send();
}

void CRegistrySnapIn::OnExportAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!export_.Active()) return;  // no export of ours runs: nothing is written
    if (!tree_) return EndTransfer(IDS_STATUS_CANCELED);
    if (!Succeeded(root)) return FailTransfer(answer, IDS_REG_EXPORT_FAILED);
    IMessageNode* package = root.Child(wire::kPackageNode);
    const char* text = package ? package->GetString() : nullptr;
    const ChunkHeader header{
        static_cast<int64_t>(Position(root, wire::kStartAtHighNode, wire::kStartAtLowNode)),
        static_cast<int64_t>(Position(root, wire::kUpToHighNode, wire::kUpToLowNode)),
        static_cast<int64_t>(Position(root, wire::kFileSizeHighNode, wire::kFileSizeLowNode)), 0};
    const std::wstring target = export_.Target();
    switch (export_.WriteBase64(header, text ? std::string_view(text) : std::string_view())) {
    case ChunkStep::Rejected:
        if (export_.Refused())
            return FailTransfer(FormatMessageString(LoadStringW(IDS_REG_EXPORT_FAILED), LoadStringW(IDS_UNREADABLE_ANSWER)));
        return FailTransfer(CQuorvException(export_.LastError(), target + L": ").Message());
    case ChunkStep::More:
        if (!SendExportChunk()) EndTransfer(IDS_STATUS_FAILED);
        return;
    case ChunkStep::Last:
        if (!export_.Commit()) return FailTransfer(CQuorvException(export_.LastError(), target + L": ").Message());
        return EndTransfer(IDS_STATUS_SUCCESS);
    }
}

// ---- both ----------------------------------------------------------------------------------

bool CRegistrySnapIn::TransferRunning() const { return import_.Active() || export_.Active(); }

void CRegistrySnapIn::EndTransfer(UINT statusId) {
    import_.Close();
    export_.Abandon();  // a completed export was renamed already: nothing left to delete
    EndBusy(statusId);
}

void CRegistrySnapIn::FailTransfer(IHostMessage& answer, UINT messageId) {
    EndTransfer(IDS_STATUS_FAILED);
    if (tree_) ShowAnswerError(&answer, messageId, 0);
}

void CRegistrySnapIn::FailTransfer(const std::wstring& message) {
    EndTransfer(IDS_STATUS_FAILED);
    if (tree_ && !message.empty()) ShowErrorW(message.c_str(), 0);
}

}  // namespace vantrel
