#include "snapins/drives/DriveListSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/drives/DrivePropertiesDialog.h"
#include "snapins/drives/DrivesIds.h"

#include <algorithm>
#include <iterator>

static_assert(vantrel::CDriveListSnapIn::kId == IDS_SNAPIN_DRIVES);

namespace vantrel {
namespace {

using drives::DriveRecord;
namespace protocol = drives::protocol;

constexpr DWORD kListStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_HSCROLL | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                             LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
static_assert((kListStyle | WS_CHILD | WS_VISIBLE) == 0x5611014D);
constexpr DWORD kListExStyle = LVS_EX_HEADERDRAGDROP | LVS_EX_REGIONAL | LVS_EX_INFOTIP;
constexpr DWORD kHelpContext = 610;
// The view commands, in command order.
constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
static_assert(ID_DDS_DETAILS - ID_DDS_LARGE_ICONS + 1 == std::size(kViewStyles));

const ListingWire kListingWire = {protocol::kListCommand,  protocol::kListNode, protocol::kListRequestElement,
                                  protocol::kListNode,     ContinueFrom::UpTo,  SuccessValue::One,
                                  /*shortRetValue=*/true};

// The general platform shows the file system; the device platform does not.
constexpr ReportColumn kGeneralColumns[] = {
    {drives::kColumnName, IDS_DDS_NAME, 150},           {drives::kColumnType, IDS_DDS_TYPE, 100},
    {drives::kColumnTotalSize, IDS_DDS_TOTAL_SIZE, 80},   {drives::kColumnFreeSpace, IDS_DDS_FREE_SPACE, 80},
    {drives::kColumnFileSystem, IDS_DDS_FILE_SYSTEM, 100}, {drives::kColumnTotalUsed, IDS_DDS_TOTAL_USED, 80},
    {drives::kColumnFreePercent, IDS_DDS_FREE_PERCENT, 80}, {drives::kColumnUsedPercent, IDS_DDS_USED_PERCENT, 80}};
constexpr ReportColumn kDeviceColumns[] = {
    {drives::kColumnName, IDS_DDS_NAME, 150},           {drives::kColumnType, IDS_DDS_TYPE, 100},
    {drives::kColumnTotalSize, IDS_DDS_TOTAL_SIZE, 80},   {drives::kColumnFreeSpace, IDS_DDS_FREE_SPACE, 80},
    {drives::kColumnTotalUsed, IDS_DDS_TOTAL_USED, 80},   {drives::kColumnFreePercent, IDS_DDS_FREE_PERCENT, 80},
    {drives::kColumnUsedPercent, IDS_DDS_USED_PERCENT, 80}};

// The string of each group label, in the order of drives::GroupLabel (0: the
// group's own text).
constexpr UINT kGroupLabelStrings[] = {
    0,                    IDS_DDS_GROUP_HARD,   IDS_DDS_GROUP_REMOVABLE, IDS_DDS_GROUP_NETWORK,
    IDS_DDS_GROUP_RAM,    IDS_DDS_GROUP_TINY,   IDS_DDS_GROUP_MEDIUM,    IDS_DDS_GROUP_LARGE,
    IDS_DDS_GROUP_HUGE,   IDS_DDS_GROUP_GIGANTIC, IDS_DDS_GROUP_NOSIZE,  IDS_DDS_GROUP_UNSPECIFIED,
    IDS_DDS_GROUP_OTHER,  IDS_DDS_GROUP_FREE,   IDS_DDS_GROUP_USED};
static_assert(std::size(kGroupLabelStrings) == static_cast<size_t>(drives::GroupLabel::PercentUsed) + 1);

}  // namespace

CDriveListSnapIn::CDriveListSnapIn(ISnapInHost* host)
    : CSnapInBase(host), list_(*this, L"DrivesList"), listing_(*this, *this, kListingWire) {
    RegisterReportList(list_);
}

CDriveListSnapIn::~CDriveListSnapIn() { DestroySnapInWindow(); }

// ---- window ---------------------------------------------------------------------

HWND CDriveListSnapIn::Create(HWND parent) { return CreateWindowOnce(parent); }

void CDriveListSnapIn::OnCreateWindow() {
    SetWindowContextHelpId(Window(), kHelpContext);
    CreateList();
    static const ToolBarImage kImages[] = {{ID_DDS_REFRESH, 0}, {ID_DDS_VIEWS, 4}, {ID_DDS_PROPERTIES, 9}};
    CreateToolBar(kImages, static_cast<int32_t>(std::size(kImages)));
    SetDropDownButton(ID_DDS_VIEWS);
    BuildGroups();
}

void CDriveListSnapIn::CreateList() {
    if (!list_.Create(Window(), IDC_DDS_LIST, kListStyle, kListExStyle)) return;
    SetMainChild(list_.Handle());
    // The platform the columns are made for is fixed with the window.
    if (Host()->GetRemotePlatform() == 2)
        list_.SetColumns(kDeviceColumns);
    else
        list_.SetColumns(kGeneralColumns);
    list_.SetImages(LoadImageStrip(L"IDB_SNAP_DDS_ICONS", 16, ILC_COLOR24),
                    LoadImageStrip(L"IDB_SNAP_DDS_ICONS_32", 32, ILC_COLOR24));
    list_.LoadSortArrows();
}

void CDriveListSnapIn::OnToolBarDropDown(int command) {
    if (command == ID_DDS_VIEWS) ShowViewsDropDown();
}

void CDriveListSnapIn::OnCommand(UINT command) {
    switch (command) {
    case ID_DDS_LARGE_ICONS:
    case ID_DDS_SMALL_ICONS:
    case ID_DDS_LIST:
    case ID_DDS_DETAILS:
        list_.SetViewStyle(kViewStyles[command - ID_DDS_LARGE_ICONS]);
        UpdateCommands();
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

// ---- the list's model ---------------------------------------------------------------

std::wstring CDriveListSnapIn::CellText(LPARAM key, int modelColumn) {
    const DriveRecord* drive = drives_.Get(key);
    return drive ? ToWide(drives::ItemText(*drive, modelColumn)) : std::wstring();
}

int CDriveListSnapIn::CompareRecords(LPARAM a, LPARAM b, int modelColumn) {
    const DriveRecord* x = drives_.Get(a);
    const DriveRecord* y = drives_.Get(b);
    return x && y ? drives::CompareDrives(*x, *y, modelColumn) : 0;
}

bool CDriveListSnapIn::OnColumnClick(int listColumn) {
    // In group view a header click chooses the group column instead.
    if (!list_.GroupsShown()) return false;
    const int column = list_.ModelColumn(listColumn);
    if (column >= 0) {
        groupColumn_ = column;
        FillList();
    }
    return true;
}

void CDriveListSnapIn::OnSelectionChanged() {
    if (const DriveRecord* drive = SelectedDrive()) {
        std::wstring text = LoadStringW(IDS_DDS_SELECTION_STATUS);
        text = ReplaceFirst(text, L"%s", ToWide(drives::SizeText(drive->freeBytes)));
        text = ReplaceFirst(text, L"%s", ToWide(drives::SizeText(drive->sizeBytes)));
        SetStatusPart(0, text);
    } else {
        SetStatusPart(0, {});
    }
    UpdateCommands();
}

void CDriveListSnapIn::OnItemActivated(LPARAM) { ShowProperties(); }

const DriveRecord* CDriveListSnapIn::SelectedDrive() const {
    const auto key = list_.SelectedKey();
    return key ? drives_.Get(*key) : nullptr;
}

void CDriveListSnapIn::FillList() {
    BuildGroups();
    const auto& records = drives_.Records();
    std::vector<CReportList::Row> rows;
    rows.reserve(records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        const int group = r < grouping_.groupOfRecord.size() ? grouping_.groupOfRecord[r] : -1;
        rows.push_back({static_cast<LPARAM>(r), drives::DriveIconIndex(records[r].driveType),
                        group < 0 ? I_GROUPIDNONE : group});
    }
    list_.Fill(rows);
}

// ---- view ----------------------------------------------------------------------------

void CDriveListSnapIn::ToggleGroups() {
    if (!list_.SupportsGroups()) return;
    list_.RemoveSort();
    list_.ShowGroups(!list_.GroupsShown());
    UpdateCommands();
}

void CDriveListSnapIn::BuildGroups() {
    grouping_ = drives::BuildGroups(drives_.Records(), groupColumn_);
    std::vector<std::wstring> names;
    for (const drives::DriveGroup& group : grouping_.groups) names.push_back(GroupName(group));
    list_.SetGroups(names);
    // Grouping is what the user asked for by choosing a group column.
    list_.ShowGroups(true);
}

std::wstring CDriveListSnapIn::GroupName(const drives::DriveGroup& group) const {
    const UINT stringId = kGroupLabelStrings[static_cast<size_t>(group.label)];
    if (stringId == 0) return ToWide(group.text);
    std::wstring name = LoadStringW(stringId);
    if (group.percent >= 0) name = FormatW(name.c_str(), static_cast<unsigned>(group.percent));
    return name;
}

// ---- commands, menus --------------------------------------------------------------------

void CDriveListSnapIn::CheckViewItems(HMENU menu) {
    if (!menu) return;
    const DWORD* style = std::find(std::begin(kViewStyles), std::end(kViewStyles), list_.ViewStyle());
    CheckMenuRadioItem(menu, ID_DDS_LARGE_ICONS, ID_DDS_DETAILS,
                       ID_DDS_LARGE_ICONS + static_cast<UINT>(style - std::begin(kViewStyles)), MF_BYCOMMAND);
    const bool idle = !IsBusy();
    EnableMenuItem(menu, ID_DDS_SHOW_GROUPS, MF_BYCOMMAND | (list_.SupportsGroups() && idle ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, ID_DDS_SHOW_GROUPS, MF_BYCOMMAND | (list_.GroupsShown() ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(menu, ID_DDS_PROPERTIES, MF_BYCOMMAND | (SelectedDrive() && idle ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, ID_DDS_REFRESH_MENU, MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED));
}

void CDriveListSnapIn::UpdateCommands() {
    if (!list_.Handle()) return;
    if (HMENU menu = SnapInMenu()) CheckViewItems(GetSubMenu(menu, 0));
    if (ToolBar())
        ::SendMessageW(ToolBar(), TB_ENABLEBUTTON, ID_DDS_PROPERTIES, MAKELONG(SelectedDrive() && !IsBusy(), 0));
}

void CDriveListSnapIn::ShowMenu(HMENU popup, POINT screen, UINT flags) {
    CheckViewItems(popup);
    TrackMenu(popup, screen, flags);
}

void CDriveListSnapIn::OnListContextMenu(CReportList&, POINT screen) {
    UniqueMenu menu = LoadMenuResource(IDM_DDS_CONTEXT);
    if (HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr) ShowMenu(popup, screen, TPM_LEFTALIGN);
}

BOOL CDriveListSnapIn::OnContextMenuKey() {
    // The key belongs to the list only while the list has the focus.
    if (!list_.Handle() || GetFocus() != list_.Handle()) return FALSE;
    if (SelectedDrive()) OnListContextMenu(list_, list_.ContextMenuPoint(-1));
    return TRUE;
}

void CDriveListSnapIn::ShowViewsDropDown() {
    UniqueMenu menu = LoadMenuResource(kId);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (HMENU views = popup ? GetSubMenu(popup, 0) : nullptr)
        ShowMenu(views, DropDownPoint(ID_DDS_VIEWS), TPM_LEFTALIGN | TPM_TOPALIGN);
}

// ---- settings --------------------------------------------------------------------------

void CDriveListSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        if (ISettingsNode* grouping = items->Find(L"DrivesGrouping")) list_.ShowGroups(grouping->GetValue() != 0);
        if (ISettingsNode* column = items->Find(L"DrivesGroupIndex")) {
            int value = column->GetValue();
            if (value >= 0 && value < drives::kColumnCount) groupColumn_ = value;
        }
        list_.LoadLayout(items);
    }
    listing_.Start();
}

void CDriveListSnapIn::SaveViewSettings() {
    if (!list_.Handle()) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        items->SetNamedValue(L"DrivesGrouping", list_.GroupsShown() ? 1 : 0);
        items->SetNamedValue(L"DrivesGroupIndex", groupColumn_);
        list_.SaveLayout(items);
    }
    Host()->SaveSettings();
}

// ---- requests and answers -------------------------------------------------------------

void CDriveListSnapIn::Refresh() {
    if (IsBusy()) return;
    listing_.Start();
}

void CDriveListSnapIn::OnListingStarted() {
    // Records and items go together: no item may outlive its record.
    list_.Clear();
    drives_.Clear();
}

bool CDriveListSnapIn::MergePage(const CXmlElement& root) { return drives_.MergePage(root).ok; }

void CDriveListSnapIn::OnListingEnded(ListingEnd) { FillList(); }

void CDriveListSnapIn::RequestDetails(const std::u16string& driveName) {
    OutputDebugStringA("CDriveListSnapIn::GetDriveInfo\n");
    Request request(*this, protocol::kDetailsCommand, 1);
    request.Field(protocol::kDriveNameNode).SetString(EncodeUtf16Base64(driveName).c_str());
    if (!request.Send()) return;
    detailsDrive_ = driveName;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    OutputDebugStringA("CDriveListSnapIn::GetDriveInfo OK\n");
}

void CDriveListSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case protocol::kListCommand:
        listing_.OnAnswer(answer, root);
        break;
    case protocol::kDetailsCommand:
        OutputDebugStringA("CDriveListSnapIn::GetDriveInfoComplete\n");
        OnDetailsAnswer(answer, root);
        OutputDebugStringA("CDriveListSnapIn::GetDriveInfoComplete OK\n");
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
}

void CDriveListSnapIn::OnDetailsAnswer(IHostMessage& answer, IMessageNode& root) {
    const std::u16string asked = std::exchange(detailsDrive_, {});
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    if (drives_.ParseDetails(root.Child(protocol::kDetailsNode)->GetString(), std::u16string_view(asked)) < 0) {
        EndBusyUnreadable();
        return;
    }
    EndBusy(IDS_STATUS_SUCCESS);
    FillList();
    ShowPropertiesDialog(asked);
}

// ---- properties ---------------------------------------------------------------------------

void CDriveListSnapIn::ShowProperties() {
    const DriveRecord* drive = SelectedDrive();
    if (!drive) return;
    if (drive->infoReq != 0) {
        ShowPropertiesDialog(drive->driveName);
    } else if (!IsBusy()) {
        RequestDetails(drive->driveName);
    }
}

void CDriveListSnapIn::ShowPropertiesDialog(const std::u16string& driveName) {
    const DriveRecord* drive = drives_.Get(drives_.Find(driveName));
    if (!drive) return;
    // The dialog gets its own copy: an answer may change the records meanwhile.
    DriveRecord copy = *drive;
    HWND owner = GetActiveWindow();
    ShowDrivePropertiesDialog(owner ? owner : Window(), copy);
}

}  // namespace vantrel
