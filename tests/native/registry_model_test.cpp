// The Registry's model: key paths, the node lookup, pages merged without
// duplicates, the value formats, enabling, renaming and the navigation walk.
#include <gtest/gtest.h>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/registry/model/Commands.h"
#include "snapins/registry/model/Protocol.h"
#include "snapins/registry/model/RegistryTree.h"
#include "snapins/registry/model/ValueFormat.h"

namespace vantrel::registry {
namespace {

namespace wire = protocol;

std::string B64(std::u16string_view text) { return EncodeUtf16Base64(text); }

std::unique_ptr<CXmlElement> Parse(const std::string& text) {
    auto root = std::make_unique<CXmlElement>();
    EXPECT_EQ(ParseAnswer(text, *root), AnswerText::Parsed);
    return root;
}

std::string KeyXml(std::u16string_view name, int hasChildren = 0, int64_t rootKey = -1) {
    std::string xml = "<RegKey Name='" + B64(name) + "' HasCh='" + std::to_string(hasChildren) + "'";
    if (rootKey >= 0) xml += " Key='" + std::to_string(rootKey) + "'";
    return xml + "/>";
}

std::string ValueXml(std::u16string_view name, uint32_t type, const std::vector<uint8_t>& data, long declared = -1) {
    return "<RegVal Name='" + B64(name) + "' Type='" + std::to_string(type) + "' ValSize='" +
           std::to_string(declared < 0 ? static_cast<long>(data.size()) : declared) + "' Value='" +
           Base64Encode(data.data(), data.size()) + "'/>";
}

// HKLM (2) > SOFTWARE > Vendor, loaded as far as the tests need.
struct SmallTree {
    RegistryTree tree{u"SERVER"};
    KeyNode* hklm;
    KeyNode* software;
    KeyNode* vendor;
    SmallTree() {
        tree.Top().SetState(LoadState::Loaded);
        tree.Top().AddChild(u"HKEY_CLASSES_ROOT", true, 1);
        hklm = tree.Top().AddChild(u"HKEY_LOCAL_MACHINE", true, 2);
        software = hklm->AddChild(u"SOFTWARE", true, 2);
        vendor = software->AddChild(u"Müller", false, 2);
    }
};

TEST(RegistryPaths, FullAndRequestFormsAndLookupByRootKeyAndPath) {
    SmallTree t;
    EXPECT_EQ(FullPath(*t.vendor), u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Müller");
    EXPECT_EQ(RequestPath(*t.vendor), u"SOFTWARE\\Müller");
    EXPECT_EQ(RequestPath(*t.hklm), u"");
    EXPECT_EQ(FullPath(*t.hklm), u"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(FullPath(t.tree.Top()), u"");  // the computer is never part of a path

    EXPECT_EQ(t.tree.Find(0, u""), &t.tree.Top());
    EXPECT_EQ(t.tree.Find(2, u""), t.hklm);
    EXPECT_EQ(t.tree.Find(2, u"software\\MÜLLER"), t.vendor);  // names compare without case
    EXPECT_EQ(t.tree.Find(2, u"SOFTWARE\\Nobody"), nullptr);
    EXPECT_EQ(t.tree.Find(2, u"SOFTWARE\\\\Müller"), nullptr);  // an empty component names nothing
    EXPECT_EQ(t.tree.Find(3, u""), nullptr);
    EXPECT_EQ(t.tree.Find(0, u"SOFTWARE"), nullptr);
    EXPECT_EQ(t.tree.Find(AddressOf(*t.vendor)), t.vendor);
}

TEST(RegistryPages, RootKeysTakeTheirNumbersAndKeysBelowInheritThem) {
    RegistryTree tree(u"PC");
    auto root = Parse("<RegKey Key='0' StartAt='0' UpTo='3' Total='4'>" + KeyXml(u"HKEY_CLASSES_ROOT", 1, 2147483648) +
                      KeyXml(u"HKEY_CURRENT_USER", 1, 2147483649) + KeyXml(u"NoNumber", 1, 0) +
                      KeyXml(u"SameNumber", 1, 2147483649) + "<Other/></RegKey>");
    MergedPage merged = MergePage(tree.Top(), ReadListingPage(*root, true));
    ASSERT_EQ(merged.keys.size(), 2u);
    EXPECT_EQ(merged.keys[1]->RootKey(), 2147483649u);

    auto page = Parse("<RegKey>" + KeyXml(u"Software", 1, 77) + "</RegKey>");
    MergedPage below = MergePage(*merged.keys[1], ReadListingPage(*page, false));
    ASSERT_EQ(below.keys.size(), 1u);
    EXPECT_EQ(below.keys[0]->RootKey(), 2147483649u);  // a "Key" below the top level is not its own
    EXPECT_TRUE(below.keys[0]->HasChildren());
}

TEST(RegistryPages, DuplicatesAndUnaddressableNamesAreSkippedAndClearingAllowsTheSameNamesAgain) {
    SmallTree t;
    const std::string body = "<RegKey>" + KeyXml(u"Alpha") + KeyXml(u"ALPHA") + KeyXml(u"a\\b") +
                             KeyXml(std::u16string(u"nul\0x", 5)) + KeyXml(u"") + KeyXml(u"Beta") +
                             ValueXml(u"", wire::kRegSz, {'x', 0}) + ValueXml(u"v", wire::kRegDword, {1, 0, 0, 0}) +
                             ValueXml(u"V", wire::kRegDword, {2, 0, 0, 0}) +
                             ValueXml(std::u16string(u"z\0", 2), wire::kRegNone, {}) + "</RegKey>";
    MergedPage first = MergePage(*t.vendor, ReadListingPage(*Parse(body), false));
    EXPECT_EQ(first.keys.size(), 2u);
    EXPECT_EQ(first.values.size(), 2u);
    EXPECT_EQ(t.vendor->Values()[1].data[0], 1);  // the first of two spellings stays
    // The same page merged again (a refresh that did not clear) adds nothing.
    MergedPage again = MergePage(*t.vendor, ReadListingPage(*Parse(body), false));
    EXPECT_TRUE(again.keys.empty() && again.values.empty());
    t.vendor->ClearContents();
    MergedPage refreshed = MergePage(*t.vendor, ReadListingPage(*Parse(body), false));
    EXPECT_EQ(refreshed.keys.size(), 2u);
    EXPECT_EQ(t.vendor->Children().size(), 2u);
    EXPECT_EQ(t.vendor->Values().size(), 2u);
}

TEST(RegistryPages, DecodedBytesAreTheDataWhateverValSizeSays) {
    SmallTree t;
    const std::string body = "<RegKey>" + ValueXml(u"big", wire::kRegBinary, {1, 2, 3}, 4000000000L) +
                             ValueXml(u"zero", wire::kRegBinary, {1, 2, 3}, 0) + "<RegVal Name='" + B64(u"bad") +
                             "' Type='x' ValSize='-5' Value='%%%'/></RegKey>";
    MergePage(*t.vendor, ReadListingPage(*Parse(body), false));
    ASSERT_EQ(t.vendor->Values().size(), 3u);
    EXPECT_EQ(t.vendor->Values()[0].data.size(), 3u);
    EXPECT_TRUE(t.vendor->Values()[1].data.empty());  // decoded only when the size is not 0
    EXPECT_EQ(t.vendor->Values()[2].type, 0u);
}

TEST(RegistryModel, RenameRemoveAndChangeKeepTheIndexesRight) {
    SmallTree t;
    KeyNode* other = t.software->AddChild(u"Other", false, 2);
    EXPECT_FALSE(t.software->RenameChild(other, u"MÜLLER"));
    EXPECT_FALSE(t.software->RenameChild(other, u"a\\b"));
    EXPECT_TRUE(t.software->RenameChild(other, u"Neu"));
    EXPECT_EQ(t.tree.Find(2, u"SOFTWARE\\neu"), other);
    EXPECT_EQ(t.tree.Find(2, u"SOFTWARE\\Other"), nullptr);
    EXPECT_TRUE(t.software->RenameChild(t.vendor, u"MÜLLER"));  // a change of case
    EXPECT_EQ(t.vendor->Name(), u"MÜLLER");
    t.software->RemoveChild(t.vendor);
    EXPECT_EQ(t.tree.Find(2, u"SOFTWARE\\Müller"), nullptr);

    ASSERT_TRUE(other->AddValue({u"a", wire::kRegSz, {}}));
    ASSERT_TRUE(other->AddValue({u"b", wire::kRegSz, {}}));
    EXPECT_FALSE(other->AddValue({u"B", wire::kRegSz, {}}));
    EXPECT_TRUE(other->RemoveValue(u"A"));
    EXPECT_EQ(other->FindValue(u"b"), 0u);
    EXPECT_FALSE(other->RenameValue(u"b", std::u16string(u"x\0", 2)));
    EXPECT_TRUE(other->RenameValue(u"b", u"c"));
    EXPECT_TRUE(other->SetValueData(u"C", wire::kRegDword, {9, 0, 0, 0}));
    EXPECT_EQ(other->Values()[0].type, wire::kRegDword);
}

ValueRecord Value(uint32_t type, std::vector<uint8_t> data) { return {u"n", type, std::move(data)}; }

TEST(RegistryFormat, TypeNamesAndDataTextsByType) {
    const DataTexts texts{u"(value not set)", u"(zero-length binary value)"};
    EXPECT_EQ(TypeName(0), u"REG_NONE");
    EXPECT_EQ(TypeName(10), u"REG_RESOURCE_REQUIREMENTS_LIST");
    EXPECT_EQ(TypeName(11), u"REG_QWORD");
    EXPECT_EQ(TypeName(12), u"UNKNOWN");

    EXPECT_EQ(DataText(Value(wire::kRegDword, {42, 0, 0, 0}), texts), u"0x0000002a(42)");
    EXPECT_EQ(DataText(Value(wire::kRegDwordBigEndian, {0, 0, 0, 42}), texts), u"0x0000002a(42)");
    EXPECT_EQ(DataText(Value(wire::kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}), texts), u"0xffffffff(4294967295)");
    EXPECT_EQ(DataText(Value(wire::kRegDword, {0x2A, 0x01}), texts), u"0x0000012a(298)");  // zero-extended
    EXPECT_EQ(DataText(Value(wire::kRegDword, {1, 0, 0, 0, 9, 9}), texts), u"0x00000001(1)");
    EXPECT_EQ(QwordValue(std::vector<uint8_t>{9, 8, 7}), 0x070809u);
    EXPECT_EQ(QwordValue(std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0x80, 5}), 0x8000000000000001ull);

    EXPECT_EQ(DataText(Value(wire::kRegSz, {'H', 0, 0xFC, 0, 0, 0, 'x', 0}), texts), u"H\u00fc");
    EXPECT_EQ(DataText(Value(wire::kRegSz, {'n', 0, 'o', 0}), texts), u"no");             // no terminator: whole
    EXPECT_EQ(DataText(Value(wire::kRegExpandSz, {'A', 0, 'B', 0, 'C'}), texts), u"AB");  // odd: last byte dropped
    EXPECT_EQ(DataText(Value(wire::kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0, 'c', 0}), texts), u"a b ");
    for (uint32_t type :
         {wire::kRegSz, wire::kRegExpandSz, wire::kRegMultiSz, wire::kRegDword, wire::kRegDwordBigEndian})
        EXPECT_EQ(DataText(Value(type, {}), texts), u"(value not set)");
    for (uint32_t type : {wire::kRegNone, wire::kRegBinary, wire::kRegLink, wire::kRegQword, 8u, 99u})
        EXPECT_EQ(DataText(Value(type, {}), texts), u"(zero-length binary value)");

    EXPECT_EQ(DataText(Value(wire::kRegQword, {1, 0xAB}), texts), u"01 ab ");
    std::vector<uint8_t> bytes(64, 0x0F);
    std::u16string all;
    for (int i = 0; i < 64; ++i) all += u"0f ";
    EXPECT_EQ(DataText(Value(wire::kRegBinary, bytes), texts), all);
    bytes.push_back(1);
    EXPECT_EQ(DataText(Value(wire::kRegBinary, bytes), texts), all + u"...");
}

TEST(RegistryFormat, NewValuesStartZeroFilledBySize) {
    EXPECT_EQ(InitialData(wire::kRegSz).size(), 2u);
    EXPECT_EQ(InitialData(wire::kRegExpandSz).size(), 2u);
    EXPECT_EQ(InitialData(wire::kRegMultiSz).size(), 2u);
    EXPECT_EQ(InitialData(wire::kRegDword), std::vector<uint8_t>(4, 0));
    EXPECT_TRUE(InitialData(wire::kRegBinary).empty());
}

TEST(RegistryCommands, EnablingFollowsTheSelectionFocusAndPlatform) {
    Selection top{.key = true, .top = true};
    CommandStates states = EnabledCommands(top);
    EXPECT_FALSE(states.newItem || states.copyKeyName || states.addToFavorites || states.deleteItem || states.rename);
    EXPECT_TRUE(states.import && states.refresh && states.find);

    Selection root{.key = true, .rootKey = true};
    states = EnabledCommands(root);
    EXPECT_TRUE(states.newItem && states.copyKeyName && states.addToFavorites);
    EXPECT_FALSE(states.deleteItem || states.rename || states.modify);

    Selection key{.key = true};
    EXPECT_TRUE(EnabledCommands(key).deleteItem && EnabledCommands(key).rename);

    Selection list{.key = true, .listFocused = true, .value = true, .defaultValue = true};
    states = EnabledCommands(list);
    EXPECT_FALSE(states.deleteItem || states.rename);
    EXPECT_TRUE(states.modify);
    list.defaultValue = false;
    EXPECT_TRUE(EnabledCommands(list).deleteItem);
    list.value = false;
    EXPECT_FALSE(EnabledCommands(list).deleteItem || EnabledCommands(list).modify);

    Selection device{.key = true, .platform = 2};
    EXPECT_FALSE(EnabledCommands(device).import);
    Selection busy{.key = true, .busy = true};
    EXPECT_FALSE(EnabledCommands(busy).refresh || EnabledCommands(busy).newItem);
}

TEST(RegistryCommands, RenameIsCheckedBeforeAnythingIsSent) {
    EXPECT_EQ(CheckRename(false, true, u"a", u"a\\b", false), RenameCheck::Backslash);
    EXPECT_EQ(CheckRename(true, true, u"a", u"a\\b", false), RenameCheck::Send);  // values may hold "\"
    EXPECT_EQ(CheckRename(false, true, u"a", u"", false), RenameCheck::EmptyKeyName);
    EXPECT_EQ(CheckRename(true, true, u"a", u"", false), RenameCheck::EmptyValueName);
    EXPECT_EQ(CheckRename(false, true, u"a", u"b", true), RenameCheck::KeyExists);
    EXPECT_EQ(CheckRename(true, true, u"a", u"b", true), RenameCheck::ValueExists);
    EXPECT_EQ(CheckRename(false, true, u"a", u"A", true), RenameCheck::Send);  // itself, another case
    EXPECT_EQ(CheckRename(false, true, u"a", u"a", true), RenameCheck::Unchanged);
    EXPECT_EQ(CheckRename(false, false, u"HKEY_USERS", u"x", false), RenameCheck::NotRenamable);
}

TEST(RegistryCommands, EachChangeRequestRemembersItsTargetOnePerCode) {
    ChangeRequests requests;
    ChangeTarget target{{2, u"SOFTWARE"}, true, u"v", {}, wire::kRegDword, {1, 0, 0, 0}};
    EXPECT_TRUE(requests.Remember(wire::kSetValueCommand, target));
    EXPECT_FALSE(requests.Remember(wire::kSetValueCommand, target));  // one in flight
    EXPECT_TRUE(requests.Remember(wire::kDeleteCommand, target));
    EXPECT_FALSE(requests.Remember(wire::kListCommand, target));
    const auto taken = requests.Take(wire::kSetValueCommand);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->holder.path, u"SOFTWARE");
    EXPECT_EQ(taken->data.size(), 4u);
    EXPECT_FALSE(requests.Take(wire::kSetValueCommand));  // an answer nobody asked for
    EXPECT_TRUE(requests.InFlight(wire::kDeleteCommand));
}

TEST(RegistryWalk, ListsUnloadedKeysOnTheWayAndStopsAtAMissingOne) {
    RegistryTree tree(u"PC");
    NavigationTarget target{2, u"SOFTWARE\\Müller\\Studio", u"", false};
    WalkStep step = StepTowards(tree, target);
    EXPECT_EQ(step.kind, WalkStep::Kind::List);  // the root keys first
    EXPECT_EQ(step.node, &tree.Top());

    tree.Top().SetState(LoadState::Loaded);
    KeyNode* hklm = tree.Top().AddChild(u"HKEY_LOCAL_MACHINE", true, 2);
    step = StepTowards(tree, target);
    EXPECT_EQ(step.kind, WalkStep::Kind::List);
    EXPECT_EQ(step.node, hklm);
    hklm->SetState(LoadState::Requested);
    EXPECT_EQ(StepTowards(tree, target).kind, WalkStep::Kind::Wait);

    hklm->SetState(LoadState::Loaded);
    KeyNode* software = hklm->AddChild(u"SOFTWARE", true, 2);
    software->SetState(LoadState::Loaded);
    KeyNode* vendor = software->AddChild(u"Müller", true, 2);
    vendor->SetState(LoadState::Loaded);
    step = StepTowards(tree, target);
    EXPECT_EQ(step.kind, WalkStep::Kind::Missing);
    EXPECT_EQ(step.missing, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Müller\\Studio");

    KeyNode* studio = vendor->AddChild(u"Studio", false, 2);
    step = StepTowards(tree, target);
    EXPECT_EQ(step.kind, WalkStep::Kind::Arrived);
    EXPECT_EQ(step.node, studio);
    EXPECT_EQ(step.passed, (std::vector<KeyNode*>{hklm, software, vendor}));
    // A value's key is listed before the value can be selected.
    target.isValue = true;
    EXPECT_EQ(StepTowards(tree, target).kind, WalkStep::Kind::List);

    EXPECT_EQ(StepTowards(tree, {9, u"", u"", false}).kind, WalkStep::Kind::Missing);
}

}  // namespace
}  // namespace vantrel::registry
