// The snap-in base through the host contract: requests and answers, the
// "Supported" query, busy state in the status bar, errors and titles.
#include "framework/text/Base64.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

namespace vantrel::test {
namespace {

constexpr int32_t kTaskManager = 15003;

std::string WideBase64(const std::u16string& text) { return EncodeUtf16Base64(text); }

// Answers every request with "Supported" set as given, after the delay.
void AnswerSupported(TestHost& host, bool supported, unsigned delayMs) {
    host.AnswerWith(
        [&host, supported](const Message& request) {
            auto answer = host.MakeAnswer(static_cast<int32_t>(request.SnapInId()), request.Command());
            answer->Root().ChildNode("Supported").SetBool(supported ? 1 : 0);
            return answer;
        },
        delayMs);
}

TEST(SnapInBase, SupportedQueryIsARealRequestAndAnswer) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);
    snapIn->QuerySupported();
    const Message* request = host.LastRequest(0);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->SnapInId(), 15003u);
    EXPECT_EQ(request->ReplyFlag(), 1);
    ASSERT_NE(request->Root().Find("Supported"), nullptr);
    EXPECT_EQ(request->Root().Find("Supported")->ValueKind(), host::MessageNode::Kind::Short);

    auto answer = host.MakeAnswer(kTaskManager, 0);
    answer->Root().ChildNode("Supported").SetBool(0);
    host.Deliver(std::move(answer));
    EXPECT_EQ(host.NotSupported(), std::vector<int32_t>{kTaskManager});
    EXPECT_TRUE(host.Supported().empty());

    snapIn->QuerySupported();
    answer = host.MakeAnswer(kTaskManager, 0);
    answer->Root().ChildNode("Supported").SetBool(1);
    host.Deliver(std::move(answer));
    EXPECT_EQ(host.Supported(), std::vector<int32_t>{kTaskManager});
    EXPECT_EQ(host.Releases(), 2);
    EXPECT_EQ(host.DoubleReleases(), 0);
}

TEST(SnapInBase, AnswersNobodyAskedForAreReleasedAndIgnored) {
    TestHost host;
    host.Open(kTaskManager);

    auto unknown = host.MakeAnswer(kTaskManager, 999);
    host.Deliver(std::move(unknown));
    auto unasked = host.MakeAnswer(kTaskManager, 0);
    unasked->Root().ChildNode("Supported").SetBool(1);
    host.Deliver(std::move(unasked));
    EXPECT_TRUE(host.Supported().empty()) << "a 'Supported' answer without a query changes nothing";

    // The same answer twice: only the first one counts.
    host.List()->GetSnapIn(kTaskManager)->QuerySupported();
    for (int i = 0; i < 2; ++i) {
        auto answer = host.MakeAnswer(kTaskManager, 0);
        answer->Root().ChildNode("Supported").SetBool(0);
        host.Deliver(std::move(answer));
    }
    EXPECT_EQ(host.NotSupported().size(), 1u);

    // An answer without any fields still goes through the handler safely.
    host.List()->GetSnapIn(kTaskManager)->QuerySupported();
    host.Deliver(host.MakeAnswer(kTaskManager, 0));
    EXPECT_EQ(host.NotSupported().size(), 2u);

    EXPECT_EQ(host.Releases(), host.AnswersMade());
    EXPECT_EQ(host.DoubleReleases(), 0);
}

TEST(SnapInBase, AnswersArriveThroughTheHostsMessageLoop) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);
    AnswerSupported(host, true, 20);
    snapIn->QuerySupported();
    EXPECT_TRUE(host.Supported().empty()) << "never inside SendMessage";
    ASSERT_TRUE(host.PumpUntil([&] { return !host.Supported().empty(); }));
    EXPECT_EQ(host.Releases(), 1);
}

TEST(SnapInBase, AnswersStillOnTheirWayWhenTheListGoesAreDropped) {
    TestHost host;
    AnswerSupported(host, false, 30);
    host.Open(kTaskManager)->QuerySupported();
    ASSERT_EQ(host.PendingAnswers(), 1u);
    host.RenewList();
    host.Open(kTaskManager)->QuerySupported();  // the new snap-in asks again
    EXPECT_EQ(host.PendingAnswers(), 1u) << "the old answer went with the old list";
    ASSERT_TRUE(host.PumpUntil([&] { return host.PendingAnswers() == 0; }));
    EXPECT_EQ(host.NotSupported().size(), 1u);
    EXPECT_EQ(host.Releases(), host.AnswersMade());
}

TEST(SnapInBase, BusyStateIsPairedAndShownInTheStatusBar) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);
    snapIn->BeginBusy(2012);
    EXPECT_EQ(host.StatusText(1), L"In progress...");
    EXPECT_EQ(host.StatusText(2), L"");
    snapIn->BeginBusy(2012);
    snapIn->ShowProgress(2012, 3, 10);
    EXPECT_EQ(host.StatusText(2), L"3/10");
    snapIn->EndBusy(2010);
    EXPECT_EQ(host.BusyDepth(), 1);
    EXPECT_EQ(host.StatusText(1), L"Success");
    snapIn->EndBusyWithCount(2010, 4294967295u, 7);
    EXPECT_EQ(host.BusyDepth(), 0);
    EXPECT_EQ(host.StatusText(2), L"4294967295/7");

    // An end without a begin changes nothing, so one unpaired answer cannot
    // leave the console busy or the counter below zero.
    snapIn->EndBusy(2011);
    snapIn->EndBusyWithCount(2011, 1, 1);
    EXPECT_EQ(host.BusyDepth(), 0);
    EXPECT_EQ(host.EndBusyCalls(), 2);
    EXPECT_EQ(host.StatusText(1), L"Success");
    snapIn->BeginBusy(2012);
    EXPECT_EQ(host.BusyDepth(), 1);
    snapIn->EndBusy(2011);
    EXPECT_EQ(host.StatusText(1), L"Failed");
}

TEST(SnapInBase, AnswerErrorTextFallsBackFromErrorStrToSystemTextToCode) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);

    auto withText = host.MakeAnswer(kTaskManager, 401);
    withText->Root().ChildNode("ErrorStr").SetText(WideBase64(u"Der Dienst antwortet nicht. \u00e9\u4e2d"));
    withText->Root().ChildNode("RetValue").SetLong(5);
    snapIn->ShowAnswerError(withText.get(), 0, 0);

    auto systemText = host.MakeAnswer(kTaskManager, 401);
    systemText->Root().ChildNode("RetValue").SetLong(ERROR_ACCESS_DENIED);
    snapIn->ShowAnswerError(systemText.get(), 0, 0);

    auto unknownCode = host.MakeAnswer(kTaskManager, 401);
    unknownCode->Root().ChildNode("ErrorStr").SetText("");
    unknownCode->Root().ChildNode("RetValue").SetLong(0x20001234);
    snapIn->ShowAnswerError(unknownCode.get(), 0, 0);

    ASSERT_EQ(host.Dialogs().size(), 3u);
    const auto& dialogs = host.Dialogs();
    EXPECT_EQ(dialogs[0].text, L"Der Dienst antwortet nicht. \u00e9\u4e2d");
    EXPECT_EQ(dialogs[0].caption, L"Error");
    EXPECT_TRUE(dialogs[0].errorIcon);
    EXPECT_FALSE(dialogs[1].text.empty());
    EXPECT_EQ(dialogs[1].text.find(L"Error description"), std::wstring::npos) << "the system's own text";
    EXPECT_EQ(dialogs[2].text, L"Error description could not be found. Error code 536875572.");
}

TEST(SnapInBase, ErrorBoxesTakeTheirCaptionFromTheStringTable) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);
    snapIn->ShowError("Plain text", 15005);
    snapIn->ShowErrorW(L"Wide text", 0);
    snapIn->ShowErrorId(2011, 1);  // an id without a string gives an empty caption
    ASSERT_EQ(host.Dialogs().size(), 3u);
    EXPECT_EQ(host.Dialogs()[0].caption, L"Services");
    EXPECT_EQ(host.Dialogs()[0].text, L"Plain text");
    EXPECT_EQ(host.Dialogs()[1].caption, L"Error");
    EXPECT_EQ(host.Dialogs()[2].text, L"Failed");
    EXPECT_EQ(host.Dialogs()[2].caption, L"");
}

TEST(SnapInBase, MessageBoxesUseVersionSixCommonControls) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);
    std::wstring buttonModule;
    host.OnDialog([&](HWND dialog, const CapturedDialog&) {
        buttonModule = WindowProcModule(GetDlgItem(dialog, IDOK));
        return IDOK;
    });
    snapIn->ShowError("x", 0);
    ASSERT_FALSE(buttonModule.empty());
    // Without the module's manifest the button class would be user32's own.
    EXPECT_NE(buttonModule.find(L"comctl32"), std::wstring::npos) << std::string(buttonModule.begin(), buttonModule.end());
}

TEST(SnapInBase, TitleIsThePrefixAndTheToolName) {
    TestHost host;
    host.SetTitlePrefix("Console [SRV-01] ");
    ISnapIn* snapIn = host.Open(15002);
    snapIn->Activate();
    EXPECT_EQ(host.Title(), "Console [SRV-01] - Event Viewer");
    EXPECT_EQ(WindowText(host.Frame()), L"Console [SRV-01] - Event Viewer");
}

TEST(SnapInBase, CtrlTabIsSwallowedWithoutTabsAndToolTipsNeedALineFeed) {
    TestHost host;
    ISnapIn* snapIn = host.Open(kTaskManager);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG tab = {host.Frame(), WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(snapIn->TranslateAccelerator(&tab));
    tab.message = WM_KEYUP;
    EXPECT_TRUE(snapIn->TranslateAccelerator(&tab));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    tab.message = WM_KEYDOWN;
    EXPECT_FALSE(snapIn->TranslateAccelerator(&tab)) << "a plain Tab is not the snap-in's";

    NMTTDISPINFOW info = {};
    info.hdr.code = TTN_GETDISPINFOW;
    info.hdr.idFrom = 2010;  // "Success": no line feed
    EXPECT_FALSE(snapIn->OnToolTipTextW(2010, &info));
    EXPECT_EQ(info.szText[0], L'\0');
    EXPECT_TRUE(info.uFlags & TTF_DI_SETITEM);
    NMTTDISPINFOA infoA = {};
    EXPECT_FALSE(snapIn->OnToolTipTextA(4242, &infoA)) << "no string at all";
    EXPECT_FALSE(infoA.uFlags & TTF_DI_SETITEM);
    info = {};
    info.uFlags = TTF_IDISHWND;
    EXPECT_FALSE(snapIn->OnToolTipTextW(2010, &info));
}

}  // namespace
}  // namespace vantrel::test
