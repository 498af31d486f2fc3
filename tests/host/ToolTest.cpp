#include "tests/host/ToolTest.h"

namespace vantrel::test {

void ToolTest::SetUp() {
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    host_.SetRemotePlatform(config_.platform);
    snapIn_ = host_.Open(snapInId_);
    ASSERT_NE(snapIn_, nullptr);
}

void ToolTest::ActivateAndWait() {
    host_.Activate(snapIn_);
    WaitIdle();
}

void ToolTest::WaitIdle() {
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.BusyDepth() == 0 && host_.PendingAnswers() == 0; }));
    host_.PumpFor(5);
}

std::vector<std::wstring> ToolTest::Boxes() {
    std::vector<std::wstring> texts;
    for (const auto& dialog : host_.Dialogs())
        if (dialog.isMessageBox) texts.push_back(dialog.text);
    return texts;
}

std::vector<const Message*> ToolTest::RequestsOf(uint32_t command) const {
    std::vector<const Message*> found;
    for (const auto& request : host_.Requests())
        if (request->Command() == command) found.push_back(request.get());
    return found;
}

void ToolTest::ExpectIdleAndPaired() const {
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

void ToolTest::Command(int id) { ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool ToolTest::ButtonEnabled(int command) const {
    return ::SendMessageW(host_.ShownSnapInToolBar(), TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
}

UINT ToolTest::MenuState(int command) const {
    HMENU popup = GetSubMenu(host_.MenuBar(), GetMenuItemCount(host_.MenuBar()) - 1);
    return GetMenuState(popup, static_cast<UINT>(command), MF_BYCOMMAND);
}


int ToolTest::ItemCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ToolTest::FindItem(HWND list, const std::wstring& text, int column) {
    for (int i = 0; i < ItemCount(list); ++i)
        if (ListViewText(list, i, column) == text) return i;
    return -1;
}

std::vector<std::wstring> ToolTest::Column(HWND list, int column) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < ItemCount(list); ++i) texts.push_back(ListViewText(list, i, column));
    return texts;
}

void ToolTest::Select(HWND list, int item) {
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    if (item < 0) return;
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

void ToolTest::ClickHeader(HWND list, int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

}  // namespace vantrel::test
