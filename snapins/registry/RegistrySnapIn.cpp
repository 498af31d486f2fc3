#include "snapins/registry/RegistrySnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/registry/RegistryIds.h"
#include "snapins/registry/ValueEditors.h"

#include <algorithm>
#include <cstring>
#include <iterator>

static_assert(vantrel::CRegistrySnapIn::kId == IDS_SNAPIN_REGISTRY);

namespace vantrel {
namespace {

namespace wire = registry::protocol;
using registry::ChangeTarget;
using registry::KeyAddress;
using registry::KeyNode;
using registry::LoadState;

constexpr wchar_t kSplitterPosition[] = L"SplitterPos";
// Posted to the snap-in window when a label edit has ended with a new name.
constexpr UINT kRenameMessage = WM_APP + 41;

// Tree pictures: the computer, a key (and its open form when selected), a
// cancelled and a failed listing.
constexpr int kComputerImage = 0;
constexpr int kKeyImage = 1;
constexpr int kOpenKeyImage = 2;
constexpr int kCanceledImage = 3;
constexpr int kFailedImage = 4;
// List pictures: texts and everything else.
constexpr int kTextValueImage = 0;
constexpr int kBinaryValueImage = 1;

// A page inserts this many items or more with the tree's drawing off.
constexpr size_t kQuietInsertCount = 32;

enum ValueColumn { kValueName, kValueType, kValueData };
constexpr ReportColumn kValueColumns[] = {{kValueName, IDS_REG_COLUMN_NAME, 180},
                                          {kValueType, IDS_REG_COLUMN_TYPE, 120},
                                          {kValueData, IDS_REG_COLUMN_DATA, 300}};

const ToolBarImage kToolBarImages[] = {{ID_REG_REFRESH, 0}, {ID_REG_NEW, 1},           {ID_REG_DELETE, 2},
                                       {ID_REG_IMPORT, 3},  {ID_REG_EXPORT, 5},        {ID_REG_FIND, 6},
                                       {ID_REG_MODIFY, 10}, {ID_REG_COPY_KEY_NAME, 7}, {ID_REG_ADD_FAVORITE, 8}};

const ListingWire kListingWire = {
    wire::kListCommand,        wire::kItemsNode,        wire::kKeyElement,   wire::kItemsNode,
    ContinueFrom::UpToPlusOne, SuccessValue::Zero,
    /*shortRetValue=*/false,   StartAtForm::Unsigned32, IDS_REG_LIST_FAILED,
    /*readsRetValue=*/true,    wire::kCanceled};

// The value types each "New" command makes.
struct NewValueCommand {
    UINT command;
    uint32_t type;
};
constexpr NewValueCommand kNewValueCommands[] = {{ID_REG_NEW_STRING, wire::kRegSz},
                                                 {ID_REG_NEW_BINARY, wire::kRegBinary},
                                                 {ID_REG_NEW_DWORD, wire::kRegDword},
                                                 {ID_REG_NEW_MULTI_STRING, wire::kRegMultiSz},
                                                 {ID_REG_NEW_EXPAND_STRING, wire::kRegExpandSz}};
// Each command and the state that enables it, in the menus and on the toolbar.
struct CommandState {
    UINT command;
    bool registry::CommandStates::*state;
};
using States = registry::CommandStates;
constexpr CommandState kCommandStates[] = {{ID_REG_NEW, &States::newItem},
                                           {ID_REG_NEW_KEY, &States::newItem},
                                           {ID_REG_NEW_STRING, &States::newItem},
                                           {ID_REG_NEW_BINARY, &States::newItem},
                                           {ID_REG_NEW_DWORD, &States::newItem},
                                           {ID_REG_NEW_MULTI_STRING, &States::newItem},
                                           {ID_REG_NEW_EXPAND_STRING, &States::newItem},
                                           {ID_REG_DELETE, &States::deleteItem},
                                           {ID_REG_RENAME, &States::rename},
                                           {ID_REG_MODIFY, &States::modify},
                                           {ID_REG_COPY_KEY_NAME, &States::copyKeyName},
                                           {ID_REG_ADD_FAVORITE, &States::addToFavorites},
                                           {ID_REG_ORGANIZE_FAVORITES, &States::find},
                                           {ID_REG_IMPORT, &States::import},
                                           {ID_REG_EXPORT, &States::exportKey},
                                           {ID_REG_FIND, &States::find},
                                           {ID_REG_FIND_NEXT, &States::find},
                                           {ID_REG_REFRESH, &States::refresh},
                                           {ID_REG_EXPAND, &States::refresh}};

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::string Encoded(std::u16string_view text) { return EncodeUtf16Base64(text); }

// A name as the tree keeps it: the tree copies the text, which costs less
// under some implementations than answering for each item whenever it is
// measured.
wchar_t* ItemText(const std::u16string& name) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return reinterpret_cast<wchar_t*>(const_cast<char16_t*>(name.c_str()));
}

bool IsTextType(uint32_t type) {
    return type == wire::kRegSz || type == wire::kRegExpandSz || type == wire::kRegMultiSz;
}

// A label editor of the tree or the list is open.
bool EditingLabel(HWND tree, HWND list) {
    return (tree && ::SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0)) ||
           (list && ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
}

}  // namespace

CRegistrySnapIn::CRegistrySnapIn(ISnapInHost* host)
    : CSnapInBase(host), listing_(*this, *this, kListingWire), list_(*this, L"ValuesList") {}

CRegistrySnapIn::~CRegistrySnapIn() {
    *lifetime_ = false;
    DestroySnapInWindow();
}

// ---- window ------------------------------------------------------------------------

void CRegistrySnapIn::OnCreateWindow() {
    dataTexts_ = {ToU16(LoadStringW(IDS_REG_VALUE_NOT_SET)), ToU16(LoadStringW(IDS_REG_ZERO_LENGTH_BINARY))};
    // What the panes report goes straight to the snap-in's window.
    SplitterOptions options;
    options.axis = SplitAxis::SideBySide;
    if (!splitter_.Create(Window(), IDC_REG_PANES, Window(), options)) return;
    CreateTree();
    CreateList();
    if (!tree_ || !list_.Handle()) return;
    splitter_.SetPanes(tree_, list_.Handle());
    splitter_.SetPosition(splitterPosition_);
    SetMainChild(splitter_.Handle());
    RECT client = {};
    GetClientRect(Window(), &client);
    MoveWindow(splitter_.Handle(), 0, 0, client.right, client.bottom, FALSE);
    ShowWindow(splitter_.Handle(), SW_SHOWNA);
    CreateToolBar(kToolBarImages, static_cast<int32_t>(std::size(kToolBarImages)));
    SetDropDownButton(ID_REG_NEW);
    CreateFavoritesBar();
    InsertTopNode();
}

void CRegistrySnapIn::CreateTree() {
    ActivationScope scope;
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_HASLINES |
                                TVS_LINESATROOT | TVS_EDITLABELS | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS,
                            0, 0, 0, 0, splitter_.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_REG_TREE)),
                            ModuleInstance(), nullptr);
    if (!tree_) return;
    treeImages_.reset(LoadImageStrip(L"IDB_SNAP_RGS_TREEICONS", 16, ILC_COLOR24));
    ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages_.get()));
}

void CRegistrySnapIn::CreateList() {
    constexpr DWORD kStyle = WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                             LVS_EDITLABELS | LVS_NOSORTHEADER;
    if (!list_.Create(splitter_.Handle(), IDC_REG_LIST, kStyle, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP)) return;
    list_.SetColumns(kValueColumns);
    list_.SetImages(LoadImageStrip(L"IDB_SNAP_RGS_LISTICONS", 16, ILC_COLOR24));
}

void CRegistrySnapIn::InsertTopNode() {
    HostText prefix = {};
    const char* title = Host()->GetTitlePrefix(&prefix);
    model_.SetComputerName(registry::ComputerNameFromTitle(ToU16(AnsiToWide(title ? title : ""))));
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = ItemText(model_.Top().Name());
    insert.item.iImage = insert.item.iSelectedImage = kComputerImage;
    insert.item.lParam = reinterpret_cast<LPARAM>(&model_.Top());
    auto item =
        reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    model_.Top().item = reinterpret_cast<uintptr_t>(item);
    // Selected without a word in the status bar: the window is made before
    // the tool is shown.
    ++quiet_;
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    --quiet_;
    ShowValuesOf(&model_.Top());
}

LRESULT CRegistrySnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (lParam && OnNotify(reinterpret_cast<const NMHDR*>(lParam), &result)) return result;
        break;
    }
    case WM_CONTEXTMENU: {
        const auto from = reinterpret_cast<HWND>(wParam);
        if (tree_ && from == tree_) {
            HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
            POINT screen = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (lParam != -1) {
                // A right click chooses the key it is on.
                TVHITTESTINFO hit = {};
                hit.pt = screen;
                ScreenToClient(tree_, &hit.pt);
                if (HTREEITEM under = reinterpret_cast<HTREEITEM>(
                        ::SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
                    under && (hit.flags & TVHT_ONITEM)) {
                    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(under));
                    item = under;
                }
            } else {
                screen = TreeMenuPoint(item);
            }
            if (item) ShowTreeMenu(item, screen);
            return 0;
        }
        if (list_.Handle() && from == list_.Handle()) {
            ShowListMenu(list_.ContextMenuPoint(lParam));
            return 0;
        }
        break;
    }
    case WM_SETFOCUS:
        if (HWND pane = listFocused_ ? list_.Handle() : tree_) SetFocus(pane);
        return 0;
    case kRenameMessage:
        if (std::optional<RenameRequest> rename = std::exchange(rename_, std::nullopt)) TryRename(*rename);
        return 0;
    case WM_DESTROY:
        // The panes go with this window; the model stays for a window made again.
        tree_ = nullptr;
        shownNode_ = nullptr;
        list_.Detach();
        break;
    default:
        break;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

bool CRegistrySnapIn::OnNotify(const NMHDR* header, LRESULT* result) {
    if (tree_ && header->hwndFrom == tree_) return OnTreeNotify(header, result);
    if (!list_.Handle() || header->hwndFrom != list_.Handle()) return false;
    if (header->code == NM_SETFOCUS) {
        listFocused_ = true;
        UpdateCommands();
    }
    if (OnListLabelNotify(header, result)) return true;
    return list_.HandleNotify(header, result);
}

bool CRegistrySnapIn::OnTreeNotify(const NMHDR* header, LRESULT* result) {
    switch (header->code) {
    case TVN_SELCHANGEDW:
        if (quiet_ == 0) OnKeySelected(NodeOf(reinterpret_cast<const NMTREEVIEWW*>(header)->itemNew.hItem));
        return true;
    case TVN_ITEMEXPANDINGW: {
        auto change = reinterpret_cast<const NMTREEVIEWW*>(header);
        if (change->action & TVE_EXPAND) OnExpanding(change->itemNew.hItem);
        *result = FALSE;
        return true;
    }
    case TVN_BEGINLABELEDITW: {
        // The computer, the root keys and placeholders keep their names.
        const KeyNode* node = NodeOf(reinterpret_cast<const NMTVDISPINFOW*>(header)->item.hItem);
        *result = IsBusy() || !node || node->IsTop() || node->IsRootKey();
        return true;
    }
    case TVN_ENDLABELEDITW: {
        auto edit = reinterpret_cast<const NMTVDISPINFOW*>(header);
        const KeyNode* node = NodeOf(edit->item.hItem);
        if (node && edit->item.pszText && node->Parent())
            QueueRename({false, AddressOf(*node->Parent()), node->Name(), ToU16(edit->item.pszText)});
        *result = FALSE;  // the name changes when the machine says so
        return true;
    }
    case NM_SETFOCUS:
        listFocused_ = false;
        UpdateCommands();
        return true;
    default:
        return false;
    }
}

bool CRegistrySnapIn::OnListLabelNotify(const NMHDR* header, LRESULT* result) {
    const auto edit = reinterpret_cast<const NMLVDISPINFOW*>(header);
    const bool valid =
        shownNode_ && edit->item.iItem >= 0 && static_cast<size_t>(edit->item.iItem) < shownNode_->Values().size();
    switch (header->code) {
    case LVN_BEGINLABELEDITW:
        // The default value keeps its (empty) name.
        *result = IsBusy() || !valid || shownNode_->Values()[static_cast<size_t>(edit->item.iItem)].name.empty();
        return true;
    case LVN_ENDLABELEDITW:
        if (valid && edit->item.pszText)
            QueueRename({true, AddressOf(*shownNode_), shownNode_->Values()[static_cast<size_t>(edit->item.iItem)].name,
                         ToU16(edit->item.pszText)});
        *result = FALSE;
        return true;
    default:
        return false;
    }
}

// ---- the value list -------------------------------------------------------------------

std::wstring CRegistrySnapIn::CellText(int row, int column) {
    if (!shownNode_ || row < 0 || static_cast<size_t>(row) >= shownNode_->Values().size()) return {};
    const registry::ValueRecord& value = shownNode_->Values()[static_cast<size_t>(row)];
    switch (column) {
    case kValueName:
        return value.name.empty() ? LoadStringW(IDS_REG_DEFAULT_VALUE) : ToWide(value.name);
    case kValueType:
        return ToWide(registry::TypeName(value.type));
    default:
        return ToWide(registry::DataText(value, dataTexts_));
    }
}

int CRegistrySnapIn::RowImage(int row) {
    if (!shownNode_ || row < 0 || static_cast<size_t>(row) >= shownNode_->Values().size()) return I_IMAGENONE;
    return IsTextType(shownNode_->Values()[static_cast<size_t>(row)].type) ? kTextValueImage : kBinaryValueImage;
}

void CRegistrySnapIn::OnRowActivated(int row) { ModifyValue(row); }

void CRegistrySnapIn::ModifyValue(int row) {
    if (IsBusy() || !shownNode_ || row < 0 || static_cast<size_t>(row) >= shownNode_->Values().size()) return;
    // A copy: the editor is a modal loop in which answers may change the list.
    const registry::ValueRecord value = shownNode_->Values()[static_cast<size_t>(row)];
    std::optional<registry::Bytes> data =
        registry::EditValueData(Window(), {value.name, value.type, value.data}, Host()->GetRemotePlatform());
    if (data) ChangeValueData(value.name, value.type, std::move(*data));
}

void CRegistrySnapIn::ShowValuesOf(KeyNode* node) {
    shownNode_ = node;
    // Emptied first, so that no selection or scroll position of another key stays.
    list_.SetRowCount(0);
    if (node) list_.SetRowCount(static_cast<int>(node->Values().size()));
    UpdateCommands();
}

// ---- tree ----------------------------------------------------------------------------

KeyNode* CRegistrySnapIn::NodeOf(HTREEITEM item) const {
    if (!tree_ || !item) return nullptr;
    TVITEMW query = {};
    query.mask = TVIF_PARAM | TVIF_HANDLE;
    query.hItem = item;
    if (!::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
    return reinterpret_cast<KeyNode*>(query.lParam);
}

KeyNode* CRegistrySnapIn::SelectedNode() const {
    if (!tree_) return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

HTREEITEM CRegistrySnapIn::ItemOf(const KeyNode& node) const { return reinterpret_cast<HTREEITEM>(node.item); }

HTREEITEM CRegistrySnapIn::InsertKeyItem(KeyNode& key) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = key.Parent() ? ItemOf(*key.Parent()) : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = ItemText(key.Name());
    insert.item.iImage = kKeyImage;
    insert.item.iSelectedImage = kOpenKeyImage;
    insert.item.lParam = reinterpret_cast<LPARAM>(&key);
    auto item =
        reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    key.item = reinterpret_cast<uintptr_t>(item);
    if (item && key.HasChildren()) {
        // A child without a node: the key shows its button until it is listed.
        insert.hParent = item;
        insert.item.pszText = const_cast<wchar_t*>(L"");
        insert.item.lParam = 0;
        ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
    return item;
}

void CRegistrySnapIn::InsertKeyItems(KeyNode& parent, const std::vector<KeyNode*>& keys) {
    if (!tree_ || !parent.item || keys.empty()) return;
    const bool quietly = keys.size() >= kQuietInsertCount;
    if (quietly) ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    for (KeyNode* key : keys) InsertKeyItem(*key);
    if (quietly) {
        ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree_, nullptr, TRUE);
    }
}

void CRegistrySnapIn::DeletePlaceholder(const KeyNode& node) {
    if (!tree_ || !node.item) return;
    HTREEITEM child = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, node.item));
    while (child) {
        HTREEITEM next = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
        if (!NodeOf(child)) ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
        child = next;
    }
}

void CRegistrySnapIn::SetKeyImages(const KeyNode& node, int image, int selected) {
    if (!tree_ || !node.item || node.IsTop()) return;  // the computer keeps its picture
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = ItemOf(node);
    item.iImage = image;
    item.iSelectedImage = selected;
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CRegistrySnapIn::SelectQuietly(HTREEITEM item) {
    if (!tree_ || !item) return;
    ++quiet_;
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    --quiet_;
    KeyNode* node = NodeOf(item);
    SetStatusPart(0, node ? ToWide(registry::FullPath(*node)) : std::wstring());
    ShowValuesOf(node);
}

void CRegistrySnapIn::OnKeySelected(KeyNode* node) {
    SetStatusPart(0, node ? ToWide(registry::FullPath(*node)) : std::wstring());
    ShowValuesOf(node);
    if (node && node->State() == LoadState::NotLoaded) ListKey(*node);
}

void CRegistrySnapIn::OnExpanding(HTREEITEM item) {
    KeyNode* node = NodeOf(item);
    if (!node || node->IsTop()) return;
    HTREEITEM child =
        reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    const bool onlyPlaceholder =
        child && !NodeOf(child) && !::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child));
    if (!onlyPlaceholder) return;
    ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
    expandWhenListed_ = AddressOf(*node);
    if (node->State() != LoadState::Requested) ListKey(*node);
}

void CRegistrySnapIn::ExpandItem(HTREEITEM item) {
    if (tree_ && item) ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

void CRegistrySnapIn::ClearNode(KeyNode& node) {
    if (tree_ && node.item) {
        // The selection leaves the items that go before they go.
        if (KeyNode* selected = SelectedNode(); selected && selected != &node && selected->IsWithin(&node))
            SelectQuietly(ItemOf(node));
        const bool quietly = node.Children().size() >= kQuietInsertCount;
        if (quietly) ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
        ++quiet_;
        while (HTREEITEM child =
                   reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, node.item)))
            ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
        --quiet_;
        if (quietly) ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    }
    if (shownNode_ && shownNode_ != &node && shownNode_->IsWithin(&node)) ShowValuesOf(nullptr);
    node.ClearContents();
    if (shownNode_ == &node) list_.SetRowCount(0);
}

// ---- listing ----------------------------------------------------------------------------

void CRegistrySnapIn::ListKey(KeyNode& node) {
    if (!tree_) return;
    const KeyAddress address = AddressOf(node);
    if (listing_.Running() && listed_) {
        if (*listed_ == address && node.State() == LoadState::Requested && firstPagePending_) return;
        // The listing it replaces ends as cancelled: its key can be listed again.
        if (KeyNode* previous = model_.Find(*listed_); previous && previous != &node) {
            previous->SetState(LoadState::Canceled);
            SetKeyImages(*previous, kCanceledImage, kCanceledImage);
        }
    }
    listed_ = address;
    node.SetState(LoadState::Requested);
    listing_.Start();
}

void CRegistrySnapIn::AddRequestAttributes(CXmlElement& element) {
    const KeyAddress address = listed_.value_or(KeyAddress{});
    element.AddAttribute(wire::kAttrKey, std::to_string(address.rootKey));
    element.AddAttribute(wire::kAttrSubKey, Encoded(address.path));
}

void CRegistrySnapIn::OnListingStarted() {
    firstPagePending_ = true;
    if (KeyNode* node = listed_ ? model_.Find(*listed_) : nullptr) node->SetState(LoadState::Requested);
}

bool CRegistrySnapIn::MergePage(const CXmlElement& root) {
    KeyNode* node = listed_ ? model_.Find(*listed_) : nullptr;
    if (!node) return true;  // the key has gone since: its pages are dropped
    registry::ListingPage page = registry::ReadListingPage(root, node->IsTop());
    // A key listed again starts empty: nothing it held is added twice.
    if (std::exchange(firstPagePending_, false)) ClearNode(*node);
    const registry::MergedPage merged = registry::MergePage(*node, std::move(page));
    InsertKeyItems(*node, merged.keys);
    if (node == shownNode_ && !merged.values.empty()) list_.SetRowCount(static_cast<int>(node->Values().size()));
    return true;
}

void CRegistrySnapIn::OnListingEnded(ListingEnd end) {
    KeyNode* node = listed_ ? model_.Find(*listed_) : nullptr;
    const bool expand = node && expandWhenListed_ && *expandWhenListed_ == *listed_;
    if (expand) expandWhenListed_.reset();
    if (!node) {
        walk_.reset();
        return;
    }
    switch (end) {
    case ListingEnd::Done:
        node->SetState(LoadState::Loaded);
        SetKeyImages(*node, kKeyImage, kOpenKeyImage);
        if (expand || node->IsTop()) ExpandItem(ItemOf(*node));
        continueWalk_ = walk_.has_value();
        break;
    case ListingEnd::Canceled:
        node->SetState(LoadState::Canceled);
        SetKeyImages(*node, kCanceledImage, kCanceledImage);
        walk_.reset();
        break;
    case ListingEnd::Failed:
        node->SetState(LoadState::Failed);
        SetKeyImages(*node, kFailedImage, kFailedImage);
        if (std::exchange(walk_, std::nullopt)) {
            SetFocus(tree_);
            ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(ItemOf(*node)));
        }
        break;
    }
}

// ---- the walk -------------------------------------------------------------------------------

void CRegistrySnapIn::NavigateTo(registry::NavigationTarget target) {
    walk_ = std::move(target);
    ContinueWalk();
}

void CRegistrySnapIn::ContinueWalk() {
    if (!walk_ || !tree_) return;
    const registry::WalkStep step = registry::StepTowards(model_, *walk_);
    for (KeyNode* passed : step.passed) ExpandItem(ItemOf(*passed));
    switch (step.kind) {
    case registry::WalkStep::Kind::List:
        ListKey(*step.node);
        break;
    case registry::WalkStep::Kind::Wait:
        break;
    case registry::WalkStep::Kind::Missing:
        walk_.reset();
        ShowErrorText(FormatMessageString(LoadStringW(IDS_REG_KEY_NOT_FOUND), ToWide(step.missing)), 0);
        break;
    case registry::WalkStep::Kind::Arrived: {
        const registry::NavigationTarget target = *std::exchange(walk_, std::nullopt);
        SetFocus(tree_);
        ::SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(ItemOf(*step.node)));
        ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(ItemOf(*step.node)));
        if (SelectedNode() != step.node) SelectQuietly(ItemOf(*step.node));
        if (!target.isValue) break;
        if (const std::optional<size_t> row = step.node->FindValue(target.valueName)) {
            SetFocus(list_.Handle());
            list_.SelectRow(static_cast<int>(*row));
        }
        break;
    }
    }
}

void CRegistrySnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    if (command == wire::kListCommand)
        listing_.OnAnswer(answer, root);
    else if (registry::ChangeRequests::Tracks(command))
        OnChangeAnswer(command, answer, root);
    else if (command == wire::kFindCommand)
        OnFindAnswer(answer, root);
    else if (command == wire::kImportCommand)
        OnImportAnswer(answer, root);
    else if (command == wire::kExportCommand)
        OnExportAnswer(answer, root);
    else
        CSnapInBase::HandleAnswer(command, answer, root);
    // The walk goes on once the listing that it waited for has ended its busy state.
    if (std::exchange(continueWalk_, false)) ContinueWalk();
}

// ---- commands -------------------------------------------------------------------------------

void CRegistrySnapIn::OnCommand(UINT command) {
    for (const NewValueCommand& entry : kNewValueCommands)
        if (entry.command == command) return CreateValue(entry.type);
    switch (command) {
    case ID_REG_REFRESH:
        Refresh();
        break;
    case ID_REG_NEW:
        OnToolBarDropDown(ID_REG_NEW);
        break;
    case ID_REG_NEW_KEY:
        CreateKey();
        break;
    case ID_REG_DELETE:
        DeleteSelected();
        break;
    case ID_REG_RENAME:
        RenameSelected();
        break;
    case ID_REG_COPY_KEY_NAME:
        CopyKeyName();
        break;
    case ID_REG_EXPAND:
        ToggleExpand();
        break;
    case ID_REG_FIND:
        Find(true);
        break;
    case ID_REG_FIND_NEXT:
        Find(false);
        break;
    case ID_REG_MODIFY:
        if (registry::EnabledCommands(CurrentSelection()).modify) ModifyValue(list_.SelectedRow().value_or(-1));
        break;
    case ID_REG_IMPORT:
        ImportFile();
        break;
    case ID_REG_EXPORT:
        ExportKey();
        break;
    case ID_REG_ADD_FAVORITE:
        AddToFavorites();
        break;
    case ID_REG_GO_TO_FAVORITE:
        GoToChosenFavorite();
        break;
    case ID_REG_ORGANIZE_FAVORITES:
        OrganizeFavorites();
        break;
    default:
        break;
    }
}

void CRegistrySnapIn::OnToolBarDropDown(int command) {
    if (command != ID_REG_NEW || IsBusy()) return;
    ShowMenu(IDM_REG_NEW, DropDownPoint(command));
}

void CRegistrySnapIn::Refresh() {
    if (IsBusy()) return;
    if (KeyNode* node = SelectedNode()) ListKey(*node);
}

void CRegistrySnapIn::ToggleExpand() {
    HTREEITEM item =
        tree_ ? reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0)) : nullptr;
    if (!item) return;
    const bool expanded =
        ::SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED;
    // The message alone does not say "expanding" everywhere: the placeholder is dealt with here.
    if (!expanded) OnExpanding(item);
    ::SendMessageW(tree_, TVM_EXPAND, expanded ? TVE_COLLAPSE : TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

bool CRegistrySnapIn::SendChange(uint32_t command, ChangeTarget target) {
    if (IsBusy() || !changes_.Remember(command, target)) return false;
    Request request(*this, command, 1);
    const auto text = [&](const char* name, std::u16string_view value) {
        request.Field(name).SetString(Encoded(value).c_str());
    };
    const auto holder = [&] {
        request.Field(wire::kKeyNode).SetLong(static_cast<int32_t>(target.holder.rootKey));
        text(wire::kSubkeyNode, target.holder.path);
    };
    const auto data = [&] {
        request.Field(wire::kValTypeNode).SetLong(static_cast<int32_t>(target.type));
        request.Field(wire::kValSizeNode).SetLong(static_cast<int32_t>(target.data.size()));
        request.Field(wire::kValueNode).SetString(Base64Encode(target.data.data(), target.data.size()).c_str());
    };
    switch (command) {
    case wire::kRenameCommand:
        request.Field(wire::kIsValueNode).SetBool(target.isValue ? 1 : 0);
        holder();
        text(wire::kNameNode, target.name);
        text(wire::kNewNameNode, target.newName);
        break;
    case wire::kDeleteCommand:
        holder();
        request.Field(wire::kIsValueNode).SetBool(target.isValue ? 1 : 0);
        text(wire::kNameNode, target.name);
        break;
    case wire::kCreateKeyCommand:
        holder();
        text(wire::kNameNode, target.name);
        break;
    default:  // 505 and 506
        holder();
        text(wire::kNameNode, target.name);
        data();
        break;
    }
    if (!request.Send()) {
        changes_.Forget(command);
        return false;
    }
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

void CRegistrySnapIn::CreateKey() {
    const KeyNode* parent = SelectedNode();
    if (!parent || parent->IsTop()) return;
    SendChange(wire::kCreateKeyCommand,
               {.holder = AddressOf(*parent), .name = ToU16(LoadStringW(IDS_REG_NEW_KEY_TEMPLATE))});
}

void CRegistrySnapIn::CreateValue(uint32_t type) {
    const KeyNode* parent = SelectedNode();
    if (!parent || parent->IsTop()) return;
    SendChange(wire::kCreateValueCommand, {AddressOf(*parent),
                                           true,
                                           ToU16(LoadStringW(IDS_REG_NEW_VALUE_TEMPLATE)),
                                           {},
                                           type,
                                           registry::InitialData(type)});
}

bool CRegistrySnapIn::ChangeValueData(const std::u16string& name, uint32_t type, std::vector<uint8_t> data) {
    const KeyNode* node = SelectedNode();
    if (!node || node != shownNode_ || !node->FindValue(name)) return false;
    return SendChange(wire::kSetValueCommand, {AddressOf(*node), true, name, {}, type, std::move(data)});
}

bool CRegistrySnapIn::Confirm(bool isValue) {
    const std::wstring text = LoadStringW(isValue ? IDS_REG_CONFIRM_VALUE_DELETE : IDS_REG_CONFIRM_KEY_DELETE);
    const std::wstring caption = LoadStringW(isValue ? IDS_REG_CONFIRM_VALUE_CAPTION : IDS_REG_CONFIRM_KEY_CAPTION);
    MSGBOXPARAMSW box = {};
    box.cbSize = sizeof(box);
    box.hwndOwner = Window();
    box.lpszText = text.c_str();
    box.lpszCaption = caption.c_str();
    box.dwStyle = MB_YESNOCANCEL | MB_ICONWARNING | MB_HELP;
    box.dwContextHelpId = IDH_REG_CONFIRM_DELETE;
    ActivationScope scope;
    return MessageBoxIndirectW(&box) == IDYES;
}

void CRegistrySnapIn::DeleteSelected() {
    const registry::CommandStates states = registry::EnabledCommands(CurrentSelection());
    if (!states.deleteItem) return;
    // What is deleted is decided now, by address and name: the box is a modal loop.
    ChangeTarget target;
    if (listFocused_) {
        const std::optional<int> row = list_.SelectedRow();
        if (!shownNode_ || !row || static_cast<size_t>(*row) >= shownNode_->Values().size()) return;
        target = {.holder = AddressOf(*shownNode_),
                  .isValue = true,
                  .name = shownNode_->Values()[static_cast<size_t>(*row)].name};
    } else {
        const KeyNode* node = SelectedNode();
        if (!node || !node->Parent()) return;
        target = {.holder = AddressOf(*node->Parent()), .name = node->Name()};
    }
    const std::weak_ptr<bool> alive = lifetime_;
    if (!Confirm(target.isValue) || alive.expired()) return;
    SendChange(wire::kDeleteCommand, std::move(target));
}

void CRegistrySnapIn::RenameSelected() {
    if (!registry::EnabledCommands(CurrentSelection()).rename) return;
    if (listFocused_) {
        if (const std::optional<int> row = list_.SelectedRow()) {
            SetFocus(list_.Handle());
            ::SendMessageW(list_.Handle(), LVM_EDITLABELW, static_cast<WPARAM>(*row), 0);
        }
        return;
    }
    if (const KeyNode* node = SelectedNode()) {
        SetFocus(tree_);
        ::SendMessageW(tree_, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(ItemOf(*node)));
    }
}

void CRegistrySnapIn::QueueRename(RenameRequest rename) {
    rename_ = std::move(rename);
    PostMessageW(Window(), kRenameMessage, 0, 0);
}

void CRegistrySnapIn::TryRename(const RenameRequest& rename) {
    // The item is looked up again: the model may have changed since the edit.
    const KeyNode* holder = model_.Find(rename.holder);
    if (!holder) return;
    bool renamable = false;
    bool sibling = false;
    if (rename.isValue) {
        const std::optional<size_t> self = holder->FindValue(rename.oldName);
        const std::optional<size_t> other = holder->FindValue(rename.newName);
        renamable = self && !rename.oldName.empty();
        sibling = other && other != self;
    } else {
        const KeyNode* self = holder->FindChild(rename.oldName);
        const KeyNode* other = holder->FindChild(rename.newName);
        renamable = self && !self->IsTop() && !self->IsRootKey();
        sibling = other && other != self;
    }
    const std::wstring old = ToWide(rename.oldName);
    switch (registry::CheckRename(rename.isValue, renamable, rename.oldName, rename.newName, sibling)) {
    case registry::RenameCheck::Send:
        SendChange(
            wire::kRenameCommand,
            {.holder = rename.holder, .isValue = rename.isValue, .name = rename.oldName, .newName = rename.newName});
        break;
    case registry::RenameCheck::EmptyValueName:
        ShowErrorText(FormatMessageString(LoadStringW(IDS_REG_EMPTY_VALUE_NAME), old), 0);
        break;
    case registry::RenameCheck::EmptyKeyName:
        ShowErrorText(FormatMessageString(LoadStringW(IDS_REG_EMPTY_KEY_NAME), old), 0);
        break;
    case registry::RenameCheck::Backslash:
        ShowErrorText(FormatMessageString(LoadStringW(IDS_REG_KEY_BACKSLASH), old), 0);
        break;
    case registry::RenameCheck::KeyExists:
        ShowErrorText(
            FormatMessageStrings(LoadStringW(IDS_REG_RENAME_KEY_FAILED), old, LoadStringW(IDS_REG_KEY_EXISTS)), 0);
        break;
    case registry::RenameCheck::ValueExists:
        ShowErrorText(
            FormatMessageStrings(LoadStringW(IDS_REG_RENAME_VALUE_FAILED), old, LoadStringW(IDS_REG_VALUE_EXISTS)), 0);
        break;
    case registry::RenameCheck::Unchanged:
    case registry::RenameCheck::NotRenamable:
        break;
    }
}

void CRegistrySnapIn::CopyKeyName() {
    const KeyNode* node = SelectedNode();
    if (!node || node->IsTop() || !OpenClipboard(Window())) return;
    const std::wstring path = ToWide(registry::FullPath(*node));
    EmptyClipboard();
    const size_t bytes = (path.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, path.c_str(), bytes);
            GlobalUnlock(memory);
            // The clipboard owns the memory once it has taken it.
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

// ---- answers of 502 to 506 ---------------------------------------------------------------------

void CRegistrySnapIn::OnChangeAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    const std::optional<ChangeTarget> target = changes_.Take(command);
    if (!target) return;  // the base counted it: nothing of ours was waiting
    if (!tree_) {
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    if (root.Child(kRetValueNode)->GetLong() != wire::kSuccess) {
        // Nothing was changed before the answer, so nothing needs undoing.
        EndBusy(IDS_STATUS_FAILED);
        ShowChangeFailure(command, *target, root, answer);
        return;
    }
    EndBusy(IDS_STATUS_SUCCESS);
    switch (command) {
    case wire::kRenameCommand:
        ApplyRename(*target);
        break;
    case wire::kDeleteCommand:
        ApplyDelete(*target);
        break;
    case wire::kCreateKeyCommand:
        ApplyCreatedKey(*target, DecodeUtf16Base64(root.Child(wire::kNameNode)->GetString()));
        break;
    case wire::kCreateValueCommand:
        ApplyCreatedValue(*target, root);
        break;
    default:
        ApplyValueData(*target);
        break;
    }
}

void CRegistrySnapIn::ShowChangeFailure(uint32_t command, const ChangeTarget& target, IMessageNode& root,
                                        IHostMessage& answer) {
    const std::wstring name =
        target.isValue && target.name.empty() ? LoadStringW(IDS_REG_DEFAULT_VALUE) : ToWide(target.name);
    UINT message = 0;
    switch (command) {
    case wire::kCreateKeyCommand:
        return ShowAnswerError(&answer, IDS_REG_CREATE_KEY_FAILED, 0);
    case wire::kCreateValueCommand:
        return ShowAnswerError(&answer, IDS_REG_CREATE_VALUE_FAILED, 0);
    case wire::kRenameCommand:
        message = target.isValue ? IDS_REG_RENAME_VALUE_FAILED : IDS_REG_RENAME_KEY_FAILED;
        break;
    case wire::kDeleteCommand:
        message = target.isValue ? IDS_REG_DELETE_VALUE_FAILED : IDS_REG_DELETE_KEY_FAILED;
        break;
    default:
        message = IDS_REG_CHANGE_VALUE_FAILED;
        break;
    }
    ShowErrorText(FormatMessageStrings(LoadStringW(message), name, ErrorTextOf(root)), 0);
}

void CRegistrySnapIn::ApplyRename(const ChangeTarget& target) {
    KeyNode* holder = model_.Find(target.holder);
    if (!holder) return;
    if (target.isValue) {
        const std::optional<size_t> row = holder->FindValue(target.name);
        if (row && holder->RenameValue(target.name, target.newName) && holder == shownNode_)
            list_.RedrawRows(static_cast<int>(*row), static_cast<int>(*row));
        return;
    }
    KeyNode* key = holder->FindChild(target.name);
    if (!key || !holder->RenameChild(key, target.newName)) return;
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT;
    item.hItem = ItemOf(*key);
    item.pszText = ItemText(key->Name());
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (KeyNode* selected = SelectedNode(); selected && selected->IsWithin(key))
        SetStatusPart(0, ToWide(registry::FullPath(*selected)));
}

void CRegistrySnapIn::ApplyDelete(const ChangeTarget& target) {
    KeyNode* holder = model_.Find(target.holder);
    if (!holder) return;
    if (target.isValue) {
        if (holder->RemoveValue(target.name) && holder == shownNode_) ShowValuesOf(holder);
        return;
    }
    KeyNode* key = holder->FindChild(target.name);
    if (!key) return;
    if (KeyNode* selected = SelectedNode(); selected && selected->IsWithin(key)) SelectQuietly(ItemOf(*holder));
    if (shownNode_ && shownNode_->IsWithin(key)) ShowValuesOf(nullptr);
    ++quiet_;
    ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(ItemOf(*key)));
    --quiet_;
    holder->RemoveChild(key);
}

void CRegistrySnapIn::ApplyCreatedKey(const ChangeTarget& target, std::u16string name) {
    KeyNode* parent = model_.Find(target.holder);
    if (!parent) return;
    // A key that was never listed would not be listed on expanding once it
    // has a real child: its placeholder goes, the new key is added.
    DeletePlaceholder(*parent);
    KeyNode* key = parent->AddChild(std::move(name), false, parent->RootKey());
    if (!key) {
        ListKey(*parent);  // a name the view cannot hold: show what the machine has
        return;
    }
    key->SetState(LoadState::Loaded);  // new: nothing to list
    HTREEITEM item = InsertKeyItem(*key);
    ExpandItem(ItemOf(*parent));
    SetFocus(tree_);
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ::SendMessageW(tree_, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item));
}

void CRegistrySnapIn::ApplyCreatedValue(const ChangeTarget& target, IMessageNode& root) {
    KeyNode* node = model_.Find(target.holder);
    if (!node) return;
    registry::ValueRecord value;
    value.name = DecodeUtf16Base64(root.Child(wire::kNameNode)->GetString());
    value.type = static_cast<uint32_t>(root.Child(wire::kValTypeNode)->GetLong());
    // The decoded bytes are the data, whatever "ValSize" says.
    if (const char* data = root.Child(wire::kValueNode)->GetString()) value.data = Base64Decode(data);
    const std::optional<size_t> row = node->AddValue(std::move(value));
    if (!row || node != shownNode_) return;
    list_.SetRowCount(static_cast<int>(node->Values().size()));
    SetFocus(list_.Handle());
    list_.SelectRow(static_cast<int>(*row));
    ::SendMessageW(list_.Handle(), LVM_EDITLABELW, static_cast<WPARAM>(*row), 0);
}

void CRegistrySnapIn::ApplyValueData(const ChangeTarget& target) {
    KeyNode* node = model_.Find(target.holder);
    if (!node) return;
    const std::optional<size_t> row = node->FindValue(target.name);
    if (!row || !node->SetValueData(target.name, target.type, target.data)) return;
    if (node != shownNode_) return;
    list_.RedrawRows(static_cast<int>(*row), static_cast<int>(*row));
    // The machine may store the data otherwise than it was sent: show what it has.
    if (SelectedNode() == node) ListKey(*node);
}

// ---- enabling and menus ----------------------------------------------------------------------

registry::Selection CRegistrySnapIn::CurrentSelection() const {
    registry::Selection selection;
    const KeyNode* node = SelectedNode();
    selection.key = node != nullptr;
    selection.top = node && node->IsTop();
    selection.rootKey = node && node->IsRootKey();
    selection.listFocused = listFocused_;
    const std::optional<int> row = list_.Handle() ? list_.SelectedRow() : std::nullopt;
    const bool rowValid = shownNode_ && row && *row >= 0 && static_cast<size_t>(*row) < shownNode_->Values().size();
    selection.value = rowValid;
    selection.defaultValue = rowValid && shownNode_->Values()[static_cast<size_t>(*row)].name.empty();
    selection.busy = IsBusy();
    selection.platform = Host()->GetRemotePlatform();
    return selection;
}

void CRegistrySnapIn::ApplyStates(HMENU menu, const registry::CommandStates& states) {
    if (!menu) return;
    for (const CommandState& entry : kCommandStates)
        EnableMenuItem(menu, entry.command, MF_BYCOMMAND | (states.*entry.state ? MF_ENABLED : MF_GRAYED));
}

void CRegistrySnapIn::UpdateCommands() {
    if (!tree_) return;
    const registry::CommandStates states = registry::EnabledCommands(CurrentSelection());
    if (HMENU menu = SnapInMenu()) {
        HMENU popup = GetSubMenu(menu, 0);
        ApplyStates(popup, states);
        // The "New" submenu's own item follows its commands.
        for (int i = 0, n = popup ? GetMenuItemCount(popup) : 0; i < n; ++i)
            if (HMENU sub = GetSubMenu(popup, i); sub && GetMenuItemID(sub, 0) == ID_REG_NEW_KEY)
                EnableMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (states.newItem ? MF_ENABLED : MF_GRAYED));
    }
    // Buttons the toolbar does not have are left alone by the control.
    if (HWND bar = ToolBar())
        for (const CommandState& entry : kCommandStates)
            ::SendMessageW(bar, TB_ENABLEBUTTON, entry.command, MAKELONG(states.*entry.state ? TRUE : FALSE, 0));
}

void CRegistrySnapIn::ShowMenu(UINT menuId, POINT screen) {
    UniqueMenu menu = LoadMenuResource(menuId);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    ApplyStates(popup, registry::EnabledCommands(CurrentSelection()));
    TrackMenu(popup, screen);
}

void CRegistrySnapIn::ShowTreeMenu(HTREEITEM item, POINT screen) {
    const KeyNode* node = NodeOf(item);
    if (!node) return;
    listFocused_ = false;
    UniqueMenu menu = LoadMenuResource(node->IsTop() || node->IsRootKey() ? IDM_REG_ROOT : IDM_REG_KEY);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    const bool expanded =
        ::SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED;
    std::wstring text = LoadStringW(expanded ? IDS_REG_MENU_COLLAPSE : IDS_REG_MENU_EXPAND);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    SetMenuItemInfoW(popup, ID_REG_EXPAND, FALSE, &info);
    const registry::CommandStates states = registry::EnabledCommands(CurrentSelection());
    ApplyStates(popup, states);
    for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i)
        if (GetSubMenu(popup, i))
            EnableMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (states.newItem ? MF_ENABLED : MF_GRAYED));
    TrackMenu(popup, screen);
}

void CRegistrySnapIn::ShowListMenu(POINT screen) {
    listFocused_ = true;
    const bool row = shownNode_ && list_.SelectedRow().has_value();
    // Outside the rows the list offers what can be made in its key.
    ShowMenu(row ? IDM_REG_VALUE : IDM_REG_NEW, screen);
}

POINT CRegistrySnapIn::TreeMenuPoint(HTREEITEM item) const {
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT rect = {};
    static_assert(sizeof(item) <= sizeof(rect));
    std::memcpy(&rect, &item, sizeof(item));
    POINT point = {0, 0};
    if (item && ::SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)))
        point = {rect.left, rect.bottom};
    ClientToScreen(tree_, &point);
    return point;
}

BOOL CRegistrySnapIn::OnContextMenuKey() {
    HWND focus = GetFocus();
    if (tree_ && focus == tree_) {
        HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (item) ShowTreeMenu(item, TreeMenuPoint(item));
        return TRUE;
    }
    if (list_.Handle() && focus == list_.Handle()) {
        ShowListMenu(list_.ContextMenuPoint(-1));
        return TRUE;
    }
    return FALSE;
}

BOOL CRegistrySnapIn::TranslateAccelerator(MSG* message) {
    // Keys typed into a label editor (Del above all) belong to it.
    if (EditingLabel(tree_, list_.Handle())) return FALSE;
    return CSnapInBase::TranslateAccelerator(message);
}

// ---- settings -------------------------------------------------------------------------------

ISettingsList* CRegistrySnapIn::SettingsSection() {
    ISettingsNode* settings = Host()->GetSnapInSettings(kId);
    return settings ? settings->Items() : nullptr;
}

void CRegistrySnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        if (ISettingsNode* position = section->Find(kSplitterPosition)) {
            splitterPosition_ = position->GetValue();
            splitter_.SetPosition(splitterPosition_);
        }
        list_.LoadLayout(section);
        LoadFavorites(*section);
    }
    // The root keys: Key 0 and an empty path.
    ListKey(model_.Top());
}

void CRegistrySnapIn::SaveViewSettings() {
    if (!tree_) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        section->SetNamedValue(kSplitterPosition, splitter_.Position());
        list_.SaveLayout(section);
        SaveFavorites(*section);
    }
    Host()->SaveSettings();
}

}  // namespace vantrel
