// The Registry through its real tree and list, against the simulated managed
// machine and against answers made by hand.
#include "framework/text/Base64.h"
#include "hostkit/MessageTree.h"
#include "remote/RemoteMachine.h"
#include "snapins/registry/RegistryIds.h"
#include "snapins/registry/model/Protocol.h"
#include "tests/wine/RegistryToolTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

TEST_F(RegistryTest, RootKeysComeFromTheFirstRequestUnderTheComputer) {
    const Message* first = host_.Requests().empty() ? nullptr : host_.Requests().front().get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Root().Find(wire::kItemsNode)->Text(), "<RegKey StartAt='4294967295' Key='0' SubKey='' />");
    HTREEITEM top = TreeRoot(tree_);
    EXPECT_EQ(TreeItemText(tree_, top), L"SRV-01");
    EXPECT_EQ(TreeChildTexts(tree_, top),
              (std::vector<std::wstring>{L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE",
                                         L"HKEY_USERS", L"HKEY_CURRENT_CONFIG"}));
    EXPECT_TRUE(TreeExpanded(tree_, top));
    EXPECT_EQ(TreeImages(tree_, top), std::make_pair(0, 0));

    // A key below a root key travels with the root key's number and its path without the root's name.
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel"}));
    const Message* last = host_.LastRequest(wire::kListCommand);
    EXPECT_EQ(last->Root().Find(wire::kItemsNode)->Text(), "<RegKey StartAt='4294967295' Key='2147483649' SubKey='" +
                                                               EncodeUtf16Base64(u"Software\\Vantrel") + "' />");
    EXPECT_EQ(host_.StatusText(0), L"HKEY_CURRENT_USER\\Software\\Vantrel");
}

TEST_F(RegistryTest, ValuesShowTheirTypesAndDataAsTheListFormatsThem) {
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"}));
    EXPECT_EQ(ItemCount(list_), 28);
    EXPECT_EQ(ListViewText(list_, 0, 0), L"(default)");
    EXPECT_EQ(Data(L"DWORD"), L"0x0000002a(42)");
    EXPECT_EQ(Data(L"Big Endian"), L"0x0000002a(42)");
    EXPECT_EQ(Data(L"Short DWORD"), L"0x0000012a(298)");
    EXPECT_EQ(Data(L"Empty String"), L"(value not set)");
    EXPECT_EQ(Data(L"Empty Binary"), L"(zero-length binary value)");
    EXPECT_EQ(Data(L"Unterminated"), L"no end");
    EXPECT_EQ(Data(L"Odd String"), L"AB");
    EXPECT_EQ(Data(L"Multi"), L"eins zwei drei ");
    EXPECT_EQ(Data(L"QWORD"), L"01 02 03 04 05 06 07 08 ");
    EXPECT_EQ(Data(L"Binary 64").size(), 64u * 3);
    EXPECT_EQ(Data(L"Binary 65").substr(64 * 3), L"...");
    EXPECT_EQ(Data(L"Large Binary").substr(64 * 3), L"...");
    EXPECT_EQ(ListViewText(list_, Row(L"Unknown Type"), 1), L"UNKNOWN");
    EXPECT_EQ(ListViewText(list_, Row(L"Requirements"), 1), L"REG_RESOURCE_REQUIREMENTS_LIST");
    EXPECT_EQ(Data(L"名前"), L"値");
}

TEST_F(RegistryTest, PagesContinueAfterUpToAndRefreshOrSelectingAgainAddsNothingTwice) {
    host_.ClearRequests();
    HTREEITEM many = Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Many Values"});
    ASSERT_TRUE(many);
    std::vector<std::string> starts;
    for (const auto& request : host_.Requests())
        if (request->Command() == wire::kListCommand) {
            const std::string text = request->Root().Find(wire::kItemsNode)->Text();
            starts.push_back(text.substr(0, text.find(' ', 15)));
        }
    // The keys on the way, then the 20 values in pages of 7: from UpTo + 1.
    ASSERT_GE(starts.size(), 6u);
    EXPECT_EQ(starts[starts.size() - 3], "<RegKey StartAt='4294967295'");
    EXPECT_EQ(starts[starts.size() - 2], "<RegKey StartAt='7'");
    EXPECT_EQ(starts[starts.size() - 1], "<RegKey StartAt='14'");
    EXPECT_EQ(ItemCount(list_), 20);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"20/20");

    Command(ID_REG_REFRESH);
    WaitIdle();
    EXPECT_EQ(ItemCount(list_), 20);
    HTREEITEM vantrel = TreeChild(
        tree_, TreeChild(tree_, TreeChild(tree_, TreeRoot(tree_), L"HKEY_CURRENT_USER"), L"Software"), L"Vantrel");
    SelectKey(vantrel);
    const size_t keys = TreeChildren(tree_, vantrel).size();
    Command(ID_REG_REFRESH);
    WaitIdle();
    EXPECT_EQ(TreeChildren(tree_, vantrel).size(), keys);
    EXPECT_EQ(TreeChildTexts(tree_, vantrel), (std::vector<std::wstring>{L"Deep", L"Many Values", L"Types"}));
}

TEST_F(RegistryTest, ACancelledListingIsQuietAndAFailedOneSaysWhy) {
    HTREEITEM slow = Open({L"HKEY_LOCAL_MACHINE", L"SOFTWARE", L"Vantrel", L"Slow Listing"});
    ASSERT_TRUE(slow);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(TreeImages(tree_, slow), std::make_pair(3, 3));
    EXPECT_EQ(host_.StatusText(1), L"Success");

    HTREEITEM sam = Open({L"HKEY_LOCAL_MACHINE", L"SAM"});
    ASSERT_TRUE(sam);
    EXPECT_EQ(Messages(),
              (std::vector<std::wstring>{L"Could not retrieve selected key information. Access is denied."}));
    EXPECT_EQ(TreeImages(tree_, sam), std::make_pair(4, 4));
    EXPECT_EQ(host_.StatusText(1), L"Failed");

    // Refresh lists a cancelled key again.
    SelectKey(slow);
    host_.ClearRequests();
    Command(ID_REG_REFRESH);
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(wire::kListCommand), 1u);
}

TEST_F(RegistryTest, NewKeysTakeTheNamesTheAnswersGiveAndOpenTheirLabels) {
    HTREEITEM vantrel = Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel"});
    for (const wchar_t* expected : {L"New Key #1", L"New Key #2"}) {
        SelectKey(vantrel);
        Command(ID_REG_NEW_KEY);
        WaitIdle();
        EXPECT_EQ(Sent(*host_.LastRequest(wire::kCreateKeyCommand), wire::kNameNode), u"New Key #%u");
        EXPECT_EQ(Sent(*host_.LastRequest(wire::kCreateKeyCommand), wire::kSubkeyNode), u"Software\\Vantrel");
        EXPECT_EQ(TreeItemText(tree_, TreeSelection(tree_)), expected);
        EXPECT_NE(::SendMessageW(tree_, TVM_GETEDITCONTROL, 0, 0), 0) << "the label is open for a name";
        ::SendMessageW(tree_, TVM_ENDEDITLABELNOW, TRUE, 0);
    }
    EXPECT_EQ(TreeChildren(tree_, vantrel).size(), 5u);

    SelectKey(vantrel);
    Command(ID_REG_NEW_DWORD);
    WaitIdle();
    const int row = Row(L"New Value #1");
    ASSERT_GE(row, 0);
    EXPECT_EQ(ListViewText(list_, row, 2), L"0x00000000(0)");
    HWND editor = reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(editor, nullptr) << "the new row's label is open for a name";
    EXPECT_EQ(GetFocus(), editor);
}

TEST_F(RegistryTest, RenameThroughTheLabelEditorIsCheckedThenSentAndShownWhenAnswered) {
    HTREEITEM vantrel = Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel"});
    HTREEITEM deep = TreeChild(tree_, vantrel, L"Deep");
    host_.ClearRequests();
    for (const wchar_t* refused : {L"a\\b", L"Types", L""}) Rename(deep, refused);
    EXPECT_EQ(host_.CountRequests(wire::kRenameCommand), 0u);
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{
                              L"The Registry Editor cannot rename Deep. Specify a key name without a backslash (\\).",
                              L"The Registry Editor cannot rename key Deep. The specified key name already exist.",
                              L"The Registry Editor cannot rename Deep. The specified key name is empty. Type another "
                              L"name and try again."}));

    machine_.InjectFault(wire::kRenameCommand, {remote::FaultKind::Fail, 5, u"Access is denied."});
    Rename(deep, L"Tief");
    EXPECT_EQ(TreeItemText(tree_, deep), L"Deep") << "a refused rename changes nothing";
    EXPECT_EQ(Messages().back(), L"The Registry Editor cannot rename key Deep. Access is denied.");

    machine_.ClearFaults();
    Rename(deep, L"Tief");
    const Message* sent = host_.LastRequest(wire::kRenameCommand);
    EXPECT_EQ(Sent(*sent, wire::kNameNode), u"Deep");
    EXPECT_EQ(Sent(*sent, wire::kNewNameNode), u"Tief");
    EXPECT_EQ(TreeItemText(tree_, deep), L"Tief");
    SelectKey(vantrel);
    Command(ID_REG_REFRESH);
    WaitIdle();
    EXPECT_EQ(TreeChildTexts(tree_, vantrel), (std::vector<std::wstring>{L"Many Values", L"Tief", L"Types"}));
}

TEST_F(RegistryTest, DeleteAsksFirstAndAFailureLeavesTheKeyWhereItWas) {
    HTREEITEM vantrel = Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel"});
    HTREEITEM deep = TreeChild(tree_, vantrel, L"Deep");
    SelectKey(deep);
    std::vector<CapturedDialog> asked;
    int answer = IDNO;
    host_.OnDialog([&](HWND, const CapturedDialog& dialog) {
        asked.push_back(dialog);
        return dialog.caption == L"Error" ? IDOK : answer;
    });
    Command(ID_REG_DELETE);
    WaitIdle();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, L"Confirm Key Delete");
    EXPECT_EQ(asked[0].text, L"Are you sure you want to delete this key and all of its subkeys?");
    EXPECT_EQ(host_.CountRequests(wire::kDeleteCommand), 0u);

    answer = IDYES;
    machine_.InjectFault(wire::kDeleteCommand, {remote::FaultKind::Fail, 5, u"Access is denied."});
    Command(ID_REG_DELETE);
    WaitIdle();
    EXPECT_EQ(asked.back().text, L"Cannot delete key Deep. Access is denied.");
    EXPECT_EQ(TreeChild(tree_, vantrel, L"Deep"), deep);

    machine_.ClearFaults();
    SelectKey(deep);
    Command(ID_REG_DELETE);
    WaitIdle();
    EXPECT_EQ(Sent(*host_.LastRequest(wire::kDeleteCommand), wire::kSubkeyNode), u"Software\\Vantrel");
    EXPECT_EQ(TreeChild(tree_, vantrel, L"Deep"), nullptr);
    EXPECT_EQ(TreeSelection(tree_), vantrel);

    // A value, with the list focused.
    HTREEITEM types = TreeChild(tree_, vantrel, L"Types");
    SelectKey(types);
    SetFocus(list_);
    Select(list_, Row(L"DWORD"));
    Command(ID_REG_DELETE);
    WaitIdle();
    EXPECT_EQ(asked.back().caption, L"Confirm Value Delete");
    EXPECT_EQ(Row(L"DWORD"), -1);
    EXPECT_EQ(ItemCount(list_), 27);
}

TEST_F(RegistryTest, CommandsFollowTheSelectionAndTheFocus) {
    SelectKey(TreeRoot(tree_));
    EXPECT_FALSE(ButtonEnabled(ID_REG_NEW));
    EXPECT_FALSE(ButtonEnabled(ID_REG_DELETE));
    EXPECT_FALSE(ButtonEnabled(ID_REG_COPY_KEY_NAME));
    EXPECT_TRUE(ButtonEnabled(ID_REG_IMPORT));
    HTREEITEM user = Open({L"HKEY_CURRENT_USER"});
    EXPECT_TRUE(ButtonEnabled(ID_REG_NEW));
    EXPECT_FALSE(ButtonEnabled(ID_REG_DELETE)) << "root keys stay";
    Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"});
    EXPECT_TRUE(ButtonEnabled(ID_REG_DELETE));
    EXPECT_TRUE(MenuEnabled(ID_REG_RENAME));
    EXPECT_FALSE(ButtonEnabled(ID_REG_MODIFY));
    SetFocus(list_);
    Select(list_, 0);  // the default value
    EXPECT_TRUE(ButtonEnabled(ID_REG_MODIFY));
    EXPECT_FALSE(ButtonEnabled(ID_REG_DELETE));
    Select(list_, Row(L"DWORD"));
    EXPECT_TRUE(ButtonEnabled(ID_REG_DELETE));

    // The tree's context menu names the way Expand goes.
    SetFocus(tree_);
    SelectKey(user);
    snapIn_->OnContextMenuKey();
    ASSERT_FALSE(host_.Menus().empty());
    EXPECT_NE(host_.Menus().back().Find(L"Collapse"), nullptr);

    // Copy Key Name puts the full path on the clipboard.
    Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel"});
    Command(ID_REG_COPY_KEY_NAME);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, L"HKEY_CURRENT_USER\\Software\\Vantrel");
}

class RegistryDeviceTest : public RegistryTest {
protected:
    RegistryDeviceTest() : RegistryTest(Device()) {}
    static remote::MachineConfig Device() {
        remote::MachineConfig config = Small();
        config.platform = remote::kDevicePlatform;
        return config;
    }
};

TEST_F(RegistryDeviceTest, TheDevicePlatformCannotImport) {
    Open({L"HKEY_CURRENT_USER"});
    EXPECT_FALSE(ButtonEnabled(ID_REG_IMPORT));
    EXPECT_FALSE(MenuEnabled(ID_REG_IMPORT));
}

// ---- answers from an untrusted machine ------------------------------------------------

TEST_F(RegistryTest, DuplicateAndUnaddressableNamesInAnAnswerAreSkipped) {
    const std::string page =
        "<RegKey StartAt=\"0\" UpTo=\"5\" Total=\"6\">"
        "<RegKey Name=\"" +
        EncodeUtf16Base64(u"Eins") +
        "\" HasCh=\"1\"/>"
        "<RegKey Name=\"" +
        EncodeUtf16Base64(u"EINS") +
        "\" HasCh=\"0\"/>"
        "<RegKey Name=\"" +
        EncodeUtf16Base64(u"a\\b") +
        "\" HasCh=\"0\"/>"
        "<RegVal Name=\"" +
        EncodeUtf16Base64(u"v") +
        "\" Type=\"4\" ValSize=\"99\" Value=\"KgA=\"/>"
        "<RegVal Name=\"" +
        EncodeUtf16Base64(u"V") +
        "\" Type=\"4\" ValSize=\"4\" Value=\"AQAAAA==\"/>"
        "<Junk/></RegKey>";
    host_.AnswerWith(
        [&](const Message& request) {
            if (request.Command() != wire::kListCommand) return machine_.Answer(request);
            auto answer = std::make_unique<Message>(wire::kListCommand, kRegistry, 0);
            answer->Root().ChildNode("RetValue").SetLong(0);
            answer->Root().ChildNode(wire::kItemsNode).SetText(page);
            return answer;
        },
        1);
    HTREEITEM user = TreeChild(tree_, TreeRoot(tree_), L"HKEY_CURRENT_USER");
    SelectKey(user);
    Command(ID_REG_REFRESH);
    WaitIdle();
    EXPECT_EQ(TreeChildTexts(tree_, user), std::vector<std::wstring>{L"Eins"});
    EXPECT_EQ(ItemCount(list_), 1);
    EXPECT_EQ(ListViewText(list_, 0, 2), L"0x0000002a(42)") << "two bytes that arrived, zero-extended";
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

TEST_F(RegistryTest, SpoiledPagesEndTheListingWithWhatArrived) {
    for (remote::FaultKind kind :
         {remote::FaultKind::Garbage, remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal}) {
        Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"});
        // The first page of the refresh arrives whole, the second spoiled.
        machine_.InjectFault(wire::kListCommand, {kind, std::nullopt, u"", 0, 1, 1});
        Command(ID_REG_REFRESH);
        WaitIdle();
        EXPECT_EQ(host_.BusyDepth(), 0);
        EXPECT_GE(ItemCount(list_), 7) << "the first page stays";
        EXPECT_NE(host_.StatusText(1), L"In progress...");
        machine_.ClearFaults();
    }
    // An answer nobody asked for and the same answer twice are released and ignored.
    const int rows = ItemCount(list_);
    for (int i = 0; i < 2; ++i) {
        auto stray = host_.MakeAnswer(kRegistry, wire::kRenameCommand);
        stray->Root().ChildNode("RetValue").SetLong(0);
        host_.Deliver(std::move(stray));
        auto page = host_.MakeAnswer(kRegistry, wire::kListCommand);
        page->Root().ChildNode("RetValue").SetLong(0);
        page->Root()
            .ChildNode(wire::kItemsNode)
            .SetText("<RegKey UpTo=\"0\" Total=\"1\"><RegVal Name=\"\" Type=\"1\"/></RegKey>");
        host_.Deliver(std::move(page));
    }
    EXPECT_EQ(ItemCount(list_), rows);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_EQ(host_.BusyDepth(), 0);
}

}  // namespace
}  // namespace vantrel::test

namespace vantrel::test {
namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// The whole text replaced as by typing (setting the text of a multi-line box
// does not tell its dialog).
void Retype(HWND edit, const wchar_t* text) {
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

std::vector<uint8_t> SentData(const Message& request) {
    const host::MessageNode* value = request.Root().Find(wire::kValueNode);
    return value ? Base64Decode(value->Text()) : std::vector<uint8_t>{};
}

class RegistryEditorTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"}));
    }
    // Modify on a value, as the user chooses it with the list focused; the
    // editor is handled by `edit`, whose answer ends it.
    const Message* Modify(const std::wstring& name, std::function<int(HWND)> edit) {
        SetFocus(list_);
        Select(list_, Row(name));
        const size_t before = host_.CountRequests(wire::kSetValueCommand);
        host_.OnDialog([&](HWND dialog, const CapturedDialog& captured) {
            return captured.isMessageBox ? IDOK : edit(dialog);
        });
        Command(ID_REG_MODIFY);
        WaitIdle();
        host_.OnDialog(nullptr);
        return host_.CountRequests(wire::kSetValueCommand) > before ? host_.LastRequest(wire::kSetValueCommand) : nullptr;
    }
};

TEST_F(RegistryEditorTest, EachEditorSendsTheExactBytesOfItsType) {
    // A big-endian DWORD edited as decimal 1 is stored as 00 00 00 01.
    const Message* sent = Modify(L"Big Endian", [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_REG_VALUE_NAME), L"Big Endian");
        EXPECT_EQ(ItemText(dialog, IDC_REG_VALUE_DATA), L"2a");
        ::SendMessageW(GetDlgItem(dialog, IDC_REG_BASE_DECIMAL), BM_CLICK, 0, 0);
        EXPECT_EQ(ItemText(dialog, IDC_REG_VALUE_DATA), L"42");
        SetDlgItemTextW(dialog, IDC_REG_VALUE_DATA, L"1");
        return IDOK;
    });
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(SentData(*sent), (std::vector<uint8_t>{0, 0, 0, 1}));
    EXPECT_EQ(sent->Root().Find(wire::kValTypeNode)->AsLong(), 5);

    // Text that no 8-bit code page holds goes and comes back whole, with one terminator.
    sent = Modify(L"String", [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_REG_VALUE_DATA), L"Grüße aus Köln");
        SetDlgItemTextW(dialog, IDC_REG_VALUE_DATA, L"\u65e5\u672c \u0416 \u00e9");
        return IDOK;
    });
    ASSERT_NE(sent, nullptr);
    const std::u16string text = u"\u65e5\u672c \u0416 \u00e9";
    std::vector<uint8_t> expected;
    for (char16_t c : text + u'\0') {
        expected.push_back(static_cast<uint8_t>(c));
        expected.push_back(static_cast<uint8_t>(c >> 8));
    }
    EXPECT_EQ(SentData(*sent), expected);

    // An empty line would end the multi-string early on the machine: it is dropped, and the user told.
    sent = Modify(L"Multi", [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_REG_VALUE_DATA), L"eins\r\nzwei\r\ndrei");
        SetDlgItemTextW(dialog, IDC_REG_VALUE_DATA, L"a\r\n\r\nb");
        return IDOK;
    });
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(SentData(*sent), (std::vector<uint8_t>{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
    const std::vector<std::wstring> boxes = Messages();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes.back().find(L"empty"), std::wstring::npos);

    // Cancel sends nothing.
    EXPECT_EQ(Modify(L"DWORD", [](HWND) { return IDCANCEL; }), nullptr);
}

TEST_F(RegistryEditorTest, TheBinaryEditorTakesHexadecimalDigitsOnlyAndLinesUpEightBytesALine) {
    const Message* sent = Modify(L"Odd Binary", [](HWND dialog) {
        HWND bytes = GetDlgItem(dialog, IDC_REG_BINARY_BYTES);
        EXPECT_EQ(ItemText(dialog, IDC_REG_BINARY_OFFSETS), L"0000\r\n");
        Retype(bytes, L" 01  02  03  04  05  06  07  08 \r\n 09 ");
        EXPECT_EQ(ItemText(dialog, IDC_REG_BINARY_OFFSETS), L"0000\r\n0008\r\n");
        EXPECT_EQ(ItemText(dialog, IDC_REG_BINARY_CHARACTERS), L"........\r\n.");
        ::SendMessageW(bytes, EM_SETSEL, 0, 0);
        for (wchar_t typed : {L'g', L' ', L'A', L'z'}) ::SendMessageW(bytes, WM_CHAR, typed, 0);
        EXPECT_EQ(ItemText(dialog, IDC_REG_BINARY_BYTES).substr(0, 4), L"A 01") << "only the digit was taken";
        Retype(bytes, L" 41  0A ");
        EXPECT_EQ(ItemText(dialog, IDC_REG_BINARY_CHARACTERS), L"A.");
        return IDOK;
    });
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(SentData(*sent), (std::vector<uint8_t>{0x41, 0x0A}));
}

class RegistryFindTest : public RegistryTest {
protected:
    // Find as the dialog asks for it; the text, and values only when asked.
    void FindFromDialog(const wchar_t* text, bool valuesOnly) {
        host_.OnDialog([&](HWND dialog, const CapturedDialog& captured) {
            if (captured.isMessageBox) return IDOK;
            SetDlgItemTextW(dialog, IDC_REG_FIND_WHAT, text);
            if (valuesOnly) {
                CheckDlgButton(dialog, IDC_REG_FIND_KEYS, BST_UNCHECKED);
                CheckDlgButton(dialog, IDC_REG_FIND_DATA, BST_UNCHECKED);
            }
            return IDOK;
        });
        Command(ID_REG_FIND);
        WaitIdle();
        host_.PumpFor(20);
        WaitIdle();
        host_.OnDialog(nullptr);
    }
    std::vector<uint32_t> SearchedRoots() const {
        std::vector<uint32_t> roots;
        for (const auto& request : host_.Requests())
            if (request->Command() == wire::kFindCommand) roots.push_back(static_cast<uint32_t>(request->Root().Find(wire::kKeyNode)->AsLong()));
        return roots;
    }
};

TEST_F(RegistryFindTest, AHitInALaterRootKeyIsWalkedToAndAMissVisitsEachRootKeyOnce) {
    FindFromDialog(L"Ziel", true);
    const std::vector<uint32_t> roots = SearchedRoots();
    ASSERT_EQ(roots.size(), 2u) << "the classes hold nothing of that name; the current user does";
    const Message* last = host_.LastRequest(wire::kFindCommand);
    EXPECT_EQ(last->Root().Find(wire::kFindTypeNode)->AsLong(), 0x2);
    EXPECT_EQ(Sent(*last, wire::kValueNode), u"Ziel");
    EXPECT_EQ(TreeItemText(tree_, TreeSelection(tree_)), L"Ebene 3");
    EXPECT_EQ(host_.StatusText(0), L"HKEY_CURRENT_USER\\Software\\Vantrel\\Deep\\Ebene 1\\Ebene 2\\Ebene 3");
    const int row = Row(L"Ziel");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(::SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED);

    // Find Next goes on after the hit, through the root keys that follow, to the end.
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDOK; });
    Command(ID_REG_FIND_NEXT);
    WaitIdle();
    host_.PumpFor(20);
    WaitIdle();
    std::vector<std::wstring> boxes = Messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.back(), L"Finished searching throught the registry.");

    host_.Dialogs().clear();
    const size_t before = SearchedRoots().size();
    SelectKey(TreeRoot(tree_));
    FindFromDialog(L"nothing is called like this", false);
    const std::vector<uint32_t> all = SearchedRoots();
    const std::vector<uint32_t> missed(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    EXPECT_EQ(missed, (std::vector<uint32_t>{0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u, 0x80000005u}));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{L"Finished searching throught the registry."});
}

}  // namespace
}  // namespace vantrel::test
