// The account picker through its real dialog, opened by a snap-in of the
// tests' own that carries the Shared Folders number (any snap-in may own
// pickers), against the simulated machine: the domain requests, the cache of
// each domain, pages from "UpTo", Add and Remove with the maximum, the result
// elements, and the owner's routing of command 3 to its open pickers.
#include "framework/SnapInBase.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/users/UsersData.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/picker/PickerIds.h"
#include "snapins/picker/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

namespace wire = picker::protocol;
constexpr int32_t kOwnerId = 15006;
constexpr uint32_t kAccounts = wire::kAccountCommand;

class PickerOwner final : public CSnapInBase {
public:
    explicit PickerOwner(ISnapInHost* host) : CSnapInBase(host), pickers_(*this) {}
    ~PickerOwner() override { DestroySnapInWindow(); }
    int32_t VANTREL_CALL GetSnapInId() override { return kOwnerId; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateSnapInWindow(parent); }
    CAccountPickers& Pickers() { return pickers_; }

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override {
        if (command == kAccounts) pickers_.OnAnswer(answer, root);
    }

private:
    CAccountPickers pickers_;
};

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

class PickerTest : public testing::Test {
protected:
    static remote::MachineConfig Config() {
        remote::MachineConfig config;
        config.pageSize = 7;
        return config;
    }

    void SetUp() override {
        owner_ = std::make_unique<PickerOwner>(&host_);
        host_.Adopt(owner_.get());
        AnswerFromMachine(1);
    }
    void TearDown() override { host_.DetachAllSnapIns(); }

    void AnswerFromMachine(unsigned delayMs) {
        host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, delayMs);
    }

    // Opens a picker; `drive` works the dialog and says which button ends it.
    CAccountPickers::Result Choose(size_t maximum, std::function<int(HWND)> drive) {
        host_.OnDialog([&](HWND dialog, const CapturedDialog& captured) {
            if (captured.isMessageBox) return IDOK;
            return drive(dialog);
        });
        return owner_->Pickers().Choose(owner_->GetWindow(), maximum);
    }

    bool Idle() {
        return host_.PumpUntil([this] { return host_.BusyDepth() == 0 && host_.PendingAnswers() == 0; });
    }

    static HWND Accounts(HWND dialog) { return GetDlgItem(dialog, IDC_PICKER_ACCOUNTS); }
    static HWND Added(HWND dialog) { return GetDlgItem(dialog, IDC_PICKER_ADDED); }
    static int Count(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
    static std::vector<std::wstring> Column(HWND list, int column) {
        std::vector<std::wstring> texts;
        for (int i = 0; i < Count(list); ++i) texts.push_back(ListViewText(list, i, column));
        return texts;
    }
    static int Find(HWND list, const std::wstring& name) {
        for (int i = 0; i < Count(list); ++i)
            if (ListViewText(list, i, 0) == name) return i;
        return -1;
    }
    static void Select(HWND list, int item) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    }
    static void ClickHeader(HWND dialog, int column) {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = Accounts(dialog);
        click.hdr.idFrom = IDC_PICKER_ACCOUNTS;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        ::SendMessageW(dialog, WM_NOTIFY, IDC_PICKER_ACCOUNTS, reinterpret_cast<LPARAM>(&click));
    }
    static void Click(HWND dialog, int id) { ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    static std::vector<std::wstring> Domains(HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_PICKER_DOMAINS);
        std::vector<std::wstring> names;
        const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            names.emplace_back(text);
        }
        return names;
    }
    static std::wstring ChosenDomain(HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_PICKER_DOMAINS);
        const auto index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        return index < 0 ? std::wstring() : Domains(dialog)[static_cast<size_t>(index)];
    }
    static void ChooseDomain(HWND dialog, const std::wstring& name) {
        HWND combo = GetDlgItem(dialog, IDC_PICKER_DOMAINS);
        const auto names = Domains(dialog);
        const auto at = std::find(names.begin(), names.end(), name);
        ASSERT_NE(at, names.end()) << std::string(name.begin(), name.end());
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at - names.begin()), 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PICKER_DOMAINS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    // The requests of command 3 sent so far: (type, StartAt, domain).
    struct Sent {
        int16_t type;
        int32_t startAt;
        std::wstring domain;
    };
    std::vector<Sent> SentRequests() const {
        std::vector<Sent> sent;
        for (const auto& request : host_.Requests()) {
            if (request->Command() != kAccounts) continue;
            EXPECT_EQ(request->SnapInId(), static_cast<uint32_t>(kOwnerId)) << "the owner's number";
            const auto* type = request->Root().Find(wire::kNetworkTypeNode);
            const auto* start = request->Root().Find(wire::kStartAtNode);
            const auto* domain = request->Root().Find(wire::kDomainNameNode);
            sent.push_back({type ? type->AsShort() : int16_t{-1}, start ? start->AsLong() : -99,
                            domain ? Wide(DecodeUtf16Base64(domain->Text())) : L""});
        }
        return sent;
    }
    std::vector<int32_t> StartsFor(int16_t type, const std::wstring& domain) const {
        std::vector<int32_t> starts;
        for (const Sent& sent : SentRequests())
            if (sent.type == type && sent.domain == domain) starts.push_back(sent.startAt);
        return starts;
    }

    // A hand-made answer of command 3 for the owner.
    std::unique_ptr<Message> Answer(int16_t type, int16_t ret = 0) {
        auto answer = host_.MakeAnswer(kOwnerId, kAccounts);
        answer->Root().ChildNode("RetValue").SetShort(ret);
        answer->Root().ChildNode(wire::kNetworkTypeNode).SetShort(type);
        return answer;
    }
    std::unique_ptr<Message> DomainsAnswer(int16_t type, std::vector<std::pair<std::u16string, bool>> domains) {
        CXmlElement root("Domains");
        for (const auto& [name, current] : domains) {
            CXmlElement* entry = root.AddChild("Domain");
            entry->AddAttribute(wire::kAttrDomainName, EncodeUtf16Base64(name));
            entry->AddAttribute(wire::kAttrDomainLocal, "0");
            entry->AddAttribute(wire::kAttrCurrentDomain, current ? "1" : "0");
        }
        auto answer = Answer(type);
        CXmlOptions options;
        answer->Root().ChildNode(wire::kDomainsNode).SetText(root.ToText(options));
        return answer;
    }

    remote::RemoteMachine machine_{Config()};
    TestHost host_;
    std::unique_ptr<PickerOwner> owner_;
};

TEST_F(PickerTest, OpeningAsksForTheDomainsListsTheCurrentOneAndReturnsTheAddedAccounts) {
    const auto groups = remote::MakeSimulatedGroups(machine_.Config());
    const auto users = remote::MakeSimulatedUsers(machine_.Config());
    std::vector<std::wstring> domains;
    std::wstring chosen;
    int listed = 0;
    bool removeEnabledEmpty = true;
    const auto result = Choose(10, [&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), L"Select Users");
        EXPECT_TRUE(Idle());
        domains = Domains(dialog);
        chosen = ChosenDomain(dialog);
        listed = Count(Accounts(dialog));
        removeEnabledEmpty = IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_REMOVE));
        Select(Accounts(dialog), Find(Accounts(dialog), L"Buchhaltung"));
        Click(dialog, IDC_PICKER_ADD);
        // A double click adds as well.
        const int zoe = Find(Accounts(dialog), L"zo\u00eb");
        NMITEMACTIVATE activate = {};
        activate.hdr.hwndFrom = Accounts(dialog);
        activate.hdr.idFrom = IDC_PICKER_ACCOUNTS;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = zoe;
        ::SendMessageW(dialog, WM_NOTIFY, IDC_PICKER_ACCOUNTS, reinterpret_cast<LPARAM>(&activate));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_REMOVE)));
        EXPECT_EQ(Column(Added(dialog), 0), (std::vector<std::wstring>{L"Buchhaltung", L"zo\u00eb"}));
        EXPECT_EQ(ListViewText(Added(dialog), 1, 1), L"Zo\u00eb \u00c5ngstr\u00f6m");
        return IDOK;
    });

    // The three domain lists, one request each, then both kinds of account of the current domain.
    const auto sent = SentRequests();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent[0].type, wire::kTypeMachine);
    EXPECT_EQ(sent[1].type, wire::kTypeDomain);
    EXPECT_EQ(sent[2].type, wire::kTypeTrusted);
    EXPECT_EQ(sent[0].startAt, -99) << "domain lists carry no StartAt";
    EXPECT_EQ(StartsFor(wire::kTypeGroups, L"WS-KLEE07").front(), 0);
    EXPECT_EQ(StartsFor(wire::kTypeUsers, L"WS-KLEE07").front(), 0);
    // The machine's domain is listed by two answers, and shown once.
    EXPECT_EQ(domains, (std::vector<std::wstring>{L"WS-KLEE07", L"NORDWERK", L"S\u00dcDLAGER", L"EXPORT"}));
    EXPECT_EQ(chosen, L"WS-KLEE07");
    EXPECT_EQ(listed, static_cast<int>(groups.size() + users.size()));
    EXPECT_FALSE(removeEnabledEmpty);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
    EXPECT_EQ(host_.StatusText(1), L"Success");

    ASSERT_EQ(result.outcome, CAccountPickers::Result::Outcome::Chosen);
    ASSERT_EQ(result.accounts->GetChildCount(), 2);
    const CXmlElement& group = *result.accounts->GetChild(0);
    EXPECT_EQ(group.Name(), "Group");
    EXPECT_EQ(ReadText(group, wire::kAttrGroupName), u"Buchhaltung");
    EXPECT_EQ(ReadText(group, wire::kAttrDomainName), u"WS-KLEE07");
    const picker::PickedAccount user = picker::ReadPickedAccount(*result.accounts->GetChild(1));
    EXPECT_FALSE(user.group);
    EXPECT_EQ(user.QualifiedName(), u"WS-KLEE07\\zo\u00eb");
    EXPECT_EQ(user.description, u"Entwicklung \u2013 Team S\u00fcd");
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(PickerTest, ADomainArrivesPageByPageFromUpToAndComesBackFromTheCacheWithoutARequest) {
    const auto domains = remote::MakeSimulatedDomains(machine_.Config());
    const size_t nordwerk = domains[1].groupCount + domains[1].userCount;
    size_t requestsBefore = 0, requestsAfter = 0;
    int listedFirst = 0, listedAgain = 0;
    std::vector<std::wstring> sorted, sortedAgain, descending, byFullName, namesByFullName, namesByFullNameDescending;
    Choose(5, [&](HWND dialog) {
        EXPECT_TRUE(Idle());
        ChooseDomain(dialog, L"NORDWERK");
        EXPECT_TRUE(Idle());
        listedFirst = Count(Accounts(dialog));
        ClickHeader(dialog, 0);
        sorted = Column(Accounts(dialog), 0);
        ChooseDomain(dialog, L"WS-KLEE07");
        requestsBefore = host_.CountRequests(kAccounts);
        ChooseDomain(dialog, L"NORDWERK");
        listedAgain = Count(Accounts(dialog));
        sortedAgain = Column(Accounts(dialog), 0);
        requestsAfter = host_.CountRequests(kAccounts);
        ClickHeader(dialog, 0);
        descending = Column(Accounts(dialog), 0);
        // Sorted by full name meanwhile: shown again in that order.
        ChooseDomain(dialog, L"WS-KLEE07");
        ClickHeader(dialog, 1);
        ChooseDomain(dialog, L"NORDWERK");
        byFullName = Column(Accounts(dialog), 1);
        namesByFullName = Column(Accounts(dialog), 0);
        ClickHeader(dialog, 1);
        namesByFullNameDescending = Column(Accounts(dialog), 0);
        return IDCANCEL;
    });
    const auto byName = [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; };
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), byName));
    EXPECT_EQ(sortedAgain, sorted) << "in the order it had";
    EXPECT_EQ(descending, std::vector<std::wstring>(sorted.rbegin(), sorted.rend()));
    EXPECT_EQ(byFullName.size(), nordwerk);
    EXPECT_TRUE(std::is_sorted(byFullName.begin(), byFullName.end(), byName));
    EXPECT_EQ(namesByFullNameDescending, std::vector<std::wstring>(namesByFullName.rbegin(), namesByFullName.rend()));
    EXPECT_EQ(listedFirst, static_cast<int>(nordwerk));
    EXPECT_EQ(listedAgain, static_cast<int>(nordwerk)) << "at once, from the cache";
    EXPECT_EQ(requestsAfter, requestsBefore);
    // Each page is asked for from the UpTo of the one before (pages of 7).
    const auto starts = StartsFor(wire::kTypeUsers, L"NORDWERK");
    ASSERT_GT(starts.size(), 3u);
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], static_cast<int32_t>(7 * i));
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(PickerTest, AddStopsAtTheMaximumAndRemoveFollowsTheAddedList) {
    int added = 0;
    bool removeEnabledAfterEmptied = true;
    const auto result = Choose(2, [&](HWND dialog) {
        EXPECT_TRUE(Idle());
        for (int i = 0; i < 4; ++i) {
            Select(Accounts(dialog), i);
            Click(dialog, IDC_PICKER_ADD);
        }
        added = Count(Added(dialog));
        Select(Added(dialog), 0);
        Click(dialog, IDC_PICKER_REMOVE);
        Select(Added(dialog), 0);
        Click(dialog, IDC_PICKER_REMOVE);
        removeEnabledAfterEmptied = IsWindowEnabled(GetDlgItem(dialog, IDC_PICKER_REMOVE));
        Select(Accounts(dialog), 5);
        Click(dialog, IDC_PICKER_ADD);
        return IDOK;
    });
    EXPECT_EQ(added, 2);
    EXPECT_FALSE(removeEnabledAfterEmptied);
    ASSERT_EQ(result.outcome, CAccountPickers::Result::Outcome::Chosen);
    EXPECT_EQ(result.accounts->GetChildCount(), 1);
}

TEST_F(PickerTest, TheSelectedAccountStaysSelectedWhenTheListIsSorted) {
    std::wstring selected, afterSort;
    const auto result = Choose(5, [&](HWND dialog) {
        EXPECT_TRUE(Idle());
        const int item = Find(Accounts(dialog), L"Guest");
        Select(Accounts(dialog), item);
        ClickHeader(dialog, 2);
        ClickHeader(dialog, 2);  // by description, descending
        const int now = static_cast<int>(::SendMessageW(Accounts(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        afterSort = ListViewText(Accounts(dialog), now, 0);
        EXPECT_NE(now, item) << "the row has moved";
        Click(dialog, IDC_PICKER_ADD);
        return IDOK;
    });
    EXPECT_EQ(afterSort, L"Guest");
    ASSERT_EQ(result.accounts->GetChildCount(), 1);
    EXPECT_EQ(picker::ReadPickedAccount(*result.accounts->GetChild(0)).name, u"Guest");
}

TEST_F(PickerTest, TheCurrentDomainIsChosenOnceWhateverLaterAnswersSay) {
    host_.AnswerWith(nullptr);  // the answers are delivered by hand
    std::wstring afterFirst, afterLast;
    size_t listings = 0;
    Choose(5, [&](HWND dialog) {
        host_.Deliver(DomainsAnswer(wire::kTypeMachine, {{u"HIER", true}}));
        afterFirst = ChosenDomain(dialog);
        ChooseDomain(dialog, L"HIER");
        host_.Deliver(DomainsAnswer(wire::kTypeDomain, {{u"DORT", true}}));
        host_.Deliver(DomainsAnswer(wire::kTypeTrusted, {{u"DORT", true}, {u"WOANDERS", true}}));
        afterLast = ChosenDomain(dialog);
        listings = host_.CountRequests(kAccounts);
        return IDCANCEL;
    });
    EXPECT_EQ(afterFirst, L"HIER");
    EXPECT_EQ(afterLast, L"HIER");
    EXPECT_EQ(listings, 3u + 2u) << "the three domain lists and one listing of HIER (groups and users)";
}

TEST_F(PickerTest, AnswersAfterThePickerClosedEndTheOwnersBusyAsCanceled) {
    AnswerFromMachine(200);
    Choose(5, [&](HWND) { return IDCANCEL; });
    EXPECT_EQ(host_.BusyDepth(), 3) << "the three domain requests are on their way";
    ASSERT_TRUE(Idle());
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_TRUE(host_.Dialogs().size() == 1) << "nothing more opened";

    // A stray answer now finds nobody waiting and changes nothing.
    owner_->BeginBusy(2012);
    host_.Deliver(DomainsAnswer(wire::kTypeMachine, {{u"HIER", true}}));
    EXPECT_EQ(host_.BusyDepth(), 1);
    owner_->EndBusy(2010);
}

TEST_F(PickerTest, PagesForADomainLeftBehindFillItsCacheAndNotTheListShown) {
    AnswerFromMachine(30);
    const auto domains = remote::MakeSimulatedDomains(machine_.Config());
    const size_t nordwerk = domains[1].groupCount + domains[1].userCount;
    const size_t lager = domains[2].groupCount + domains[2].userCount;
    int shownLager = 0, shownNordwerk = 0;
    size_t requestsBefore = 0, requestsAfter = 0;
    Choose(5, [&](HWND dialog) {
        EXPECT_TRUE(Idle());
        const size_t listedBefore = host_.CountRequests(kAccounts);
        ChooseDomain(dialog, L"NORDWERK");
        host_.PumpUntil([&] { return host_.CountRequests(kAccounts) > listedBefore + 4; });
        ChooseDomain(dialog, L"S\u00dcDLAGER");
        EXPECT_TRUE(Idle());
        shownLager = Count(Accounts(dialog));
        requestsBefore = host_.CountRequests(kAccounts);
        ChooseDomain(dialog, L"NORDWERK");
        shownNordwerk = Count(Accounts(dialog));
        requestsAfter = host_.CountRequests(kAccounts);
        return IDCANCEL;
    });
    EXPECT_EQ(shownLager, static_cast<int>(lager));
    EXPECT_EQ(shownNordwerk, static_cast<int>(nordwerk));
    EXPECT_EQ(requestsAfter, requestsBefore) << "NORDWERK finished in its cache";
}

TEST_F(PickerTest, AFailedOrUnreadableAnswerIsShownAndTheListsKeepWhatTheyHad) {
    int listedBefore = 0, listedAfter = 0;
    Choose(5, [&](HWND dialog) {
        EXPECT_TRUE(Idle());
        listedBefore = Count(Accounts(dialog));
        remote::Fault fault;
        fault.errorText = u"Die Dom\u00e4ne antwortet nicht.";
        fault.times = 1;
        fault.retValue = 1355;
        machine_.InjectFault(kAccounts, fault);
        ChooseDomain(dialog, L"NORDWERK");
        EXPECT_TRUE(Idle());
        remote::Fault garbage;
        garbage.kind = remote::FaultKind::Garbage;
        garbage.times = 1;
        machine_.InjectFault(kAccounts, garbage);
        ChooseDomain(dialog, L"S\u00dcDLAGER");
        EXPECT_TRUE(Idle());
        ChooseDomain(dialog, L"WS-KLEE07");
        listedAfter = Count(Accounts(dialog));
        return IDCANCEL;
    });
    std::vector<std::wstring> texts;
    for (const auto& dialog : host_.Dialogs())
        if (dialog.isMessageBox) texts.push_back(dialog.text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"Die Dom\u00e4ne antwortet nicht.");
    EXPECT_EQ(texts[1], L"The managed machine sent an answer that could not be read.");
    EXPECT_EQ(listedAfter, listedBefore) << "the machine's own accounts are still in the cache";
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(PickerTest, HostileAnswersAreLeftAloneOrEndTheirRequestWithoutHanging) {
    host_.AnswerWith(nullptr);
    int listed = -1;
    Choose(5, [&](HWND dialog) {
        host_.Deliver(DomainsAnswer(wire::kTypeMachine, {{u"HIER", true}}));
        // HIER's groups and users are on their way.
        EXPECT_EQ(host_.BusyDepth(), 4) << "two domain lists and the two listings of HIER";
        auto foreign = Answer(wire::kTypeGroups);
        foreign->Root().ChildNode(wire::kGroupsNode).SetText(
            "<Groups DomainName='" + EncodeUtf16Base64(u"FREMD") + "' Total='1' UpTo='1'><Group GroupName='" +
            EncodeUtf16Base64(u"x") + "'/></Groups>");
        host_.Deliver(std::move(foreign));  // a domain nobody asked for
        auto unknownType = Answer(77);
        host_.Deliver(std::move(unknownType));
        EXPECT_EQ(host_.BusyDepth(), 4);
        EXPECT_EQ(Count(Accounts(dialog)), 0);
        // A page that claims 4294967295 accounts and does not advance ends its listing.
        auto stuck = Answer(wire::kTypeUsers);
        stuck->Root().ChildNode(wire::kUsersNode).SetText("<Users DomainName='" + EncodeUtf16Base64(u"HIER") +
                                                           "' Total='4294967295' UpTo='0'><User UserName='" +
                                                           EncodeUtf16Base64(u"eins") + "'/></Users>");
        host_.Deliver(std::move(stuck));
        EXPECT_EQ(host_.BusyDepth(), 3);
        listed = Count(Accounts(dialog));
        return IDCANCEL;
    });
    EXPECT_EQ(listed, 0) << "a page that does not advance brings nothing";
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(PickerTest, TheNextPickerListsTheDomainsReceivedBeforeWithoutAskingAgain) {
    Choose(5, [&](HWND) {
        EXPECT_TRUE(Idle());
        return IDCANCEL;
    });
    host_.ClearRequests();
    std::vector<std::wstring> domains;
    Choose(5, [&](HWND dialog) {
        EXPECT_TRUE(Idle());
        domains = Domains(dialog);
        return IDCANCEL;
    });
    EXPECT_EQ(domains.size(), 4u);
    for (const Sent& sent : SentRequests()) EXPECT_TRUE(picker::IsAccountPageType(sent.type)) << sent.type;
}

TEST_F(PickerTest, ReleasingTheOwnerEndsItsOpenPicker) {
    CAccountPickers::Result::Outcome outcome = CAccountPickers::Result::Outcome::Chosen;
    host_.OnDialog([&](HWND, const CapturedDialog&) {
        EXPECT_TRUE(Idle());
        host_.DetachAllSnapIns();
        owner_.reset();
        return IDOK;  // too late: the picker has been ended already
    });
    PickerOwner* owner = owner_.get();
    outcome = owner->Pickers().Choose(owner->GetWindow(), 5).outcome;
    EXPECT_EQ(outcome, CAccountPickers::Result::Outcome::OwnerGone);
}

}  // namespace
}  // namespace vantrel::test
