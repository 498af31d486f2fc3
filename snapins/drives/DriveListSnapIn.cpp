#include "snapins/drives/DriveListSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "resource.h"
#include "snapins/drives/DrivePropertiesDialog.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

namespace vantrel {
namespace {

using drives::DriveRecord;

constexpr DWORD kListStyle = 0x5611014D;  // child, visible, report, single selection, auto-arrange
constexpr DWORD kListExStyle = LVS_EX_HEADERDRAGDROP | LVS_EX_REGIONAL | LVS_EX_INFOTIP;
constexpr DWORD kHelpContext = 610;

struct ColumnSpec {
    int modelColumn;
    UINT header;
    int width;
};

// The general platform shows the file system; the device platform does not.
constexpr ColumnSpec kGeneralColumns[] = {
    {drives::kColumnName, IDS_DDS_NAME, 150},          {drives::kColumnType, IDS_DDS_TYPE, 100},
    {drives::kColumnTotalSize, IDS_DDS_TOTAL_SIZE, 80}, {drives::kColumnFreeSpace, IDS_DDS_FREE_SPACE, 80},
    {drives::kColumnFileSystem, IDS_DDS_FILE_SYSTEM, 100}, {drives::kColumnTotalUsed, IDS_DDS_TOTAL_USED, 80},
    {drives::kColumnFreePercent, IDS_DDS_FREE_PERCENT, 80}, {drives::kColumnUsedPercent, IDS_DDS_USED_PERCENT, 80}};
constexpr ColumnSpec kDeviceColumns[] = {
    {drives::kColumnName, IDS_DDS_NAME, 150},          {drives::kColumnType, IDS_DDS_TYPE, 100},
    {drives::kColumnTotalSize, IDS_DDS_TOTAL_SIZE, 80}, {drives::kColumnFreeSpace, IDS_DDS_FREE_SPACE, 80},
    {drives::kColumnTotalUsed, IDS_DDS_TOTAL_USED, 80}, {drives::kColumnFreePercent, IDS_DDS_FREE_PERCENT, 80},
    {drives::kColumnUsedPercent, IDS_DDS_USED_PERCENT, 80}};

const ColumnSpec* Columns(bool device, size_t* count) {
    *count = device ? std::size(kDeviceColumns) : std::size(kGeneralColumns);
    return device ? kDeviceColumns : kGeneralColumns;
}

uint32_t Clamp32(int64_t value) {
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 0xFFFFFFFF));
}

}  // namespace

CDriveListSnapIn::CDriveListSnapIn(ISnapInHost* host) : CSnapInBase(host) {}

CDriveListSnapIn::~CDriveListSnapIn() { DestroySnapInWindow(); }

// ---- window ---------------------------------------------------------------------

HWND CDriveListSnapIn::Create(HWND parent) {
    HWND window = nullptr;
    Guarded([&] { window = CreateWindows(parent); });
    return window;
}

HWND CDriveListSnapIn::CreateWindows(HWND parent) {
    if (Window()) return Window();
    devicePlatform_ = Host()->GetRemotePlatform() == 2;
    if (!CreateSnapInWindow(parent)) return nullptr;
    SetWindowContextHelpId(Window(), kHelpContext);
    groupColumn_ = drives::kColumnType;
    CreateList();
    static const ToolBarImage kImages[] = {{ID_DDS_REFRESH, 0}, {ID_DDS_VIEWS, 4}, {ID_DDS_PROPERTIES, 9}};
    CreateToolBar(kImages, static_cast<int32_t>(std::size(kImages)));
    SetDropDownButton(ID_DDS_VIEWS);
    InsertColumns();
    LoadImages();
    BuildGroups();
    return Window();
}

void CDriveListSnapIn::CreateList() {
    ActivationScope scope;
    list_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr, kListStyle, 0, 0, 0, 0, Window(),
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_DDS_LIST)), ModuleInstance(), nullptr);
    if (!list_) return;
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
    // Grouping is offered wherever the list view can really show groups, which
    // is not the case for every implementation of the common controls.
    ::SendMessageW(list_, LVM_ENABLEGROUPVIEW, TRUE, 0);
    groupsSupported_ = ::SendMessageW(list_, LVM_ISGROUPVIEWENABLED, 0, 0) != 0;
    ::SendMessageW(list_, LVM_ENABLEGROUPVIEW, FALSE, 0);
}

int CDriveListSnapIn::ModelColumn(int listColumn) const {
    size_t count = 0;
    const ColumnSpec* columns = Columns(IsDevicePlatform(), &count);
    return listColumn >= 0 && static_cast<size_t>(listColumn) < count ? columns[listColumn].modelColumn : -1;
}

void CDriveListSnapIn::InsertColumns() {
    size_t count = 0;
    const ColumnSpec* columns = Columns(IsDevicePlatform(), &count);
    for (size_t i = 0; i < count; ++i) {
        std::wstring header = LoadStringW(columns[i].header);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.pszText = header.data();
        column.cx = columns[i].width;
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CDriveListSnapIn::LoadImages() {
    smallIcons_.reset(LoadImageStrip(L"IDB_SNAP_DDS_ICONS", 16, ILC_COLOR24));
    largeIcons_.reset(LoadImageStrip(L"IDB_SNAP_DDS_ICONS_32", 32, ILC_COLOR24));
    sortArrows_.reset(LoadImageStrip(L"IDB_SNAP_SORTING", 8, ILC_COLOR24));
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallIcons_.get()));
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(largeIcons_.get()));
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0));
    if (header) ::SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sortArrows_.get()));
}

LRESULT CDriveListSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (list_) MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (list_) SetFocus(list_);
        return 0;
    case WM_DESTROY:
        list_ = nullptr;  // the list goes with this window
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (lParam) return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        break;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == list_) {
            POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (lParam == -1)
                OnContextMenuKey();
            else
                ShowContextMenu(at);
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        if (!IsBusy()) UpdateCommands();
        return 0;
    default:
        break;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

void CDriveListSnapIn::OnCommand(UINT command) {
    switch (command) {
    case ID_DDS_LARGE_ICONS:
        SetViewStyle(LVS_ICON);
        break;
    case ID_DDS_SMALL_ICONS:
        SetViewStyle(LVS_SMALLICON);
        break;
    case ID_DDS_LIST:
        SetViewStyle(LVS_LIST);
        break;
    case ID_DDS_DETAILS:
        SetViewStyle(LVS_REPORT);
        break;
    case ID_DDS_SHOW_GROUPS:
        ToggleGroups();
        break;
    case ID_DDS_REFRESH_MENU:
    case ID_DDS_REFRESH:
        Refresh();
        break;
    case ID_DDS_PROPERTIES:
        ShowProperties();
        break;
    default:
        break;
    }
}

LRESULT CDriveListSnapIn::OnNotify(NMHDR* header) {
    if (header->hwndFrom == list_) {
        switch (header->code) {
        case LVN_COLUMNCLICK:
            OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header));
            return 0;
        case LVN_ITEMCHANGED: {
            auto change = reinterpret_cast<NMLISTVIEW*>(header);
            if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
                OnSelectionChanged();
            return 0;
        }
        case NM_DBLCLK:
            if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0) ShowProperties();
            return 0;
        default:
            break;
        }
    }
    if (header->code == TBN_DROPDOWN && header->hwndFrom == ToolBar()) {
        if (reinterpret_cast<NMTOOLBARW*>(header)->iItem == ID_DDS_VIEWS) ShowViewsDropDown();
        return TBDDRET_DEFAULT;
    }
    return CSnapInBase::WindowProc(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(header));
}

// ---- view ----------------------------------------------------------------------------

void CDriveListSnapIn::SetViewStyle(DWORD style) {
    LONG current = GetWindowLongW(list_, GWL_STYLE);
    SetWindowLongW(list_, GWL_STYLE, static_cast<LONG>((current & ~LVS_TYPEMASK) | style));
    UpdateCommands();
}

void CDriveListSnapIn::EnableGroupView(bool on) {
    groupView_ = on && groupsSupported_;
    ::SendMessageW(list_, LVM_ENABLEGROUPVIEW, groupView_, 0);
}

void CDriveListSnapIn::ToggleGroups() {
    if (!groupsSupported_) return;
    RemoveSortArrows();
    EnableGroupView(!groupView_);
    UpdateCommands();
}

void CDriveListSnapIn::RemoveSortArrows() {
    for (int i = 0;; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT;
        if (!::SendMessageW(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) break;
        column.fmt &= ~(LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT);
        ::SendMessageW(list_, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void CDriveListSnapIn::BuildGroups() {
    grouping_ = drives::BuildGroups(drives_.Records(), groupColumn_);
    ::SendMessageW(list_, LVM_REMOVEALLGROUPS, 0, 0);
    for (size_t i = 0; i < grouping_.groups.size(); ++i) {
        std::wstring name = GroupName(grouping_.groups[i]);
        LVGROUP group = {};
        group.cbSize = sizeof(group);
        group.mask = LVGF_HEADER | LVGF_GROUPID;
        group.pszHeader = name.data();
        group.iGroupId = static_cast<int>(i);
        ::SendMessageW(list_, LVM_INSERTGROUP, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&group));
    }
    // Grouping is what the user asked for by choosing a group column.
    EnableGroupView(true);
}

std::wstring CDriveListSnapIn::GroupName(const drives::DriveGroup& group) const {
    if (group.stringId == 0) return ToWide(group.text);
    std::wstring name = LoadStringW(group.stringId);
    if (group.percent >= 0) name = FormatW(name.c_str(), static_cast<unsigned>(group.percent));
    return name;
}

void CDriveListSnapIn::OnColumnClick(const NMLISTVIEW* click) {
    if (groupView_) {
        int column = ModelColumn(click->iSubItem);
        if (column < 0) return;
        groupColumn_ = column;
        FillList();
    } else {
        SortByColumnClick(list_, click);
    }
}

int CDriveListSnapIn::SelectedItem() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int CDriveListSnapIn::RecordOfItem(int item) const {
    if (item < 0) return -1;
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv))) return -1;
    return drives_.Get(lv.lParam) ? static_cast<int>(lv.lParam) : -1;
}

void CDriveListSnapIn::OnSelectionChanged() {
    const DriveRecord* drive = drives_.Get(RecordOfItem(SelectedItem()));
    if (drive) {
        std::wstring text = LoadStringW(IDS_DDS_SELECTION_STATUS);
        text = ReplaceFirst(text, L"%s", ToWide(drives::SizeText(drive->freeBytes)));
        text = ReplaceFirst(text, L"%s", ToWide(drives::SizeText(drive->sizeBytes)));
        SetStatusPart(0, text);
    } else {
        SetStatusPart(0, {});
    }
    UpdateCommands();
}

void CDriveListSnapIn::FillList() {
    const DriveRecord* selected = drives_.Get(RecordOfItem(SelectedItem()));
    std::u16string selectedName = selected ? selected->driveName : std::u16string();
    size_t count = 0;
    const ColumnSpec* columns = Columns(IsDevicePlatform(), &count);

    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    BuildGroups();
    const auto& records = drives_.Records();
    int reselect = -1;
    for (size_t r = 0; r < records.size(); ++r) {
        const DriveRecord& drive = records[r];
        std::wstring name = ToWide(drives::ItemText(drive, columns[0].modelColumn));
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_GROUPID;
        item.iItem = static_cast<int>(r);
        item.pszText = name.data();
        item.iImage = drives::DriveIconIndex(drive.driveType);
        item.lParam = static_cast<LPARAM>(r);
        item.iGroupId = r < grouping_.groupOfRecord.size() ? grouping_.groupOfRecord[r] : -1;
        if (item.iGroupId < 0) item.iGroupId = I_GROUPIDNONE;
        int index = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (index < 0) continue;
        for (size_t c = 1; c < count; ++c) {
            std::wstring text = ToWide(drives::ItemText(drive, columns[c].modelColumn));
            LVITEMW sub = {};
            sub.iSubItem = static_cast<int>(c);
            sub.pszText = text.data();
            ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
        }
        if (!selectedName.empty() && drive.driveName == selectedName) reselect = index;
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    if (reselect >= 0) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(reselect), reinterpret_cast<LPARAM>(&state));
    }
    // A sorted list stays sorted across a refresh.
    if (!groupView_) Resort(list_);
    InvalidateRect(list_, nullptr, TRUE);
    OnSelectionChanged();
}

int32_t CDriveListSnapIn::CompareItems(int32_t item1, int32_t item2, int32_t) {
    const DriveRecord* a = drives_.Get(RecordOfItem(item1));
    const DriveRecord* b = drives_.Get(RecordOfItem(item2));
    if (!a || !b) return 0;
    int result = drives::CompareDrives(*a, *b, ModelColumn(sortColumn_));
    return sortAscending_ ? result : -result;
}

// ---- commands, menus --------------------------------------------------------------------

void CDriveListSnapIn::CheckViewItems(HMENU menu) {
    if (!menu) return;
    DWORD type = static_cast<DWORD>(GetWindowLongW(list_, GWL_STYLE)) & LVS_TYPEMASK;
    UINT checked = type == LVS_ICON ? ID_DDS_LARGE_ICONS
                   : type == LVS_SMALLICON ? ID_DDS_SMALL_ICONS
                   : type == LVS_LIST ? ID_DDS_LIST
                                      : ID_DDS_DETAILS;
    CheckMenuRadioItem(menu, ID_DDS_LARGE_ICONS, ID_DDS_DETAILS, checked, MF_BYCOMMAND);
    EnableMenuItem(menu, ID_DDS_SHOW_GROUPS, MF_BYCOMMAND | (groupsSupported_ ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, ID_DDS_SHOW_GROUPS, MF_BYCOMMAND | (groupsSupported_ && groupView_ ? MF_CHECKED : MF_UNCHECKED));
    bool selected = SelectedItem() >= 0;
    EnableMenuItem(menu, ID_DDS_PROPERTIES, MF_BYCOMMAND | (selected && !IsBusy() ? MF_ENABLED : MF_GRAYED));
    if (IsBusy()) EnableMenuItem(menu, ID_DDS_SHOW_GROUPS, MF_BYCOMMAND | MF_GRAYED);
}

void CDriveListSnapIn::UpdateCommands() {
    if (!list_) return;
    if (HMENU menu = SnapInMenu()) CheckViewItems(GetSubMenu(menu, 0));
    if (ToolBar())
        ::SendMessageW(ToolBar(), TB_ENABLEBUTTON, ID_DDS_PROPERTIES, MAKELONG(SelectedItem() >= 0 && !IsBusy(), 0));
}

void CDriveListSnapIn::TrackMenu(HMENU popup, POINT screen, UINT flags) {
    CheckViewItems(popup);
    if (IsBusy()) {
        for (UINT id : {ID_DDS_REFRESH_MENU, ID_DDS_PROPERTIES}) EnableMenuItem(popup, id, MF_BYCOMMAND | MF_GRAYED);
    }
    ActivationScope scope;
    TrackPopupMenu(popup, flags | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Window(), nullptr);
}

void CDriveListSnapIn::ShowContextMenu(POINT screen) {
    UniqueMenu menu(LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(IDM_DDS_CONTEXT)));
    if (HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr) TrackMenu(popup, screen, TPM_LEFTALIGN);
}

BOOL CDriveListSnapIn::OnContextMenuKey() {
    // The key belongs to the list only while the list has the focus.
    if (!list_ || GetFocus() != list_) return FALSE;
    int item = SelectedItem();
    if (item < 0) return TRUE;
    ::SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    ::SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds));
    POINT at = {bounds.left + 8, bounds.bottom};
    ClientToScreen(list_, &at);
    ShowContextMenu(at);
    return TRUE;
}

void CDriveListSnapIn::ShowViewsDropDown() {
    RECT button = {};
    ::SendMessageW(ToolBar(), TB_GETRECT, ID_DDS_VIEWS, reinterpret_cast<LPARAM>(&button));
    POINT corner = {button.left, button.bottom};
    ClientToScreen(ToolBar(), &corner);
    UniqueMenu menu(LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(kId)));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (HMENU views = popup ? GetSubMenu(popup, 0) : nullptr) TrackMenu(views, corner, TPM_LEFTALIGN | TPM_TOPALIGN);
}

// ---- settings --------------------------------------------------------------------------

void CDriveListSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        if (ISettingsNode* grouping = items->Find(L"DrivesGrouping")) EnableGroupView(grouping->GetValue() != 0);
        if (ISettingsNode* column = items->Find(L"DrivesGroupIndex")) {
            int value = column->GetValue();
            if (value >= 0 && value < drives::kColumnCount) groupColumn_ = value;
        }
        LoadColumns(list_, items->Find(L"DrivesList"));
    }
    RequestPage(-1);
}

void CDriveListSnapIn::SaveViewSettings() {
    if (!list_) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        items->SetNamedValue(L"DrivesGrouping", groupView_ ? 1 : 0);
        items->SetNamedValue(L"DrivesGroupIndex", groupColumn_);
        SaveColumns(list_, items->AddChild(L"DrivesList", 0));
    }
    Host()->SaveSettings();
}

// ---- requests and answers -------------------------------------------------------------

void CDriveListSnapIn::Refresh() {
    if (IsBusy()) return;
    drives_.Clear();
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    RequestPage(-1);
}

void CDriveListSnapIn::RequestPage(int64_t startAt) {
    CXmlElement drives("Drives");
    drives.AddAttribute("StartAt", std::to_string(startAt));
    Request request(*this, kListCommand, 1);
    request.Field("DiskDrives").SetString(drives.ToText().c_str());
    sentStartAt_ = startAt;
    bool sent = request.Send();
    if (startAt == -1) {
        if (sent) BeginBusy(IDS_STATUS_IN_PROGRESS);
    } else if (!sent) {
        FillList();  // a listing that cannot go on ends with what arrived
        EndBusy(IDS_STATUS_FAILED);
    }
}

void CDriveListSnapIn::RequestDetails(const std::u16string& driveName) {
    OutputDebugStringA("CDriveListSnapIn::GetDriveInfo\n");
    Request request(*this, kDetailsCommand, 1);
    request.Field("DriveName").SetString(EncodeUtf16Base64(driveName).c_str());
    if (!request.Send()) return;
    detailsDrive_ = driveName;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    OutputDebugStringA("CDriveListSnapIn::GetDriveInfo OK\n");
}

void CDriveListSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case kListCommand:
        OnPageAnswer(answer, root);
        break;
    case kDetailsCommand:
        OutputDebugStringA("CDriveListSnapIn::GetDriveInfoComplete\n");
        OnDetailsAnswer(answer, root);
        OutputDebugStringA("CDriveListSnapIn::GetDriveInfoComplete OK\n");
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
}

void CDriveListSnapIn::OnPageAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!list_) {  // the window has gone: the listing ends quietly
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    if (root.Child("RetValue")->GetShort() != 1) {
        FillList();  // what arrived before the failure stays
        EndBusy(IDS_STATUS_FAILED);
        ShowAnswerError(&answer, 0, 0);
        return;
    }
    drives::DrivePage page = drives_.ParsePage(root.Child("DiskDrives")->GetString());
    if (!page.ok) {
        FillList();
        EndBusy(IDS_STATUS_FAILED);
        ShowErrorId(IDS_UNREADABLE_ANSWER, 0);
        return;
    }
    int64_t next = 0;
    switch (NextPage(sentStartAt_, page.upTo, page.total, &next, ContinueFrom::UpTo)) {
    case PageStep::Continue:
        ShowProgress(IDS_STATUS_IN_PROGRESS, Clamp32(page.upTo), Clamp32(page.total));
        RequestPage(next);
        break;
    case PageStep::Done:
        FillList();
        EndBusyWithCount(IDS_STATUS_SUCCESS, Clamp32(std::min<int64_t>(page.upTo, page.total)), Clamp32(page.total));
        break;
    case PageStep::Failed:
        FillList();
        EndBusy(IDS_STATUS_FAILED);
        break;
    }
}

void CDriveListSnapIn::OnDetailsAnswer(IHostMessage& answer, IMessageNode& root) {
    std::u16string asked = std::exchange(detailsDrive_, {});
    if (!list_) {  // no dialog for a tool whose window has gone
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    if (root.Child("RetValue")->GetShort() != 1) {
        EndBusy(IDS_STATUS_FAILED);
        ShowAnswerError(&answer, 0, 0);
        return;
    }
    int record = drives_.ParseDetails(root.Child("DiskDrive")->GetString(), std::u16string_view(asked));
    if (record < 0) {
        EndBusy(IDS_STATUS_FAILED);
        ShowErrorId(IDS_UNREADABLE_ANSWER, 0);
        return;
    }
    EndBusy(IDS_STATUS_SUCCESS);
    FillList();
    ShowPropertiesDialog(asked);
}

// ---- properties ---------------------------------------------------------------------------

void CDriveListSnapIn::ShowProperties() {
    const DriveRecord* drive = drives_.Get(RecordOfItem(SelectedItem()));
    if (!drive) return;
    if (drive->infoReq != 0) {
        ShowPropertiesDialog(drive->driveName);
    } else if (!IsBusy()) {
        RequestDetails(drive->driveName);
    }
}

void CDriveListSnapIn::ShowPropertiesDialog(const std::u16string& driveName) {
    int index = drives_.Find(driveName);
    const DriveRecord* drive = drives_.Get(index);
    if (!drive) return;
    // The dialog gets its own copy: an answer may change the records meanwhile.
    DriveRecord copy = *drive;
    HWND owner = GetActiveWindow();
    ShowDrivePropertiesDialog(owner ? owner : Window(), copy);
}

}  // namespace vantrel
