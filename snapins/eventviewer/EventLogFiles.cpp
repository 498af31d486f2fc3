#include "snapins/eventviewer/EventLogFiles.h"

#include "framework/Module.h"
#include "framework/QuorvException.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/EventViewerSnapIn.h"
#include "snapins/eventviewer/model/Protocol.h"

#include <cwchar>

namespace vantrel {
namespace {

namespace protocol = eventviewer::protocol;

// What the Save and Open dialogs ask.
struct FileChoice {
    bool host = false;
    std::wstring path;
    int logType = 0;  // Open: 0 unspecified, then Application, Security, System
    bool withLogType = false;
    UINT helpId = 0;
};

constexpr int kMaxPathLength = 32767;

INT_PTR CALLBACK FileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto choice = reinterpret_cast<FileChoice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        choice = reinterpret_cast<FileChoice*>(lParam);
        SetWindowContextHelpId(dialog, choice->helpId);
        CheckRadioButton(dialog, IDC_ELS_GUEST, IDC_ELS_HOST, IDC_ELS_GUEST);
        ::SendDlgItemMessageW(dialog, IDC_ELS_PATH, EM_LIMITTEXT, kMaxPathLength, 0);
        if (choice->withLogType) {
            HWND combo = GetDlgItem(dialog, IDC_ELS_LOG_TYPE);
            for (UINT text : {IDS_ELS_UNSPECIFIED, IDS_ELS_APPLICATION, IDS_ELS_SECURITY, IDS_ELS_SYSTEM})
                ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadStringW(text).c_str()));
            ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (!choice) return FALSE;
        if (LOWORD(wParam) == IDOK) {
            choice->host = IsDlgButtonChecked(dialog, IDC_ELS_HOST) == BST_CHECKED;
            const int length = GetWindowTextLengthW(GetDlgItem(dialog, IDC_ELS_PATH));
            std::wstring path(static_cast<size_t>(length) + 1, L'\0');
            GetDlgItemTextW(dialog, IDC_ELS_PATH, path.data(), length + 1);
            path.resize(wcslen(path.c_str()));
            choice->path = path;
            if (choice->withLogType)
                choice->logType = static_cast<int>(::SendDlgItemMessageW(dialog, IDC_ELS_LOG_TYPE, CB_GETCURSEL, 0, 0));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        return TRUE;  // the help id is set; the tool has no help file to open
    default:
        return FALSE;
    }
}

// The dialog's choice; nothing for Cancel or an empty path.
std::optional<FileChoice> AskForFile(HWND owner, UINT templateId, UINT helpId, bool withLogType) {
    FileChoice choice;
    choice.withLogType = withLogType;
    choice.helpId = helpId;
    ActivationScope scope;
    const INT_PTR result = DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId), owner, &FileDialogProc,
                                           reinterpret_cast<LPARAM>(&choice));
    if (result != IDOK || choice.path.empty()) return std::nullopt;
    return choice;
}

// %TEMP% and the like replaced, as the console's user has them.
std::wstring Expanded(const std::wstring& path) {
    const DWORD needed = ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (needed == 0 || needed > kMaxPathLength) return path;
    std::wstring expanded(needed, L'\0');
    if (ExpandEnvironmentStringsW(path.c_str(), expanded.data(), needed) == 0) return path;
    expanded.resize(wcslen(expanded.c_str()));
    return expanded;
}

std::string NodeText(IMessageNode& root, const char* name) {
    const char* text = root.Child(name)->GetString();
    return text ? text : "";
}

// Offsets travel as 32-bit numbers; read them unsigned.
int64_t Offset(IMessageNode& root, const char* name) { return static_cast<uint32_t>(root.Child(name)->GetLong()); }

}  // namespace

// ---- Save ------------------------------------------------------------------------------

void CEventLogFiles::Save() {
    if (owner_.IsBusy() || !owner_.CanSave()) return;
    StartSave(std::nullopt);
}

bool CEventLogFiles::StartSave(std::optional<int> clearAfter) {
    const int log = owner_.ShownLog();
    const std::optional<FileChoice> choice = AskForFile(owner_.GetWindow(), IDD_ELS_SAVE, IDH_ELS_SAVE, false);
    // The dialog was modal: the window or another request may have come meanwhile.
    if (!choice || !owner_.GetWindow() || owner_.IsBusy() || save_) return false;
    SaveJob job;
    job.log = log;
    job.toHost = choice->host;
    job.clearAfter = clearAfter;
    const std::wstring path = choice->host ? Expanded(choice->path) : choice->path;
    job.sentTo = WideToAnsi(path);
    if (job.toHost && !download_.Begin(path)) {
        owner_.ShowErrorW(FormatMessageString(LoadStringW(IDS_ELS_COPY_FAILED), path).c_str(), 0);
        return false;
    }
    owner_.BeginBusy(IDS_ELS_COPYING);
    save_ = job;
    if (log == protocol::kFileLog) {
        // The file is on the managed machine already: copy it from there.
        save_->remoteFrom = owner_.OpenFile();
        save_->eventType = protocol::kFileLog;
        if (!SendCopy()) FailSave(nullptr, false);
        return true;
    }
    save_->eventType = static_cast<int16_t>(log);
    CSnapInBase::Request request(owner_, protocol::kSaveCommand, 1);
    request.Field(protocol::kEventTypeNode).SetShort(static_cast<int16_t>(log));
    request.Field(protocol::kFileNameToNode).SetString(job.sentTo.c_str());
    request.Field(protocol::kRetentionNode).SetShort(job.toHost ? 1 : 0);
    if (!request.Send()) FailSave(nullptr, false);
    return true;
}

void CEventLogFiles::OnSaveAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!save_ || !save_->remoteFrom.empty()) return;  // no save waits for a 305
    if (root.Child(kRetValueNode)->GetShort() != protocol::kSuccess) return FailSave(&answer, false);
    if (!save_->toHost) return FinishSave();
    // Only the machine knows where it wrote the log; where it goes here is ours.
    save_->remoteFrom = NodeText(root, protocol::kFileNameFromNode);
    if (save_->remoteFrom.empty() || !SendCopy()) FailSave(nullptr, false);
}

bool CEventLogFiles::SendCopy() {
    CSnapInBase::Request request(owner_, protocol::kCopyCommand, 1);
    request.Field(protocol::kPackageStartNode).SetLong(static_cast<int32_t>(save_->toHost ? download_.NextStart() : 0));
    request.Field(protocol::kFileNameFromNode).SetString(save_->remoteFrom.c_str());
    request.Field(protocol::kFileNameToNode).SetString(save_->sentTo.c_str());
    request.Field(protocol::kEventTypeNode).SetShort(save_->eventType);
    request.Field(protocol::kRetentionNode).SetShort(save_->toHost ? 1 : 0);
    return request.Send();
}

void CEventLogFiles::OnCopyAnswer(IHostMessage& answer, IMessageNode& root) {
    // An answer nobody asked for writes nothing.
    if (!save_ || save_->remoteFrom.empty()) return;
    if (root.Child(kRetValueNode)->GetShort() != protocol::kSuccess) return FailSave(&answer, false);
    // Kept on the managed machine: it copied the file there itself.
    if (!save_->toHost) return FinishSave();
    const char* package = root.Child(protocol::kPackageNode)->GetString();
    const ChunkHeader header{Offset(root, protocol::kPackageStartNode), Offset(root, protocol::kPackageUpToNode),
                             Offset(root, protocol::kFileSizeNode), 0};
    switch (download_.WriteBase64(header, package ? std::string_view(package) : std::string_view())) {
    case ChunkStep::Rejected:
        return FailSave(nullptr, true);
    case ChunkStep::More:
        if (!SendCopy()) FailSave(nullptr, false);
        return;
    case ChunkStep::Last:
        if (!download_.Commit()) return FailSave(nullptr, true);
        return FinishSave();
    }
}

void CEventLogFiles::FinishSave() {
    const SaveJob job = *save_;
    save_.reset();
    owner_.EndBusy(IDS_STATUS_SUCCESS);
    if (job.toHost && job.eventType != protocol::kFileLog) {
        // The machine's copy was only for us.
        CSnapInBase::Request request(owner_, protocol::kDiscardCommand, 1);
        request.Field(protocol::kFileNameNode).SetString(job.remoteFrom.c_str());
        request.Send();
    }
    if (job.clearAfter) SendClear(*job.clearAfter);
}

void CEventLogFiles::FailSave(IHostMessage* answer, bool localFile) {
    const std::wstring target = download_.Target();
    download_.Abandon();
    save_.reset();  // and with it the Clear that waited for it
    owner_.EndBusy(IDS_STATUS_FAILED);
    if (!owner_.GetWindow()) return;
    if (answer)
        owner_.ShowAnswerError(answer, 0, 0);
    else if (localFile)
        owner_.ShowErrorW(FormatMessageString(LoadStringW(IDS_ELS_COPY_FAILED), target).c_str(), 0);
}

void CEventLogFiles::Abandon() {
    download_.Abandon();
    upload_.Close();
    save_.reset();
}

// ---- Clear -------------------------------------------------------------------------------

void CEventLogFiles::Clear() {
    const int log = owner_.ShownLog();
    if (owner_.IsBusy() || log == protocol::kFileLog) return;
    static const UINT kNames[] = {IDS_ELS_APPLICATION, IDS_ELS_SECURITY, IDS_ELS_SYSTEM};
    const std::wstring question = ReplaceFirst(LoadStringW(IDS_ELS_SAVE_BEFORE_CLEAR), L"%s", LoadStringW(kNames[log]));
    const std::wstring caption = LoadStringW(IDS_SNAPIN_EVENTVIEWER);
    ActivationScope scope;
    const int answer = MessageBoxW(owner_.GetWindow(), question.c_str(), caption.c_str(),
                                   MB_YESNOCANCEL | MB_HELP | MB_ICONQUESTION);
    if (!owner_.GetWindow() || owner_.IsBusy() || owner_.ShownLog() != log) return;
    if (answer == IDYES)
        StartSave(log);  // clears once the save has succeeded
    else if (answer == IDNO)
        SendClear(log);
}

void CEventLogFiles::SendClear(int log) {
    CSnapInBase::Request request(owner_, protocol::kClearCommand, 1);
    request.Field(protocol::kEventTypeNode).SetShort(static_cast<int16_t>(log));
    if (!request.Send()) return;
    clearing_ = log;
    owner_.BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CEventLogFiles::OnClearAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!clearing_) return;
    const int log = *clearing_;
    clearing_.reset();
    if (root.Child(kRetValueNode)->GetShort() != protocol::kSuccess) {
        owner_.EndBusy(IDS_STATUS_FAILED);
        if (owner_.GetWindow()) owner_.ShowAnswerError(&answer, 0, 0);
        return;
    }
    owner_.Reload(log, /*reread=*/true);
    owner_.EndBusy(IDS_STATUS_SUCCESS);
}

// ---- Open --------------------------------------------------------------------------------

void CEventLogFiles::Open() {
    if (owner_.IsBusy()) return;
    const std::optional<FileChoice> choice = AskForFile(owner_.GetWindow(), IDD_ELS_OPEN, IDH_ELS_OPEN, true);
    if (!choice || !owner_.GetWindow() || owner_.IsBusy()) return;
    const int logType = choice->logType > 0 ? choice->logType - 1 : protocol::kApplicationLog;
    owner_.PrepareFileLog(logType);
    if (!choice->host) {
        owner_.LoadFileLog(WideToAnsi(choice->path));
    } else {
        const std::wstring path = Expanded(choice->path);
        owner_.BeginBusy(IDS_ELS_COPYING);
        try {
            upload_.Open(path, protocol::kUploadChunk);
            if (!SendNextChunk()) FailUpload(L"");
        } catch (const CQuorvException& error) {
            FailUpload(error.Message());
        }
    }
    owner_.ShowFileTab();
}

bool CEventLogFiles::SendNextChunk() {
    const uint64_t start = upload_.Chunks().Sent();
    const std::span<const uint8_t> chunk = upload_.ReadNext();
    CSnapInBase::Request request(owner_, protocol::kUploadCommand, 1);
    request.Field(protocol::kPackageNode).SetString(Base64Encode(chunk.data(), chunk.size()).c_str());
    request.Field(protocol::kPackageUpToNode).SetLong(static_cast<int32_t>(upload_.Chunks().Sent()));
    request.Field(protocol::kPackageStartNode).SetLong(static_cast<int32_t>(start));
    request.Field(protocol::kFileSizeNode).SetLong(static_cast<int32_t>(upload_.Chunks().FileSize()));
    return request.Send();
}

void CEventLogFiles::OnUploadAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!upload_.Active()) return;  // no upload of ours runs
    if (root.Child(kRetValueNode)->GetShort() != protocol::kSuccess) {
        upload_.Close();
        owner_.EndBusy(IDS_STATUS_FAILED);
        if (owner_.GetWindow()) owner_.ShowAnswerError(&answer, 0, 0);
        return;
    }
    try {
        switch (upload_.Chunks().Confirm(Offset(root, protocol::kPackageUpToNode))) {
        case ChunkStep::Rejected:
            return FailUpload(LoadStringW(IDS_UNREADABLE_ANSWER));
        case ChunkStep::More:
            if (!SendNextChunk()) FailUpload(L"");
            return;
        case ChunkStep::Last:
            break;
        }
    } catch (const CQuorvException& error) {
        return FailUpload(error.Message());
    }
    upload_.Close();
    const std::string stored = NodeText(root, protocol::kFileNameNode);
    owner_.EndBusy(IDS_STATUS_SUCCESS);
    if (stored.empty()) return;
    owner_.LoadFileLog(stored);
}

void CEventLogFiles::FailUpload(const std::wstring& message) {
    upload_.Close();
    owner_.EndBusy(IDS_STATUS_FAILED);
    if (owner_.GetWindow() && !message.empty()) owner_.ShowErrorW(message.c_str(), 0);
}

}  // namespace vantrel
