#include "snapins/inventory/InventorySnapIn.h"

#include "framework/FileDialogs.h"
#include "framework/ListView.h"
#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/model/LocalPath.h"
#include "framework/text/Utf8.h"
#include "snapins/inventory/InventoryIds.h"
#include "snapins/inventory/model/InventoryFormat.h"


#include <array>

namespace vantrel {
namespace {

namespace model = inventory;
namespace wire = inventory::protocol;

constexpr wchar_t kSplitterPosition[] = L"SplitterPos";
constexpr int kMinPane = 150;
constexpr ReportColumn kColumns[] = {{0, IDS_INV_ITEM, 200}, {1, IDS_INV_VALUE, 250}};
constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                             TVS_SHOWSELALWAYS;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_ALIGNLEFT |
                             LVS_NOSORTHEADER | LVS_SHOWSELALWAYS;

std::wstring FromUtf8(std::string_view text) { return ToWide(Utf8ToUtf16(text)); }

UINT DriveTypeString(int type) {
    switch (type) {
    case 0: return IDS_INV_DRIVE_UNKNOWN;
    case 2: return IDS_INV_DRIVE_REMOVABLE;
    case 3: return IDS_INV_DRIVE_FIXED;
    case 4: return IDS_INV_DRIVE_REMOTE;
    case 5: return IDS_INV_DRIVE_CDROM;
    default: return IDS_INV_DRIVE_RAM;
    }
}

// A drive letter on this machine's own disks: a mapped network drive is no
// local file, whatever its letter.
bool IsOnLocalDisk(const std::wstring& path) {
    if (!IsDriveLetterPath(path)) return false;
    const wchar_t root[] = {path[0], L':', L'\\', 0};
    const UINT type = GetDriveTypeW(root);
    return type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_CDROM || type == DRIVE_RAMDISK;
}

// The whole of a disk file of up to kMaxFileBytes; false for anything else.
bool ReadDiskFile(const std::wstring& path, std::string& text) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > CInventorySnapIn::kMaxFileBytes)
        return false;
    text.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < text.size()) {
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 24));
        if (!ReadFile(file.get(), text.data() + done, chunk, &read, nullptr)) return false;
        if (read == 0) break;  // the file shrank meanwhile: what is there
        done += read;
    }
    text.resize(done);
    return true;
}

}  // namespace

CInventorySnapIn::CInventorySnapIn(ISnapInHost* host) : CSnapInBase(host) {}

CInventorySnapIn::~CInventorySnapIn() { DestroySnapInWindow(); }

void CInventorySnapIn::QuerySupported() {
    // The machine is not asked: every host offers the inventory.
    Guarded([this] { Host()->SnapInSupported(kId); });
}

// ---- window ---------------------------------------------------------------------------

void CInventorySnapIn::OnCreateWindow() {
    SetWindowContextHelpId(Window(), IDH_INV_WINDOW);
    LoadLabels();
    CreatePanes();
    RebuildTree();
    static const ToolBarImage kImages[] = {{ID_INV_REFRESH, 0}};
    CreateToolBar(kImages, static_cast<int32_t>(std::size(kImages)));
}

void CInventorySnapIn::LoadLabels() {
    for (const model::Category& category : model::Categories())
        categoryLabels_.push_back(category.label == model::kNoLabel
                                      ? std::wstring()
                                      : LoadStringW(model::kCategoryLabelBase + static_cast<UINT>(category.label)));
    fieldLabels_.resize(model::Fields().back().number + 1);
    for (size_t number = 1; number < fieldLabels_.size(); ++number)
        fieldLabels_[number] = LoadStringW(model::kFieldLabelBase + static_cast<UINT>(number));
}

void CInventorySnapIn::CreatePanes() {
    SplitterOptions options;
    options.axis = SplitAxis::SideBySide;
    options.minPane = kMinPane;
    options.keepsProportion = true;
    if (!splitter_.Create(Window(), IDC_INV_SPLITTER, Window(), options)) return;
    HWND panes = splitter_.Handle();
    ActivationScope scope;
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr, kTreeStyle, 0, 0, 0, 0, panes,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_INV_TREE)), ModuleInstance(), nullptr);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr, kListStyle, 0, 0, 0, 0, panes,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_INV_LIST)), ModuleInstance(), nullptr);
    images_.reset(LoadImageStrip(L"IDB_SNAP_INV_SYSINFO", 16, ILC_COLOR8));
    if (tree_) ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));
    if (list_) {
        ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        listview::InsertColumns(list_, kColumns);
    }
    splitter_.SetPanes(tree_, list_);
    ShowWindow(panes, SW_SHOWNA);
    SetMainChild(panes);
}

LRESULT CInventorySnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && lParam) {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == tree_ && (header->code == TVN_SELCHANGEDW || header->code == TVN_SELCHANGEDA)) {
            ShowSelectedCategory();
            return 0;
        }
    }
    if (message == WM_DESTROY) {
        // The image list outlives the tree that shows it.
        if (tree_) ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
        tree_ = list_ = nullptr;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

// ---- tree and list ---------------------------------------------------------------------

std::wstring CInventorySnapIn::ItemText(const model::Node& node) const {
    if (!node.showsLabel) return FromUtf8(node.text);
    const size_t index = static_cast<size_t>(node.category - model::Categories().data());
    return index < categoryLabels_.size() ? categoryLabels_[index] : std::wstring();
}

void CInventorySnapIn::RebuildTree() {
    if (!tree_) return;
    // Deleting the items changes the selection: the list is not filled from
    // rows of a document that has already gone.
    rebuilding_ = true;
    ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    if (list_) ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    const std::vector<model::Node>& nodes = document_.Nodes();
    std::vector<HTREEITEM> items(nodes.size(), nullptr);
    TVINSERTSTRUCTW insert = {};
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const model::Node& node = nodes[i];
        std::wstring text = ItemText(node);
        insert.hParent = node.parent < 0 ? TVI_ROOT : items[static_cast<size_t>(node.parent)];
        if (!insert.hParent) continue;  // its parent could not be inserted
        insert.item.pszText = text.data();
        insert.item.iImage = insert.item.iSelectedImage = node.image;
        insert.item.lParam = static_cast<LPARAM>(i);
        items[i] = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
    rebuilding_ = false;
}

void CInventorySnapIn::ShowSelectedCategory() {
    if (!list_ || !tree_) return;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    const auto selected = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
    if (!rebuilding_ && selected && ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        const std::span<const model::Row> rows = document_.RowsOf(static_cast<size_t>(item.lParam));
        ::SendMessageW(list_, LVM_SETITEMCOUNT, rows.size(), 0);
        LVITEMW cell = {};
        for (size_t i = 0; i < rows.size(); ++i) {
            const model::Row& row = rows[i];
            std::wstring label = static_cast<size_t>(row.number) < fieldLabels_.size() ? fieldLabels_[row.number] : L"";
            std::wstring value = ValueText(row);
            cell.mask = LVIF_TEXT;
            cell.iItem = static_cast<int>(i);
            cell.iSubItem = 0;
            cell.pszText = label.data();
            const auto at = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&cell)));
            if (at < 0) break;
            cell.iSubItem = 1;
            cell.pszText = value.data();
            ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
        }
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

// ---- values ----------------------------------------------------------------------------

std::wstring CInventorySnapIn::ValueText(const model::Row& row) const {
    using model::ValueFormat;
    switch (model::FormatOf(row.number)) {
    case ValueFormat::kDate:
        return DateText(row.value);
    case ValueFormat::kHex:
        if (auto text = model::FormatHex(row.value)) return ToWide(*text);
        break;
    case ValueFormat::kDriveType:
        if (auto type = model::DriveType(row.value)) return LoadStringW(DriveTypeString(*type));
        break;
    case ValueFormat::kSingleLine:
        return ToWide(model::SingleLine(Utf8ToUtf16(row.value)));
    case ValueFormat::kSize:
        if (auto text = model::FormatSize(row.value)) return ToWide(*text);
        break;
    case ValueFormat::kLanguage:
        return LanguageText(row.value);
    case ValueFormat::kPlain:
        break;
    }
    return FromUtf8(row.value);
}

std::wstring CInventorySnapIn::DateText(std::string_view value) const {
    const std::optional<model::DateTime> parsed = model::ParseDateTime(value);
    if (!parsed) return FromUtf8(value);
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(parsed->hasDate ? parsed->year : 2000);
    time.wMonth = static_cast<WORD>(parsed->hasDate ? parsed->month : 1);
    time.wDay = static_cast<WORD>(parsed->hasDate ? parsed->day : 1);
    time.wHour = static_cast<WORD>(parsed->hour);
    time.wMinute = static_cast<WORD>(parsed->minute);
    time.wSecond = static_cast<WORD>(parsed->second);
    std::array<wchar_t, 128> buffer{};
    std::wstring text;
    if (parsed->hasDate &&
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer.data(), static_cast<int>(buffer.size())) > 0)
        text = buffer.data();
    if (parsed->hasTime &&
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer.data(), static_cast<int>(buffer.size())) > 0) {
        if (!text.empty()) text += L' ';
        text += buffer.data();
    }
    return text.empty() ? FromUtf8(value) : text;
}

std::wstring CInventorySnapIn::LanguageText(std::string_view value) const {
    const std::optional<uint32_t> number = model::LanguageNumber(value);
    if (!number) return FromUtf8(value);
    std::array<wchar_t, 128> name{};
    const LCID locale = MAKELCID(static_cast<LANGID>(*number & 0xFFFF), SORT_DEFAULT);
    if (GetLocaleInfoW(locale, LOCALE_SENGLANGUAGE, name.data(), static_cast<int>(name.size())) <= 0) name[0] = 0;
    return name.data() + ToWide(model::LanguageSuffix(*number));
}

// ---- requests, answers and files ----------------------------------------------------------

void CInventorySnapIn::RequestInventory(bool forceNew) {
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    Request request(*this, Request::HostCommand{});
    request.Field(wire::kForceNewNode).SetShort(forceNew ? 1 : 0);
    requestCommand_ = request.Command();
    if (!request.Send()) EndBusy(IDS_STATUS_FAILED);
}

void CInventorySnapIn::HandleAnswer(uint32_t, IHostMessage&, IMessageNode& root) {
    if (!Window()) {
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    const char* name = root.Child(wire::kFileNameNode)->GetString();
    const std::wstring path = AnsiToWide(name ? name : "");
    // The path comes from the other side: only a file on this machine's own
    // disks is read, never a share or a device.
    if (!IsOnLocalDisk(path)) {
        EndBusy(IDS_STATUS_FAILED);
        return;
    }
    LoadFile(path);
}

void CInventorySnapIn::LoadFile(const std::wstring& path) {
    std::string text;
    if (!ReadDiskFile(path, text)) {
        EndBusy(IDS_STATUS_FAILED);  // the tree keeps what it shows
        return;
    }
    const model::LoadOutcome outcome = document_.Load(text);
    RebuildTree();
    switch (outcome) {
    case model::LoadOutcome::kLoaded:
        EndBusy(IDS_STATUS_SUCCESS);
        break;
    case model::LoadOutcome::kEmpty:
        EndBusy(IDS_STATUS_FAILED);
        break;
    case model::LoadOutcome::kMalformed:
        EndBusy(IDS_STATUS_FAILED);
        SetStatusPart(0, AnsiToWide(document_.Error()));
        break;
    }
}

void CInventorySnapIn::OpenLocalFile() {
    FileDialogOptions options;
    options.filter = LoadStringW(IDS_INV_OPEN_FILTER);
    const std::optional<std::wstring> path = AskOpenFileName(Window(), options);
    // The dialog's loop may have run an answer or closed the window.
    if (!path || !Window() || IsBusy()) return;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    LoadFile(*path);
}

void CInventorySnapIn::OnCommand(UINT command) {
    // Both wait for a load in progress: its answer would replace what they show.
    if (IsBusy()) return;
    if (command == ID_INV_REFRESH) RequestInventory(true);
    if (command == ID_INV_OPEN_FILE) OpenLocalFile();
}

// ---- settings -----------------------------------------------------------------------------

void CInventorySnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    ISettingsNode* settings = Host()->GetSnapInSettings(kId);
    if (ISettingsList* section = settings ? settings->Items() : nullptr)
        if (ISettingsNode* position = section->Find(kSplitterPosition)) splitter_.SetPosition(position->GetValue());
    RequestInventory(false);
}

void CInventorySnapIn::SaveViewSettings() {
    if (!splitter_.Handle()) return;  // nothing shown: keep what is stored
    Host()->LoadSettings();
    ISettingsNode* settings = Host()->GetSnapInSettings(kId);
    if (ISettingsList* section = settings ? settings->Items() : nullptr)
        section->SetNamedValue(kSplitterPosition, splitter_.Position());
    Host()->SaveSettings();
}

}  // namespace vantrel
