// The snap-in base through the host contract: requests and answers, the
// "Supported" query, busy state in the status bar, errors and titles, on a
// snap-in of the tests' own making.
#include "framework/SnapInBase.h"
#include "framework/text/Base64.h"
#include "tests/framework/TestIds.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantrel::test {
namespace {

constexpr uint32_t kQueryCommand = 19040;

class MessageSnapIn final : public CSnapInBase {
public:
    MessageSnapIn(ISnapInHost* host, SuccessValue success) : CSnapInBase(host), success_(success) {}
    ~MessageSnapIn() override { DestroySnapInWindow(); }
    int32_t VANTREL_CALL GetSnapInId() override { return IDS_TEST_SNAPIN; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateSnapInWindow(parent); }

    void Ask(uint32_t command) {
        Request request(*this, command, 1);
        request.Field("Question").SetShort(1);
        request.Send();
    }
    std::vector<uint32_t> handled;
    // Answers whose "Question" is not this are not ours: they use up nothing.
    int16_t expectedQuestion = 0;
    using CSnapInBase::Outstanding;

protected:
    SuccessValue RetValueSuccess() const override { return success_; }
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override {
        if (expectedQuestion && root.Child("Question")->GetShort() != expectedQuestion) {
            ReturnOutstanding(command);
            return;
        }
        handled.push_back(command);
        CSnapInBase::HandleAnswer(command, answer, root);
    }

private:
    SuccessValue success_;
};

class MessagesTest : public testing::Test {
protected:
    MessageSnapIn& Make(SuccessValue success = SuccessValue::One) {
        snapIns_.push_back(std::make_unique<MessageSnapIn>(&host_, success));
        host_.Adopt(snapIns_.back().get());
        return *snapIns_.back();
    }
    std::unique_ptr<Message> Supported(bool supported) {
        auto answer = host_.MakeAnswer(IDS_TEST_SNAPIN, 0);
        answer->Root().ChildNode("Supported").SetBool(supported ? 1 : 0);
        return answer;
    }
    // Answers every request with "Supported" set as given, after the delay.
    void AnswerSupported(bool supported, unsigned delayMs) {
        host_.AnswerWith([this, supported](const Message&) { return Supported(supported); }, delayMs);
    }
    std::wstring ErrorTextShown(MessageSnapIn& snapIn, std::unique_ptr<Message> answer) {
        host_.Dialogs().clear();
        snapIn.ShowAnswerError(answer.get(), 0, 0);
        return host_.Dialogs().empty() ? L"(no box)" : host_.Dialogs().back().text;
    }

    TestHost host_;
    std::vector<std::unique_ptr<MessageSnapIn>> snapIns_;
};

TEST_F(MessagesTest, SupportedQueryIsARealRequestAndAnswer) {
    MessageSnapIn& snapIn = Make();
    snapIn.QuerySupported();
    const Message* request = host_.LastRequest(0);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->SnapInId(), static_cast<uint32_t>(IDS_TEST_SNAPIN));
    EXPECT_EQ(request->ReplyFlag(), 1);
    ASSERT_NE(request->Root().Find("Supported"), nullptr);
    EXPECT_EQ(request->Root().Find("Supported")->ValueKind(), host::MessageNode::Kind::Short);

    host_.Deliver(Supported(false));
    EXPECT_EQ(host_.NotSupported(), std::vector<int32_t>{IDS_TEST_SNAPIN});
    EXPECT_TRUE(host_.Supported().empty());
    snapIn.QuerySupported();
    host_.Deliver(Supported(true));
    EXPECT_EQ(host_.Supported(), std::vector<int32_t>{IDS_TEST_SNAPIN});
    EXPECT_EQ(host_.Releases(), 2);
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

TEST_F(MessagesTest, AnswersNobodyAskedForAreReleasedAndIgnored) {
    MessageSnapIn& snapIn = Make();
    host_.Deliver(host_.MakeAnswer(IDS_TEST_SNAPIN, 999));
    host_.Deliver(Supported(true));
    EXPECT_TRUE(host_.Supported().empty()) << "a 'Supported' answer without a query changes nothing";
    EXPECT_TRUE(snapIn.handled.empty());

    // An answer of another command does not use up the outstanding query.
    snapIn.QuerySupported();
    host_.Deliver(host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand));
    EXPECT_TRUE(snapIn.handled.empty());
    host_.Deliver(Supported(false));
    EXPECT_EQ(host_.NotSupported().size(), 1u);

    // The same answer twice: only the first one counts.
    snapIn.Ask(kQueryCommand);
    host_.Deliver(host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand));
    host_.Deliver(host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand));
    EXPECT_EQ(snapIn.handled, (std::vector<uint32_t>{0, kQueryCommand}));

    // An answer without any fields still goes through the handler safely.
    snapIn.QuerySupported();
    host_.Deliver(host_.MakeAnswer(IDS_TEST_SNAPIN, 0));
    EXPECT_EQ(host_.NotSupported().size(), 2u);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

TEST_F(MessagesTest, AnAnswerThatBelongsToNoRequestLeavesTheRequestWaiting) {
    MessageSnapIn& snapIn = Make();
    snapIn.expectedQuestion = 7;
    snapIn.Ask(kQueryCommand);
    auto stranger = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
    stranger->Root().ChildNode("Question").SetShort(8);
    host_.Deliver(std::move(stranger));
    EXPECT_EQ(snapIn.Outstanding(kQueryCommand), 1) << "the request still waits";
    auto own = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
    own->Root().ChildNode("Question").SetShort(7);
    host_.Deliver(std::move(own));
    EXPECT_EQ(snapIn.handled, std::vector<uint32_t>{kQueryCommand});
    EXPECT_EQ(snapIn.Outstanding(kQueryCommand), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(MessagesTest, AnswersArriveThroughTheHostsMessageLoopAndDieWithTheirSnapIns) {
    MessageSnapIn& snapIn = Make();
    AnswerSupported(true, 20);
    snapIn.QuerySupported();
    EXPECT_TRUE(host_.Supported().empty()) << "never inside SendMessage";
    ASSERT_TRUE(host_.PumpUntil([&] { return !host_.Supported().empty(); }));

    snapIn.QuerySupported();
    ASSERT_EQ(host_.PendingAnswers(), 1u);
    host_.DetachAllSnapIns();
    Make().QuerySupported();  // a new snap-in of the same number asks again
    EXPECT_EQ(host_.PendingAnswers(), 1u) << "the old answer went with the old snap-in";
    ASSERT_TRUE(host_.PumpUntil([&] { return host_.PendingAnswers() == 0; }));
    EXPECT_EQ(host_.Supported().size(), 2u);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(MessagesTest, BusyStateIsPairedAndShownInTheStatusBar) {
    MessageSnapIn& snapIn = Make();
    snapIn.BeginBusy(IDS_STATUS_IN_PROGRESS);
    EXPECT_EQ(host_.StatusText(1), L"In progress...");
    EXPECT_EQ(host_.StatusText(2), L"");
    snapIn.BeginBusy(IDS_STATUS_IN_PROGRESS);
    snapIn.ShowProgress(IDS_STATUS_IN_PROGRESS, 3, 10);
    EXPECT_EQ(host_.StatusText(2), L"3/10");
    snapIn.EndBusy(IDS_STATUS_SUCCESS);
    EXPECT_EQ(host_.BusyDepth(), 1);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    snapIn.EndBusyWithCount(IDS_STATUS_SUCCESS, 4294967295u, 7);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(2), L"4294967295/7");

    // An end without a begin changes nothing, so one unpaired answer cannot
    // leave the console busy or the counter below zero.
    snapIn.EndBusy(IDS_STATUS_FAILED);
    snapIn.EndBusyWithCount(IDS_STATUS_FAILED, 1, 1);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.EndBusyCalls(), 2);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    snapIn.BeginBusy(IDS_STATUS_IN_PROGRESS);
    snapIn.EndBusy(IDS_STATUS_FAILED);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
}

TEST_F(MessagesTest, ErrorTextFallsBackFromErrorStrToSystemTextToCodeWhateverMeansSuccess) {
    for (SuccessValue success : {SuccessValue::One, SuccessValue::Zero}) {
        MessageSnapIn& snapIn = Make(success);
        auto withText = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
        withText->Root().ChildNode("ErrorStr").SetText(EncodeUtf16Base64(u"Der Dienst antwortet nicht. \u00e9\u4e2d"));
        withText->Root().ChildNode("RetValue").SetLong(5);
        EXPECT_EQ(ErrorTextShown(snapIn, std::move(withText)), L"Der Dienst antwortet nicht. \u00e9\u4e2d");
        EXPECT_EQ(host_.Dialogs().back().caption, L"Error");
        EXPECT_TRUE(host_.Dialogs().back().errorIcon);

        auto systemText = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
        systemText->Root().ChildNode("RetValue").SetLong(ERROR_ACCESS_DENIED);
        const std::wstring denied = ErrorTextShown(snapIn, std::move(systemText));
        EXPECT_FALSE(denied.empty());
        EXPECT_EQ(denied.find(L"Error description"), std::wstring::npos) << "the system's own text";

        auto unknownCode = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
        unknownCode->Root().ChildNode("ErrorStr").SetText("");
        unknownCode->Root().ChildNode("RetValue").SetLong(0x20001234);
        EXPECT_EQ(ErrorTextShown(snapIn, std::move(unknownCode)),
                  L"Error description could not be found. Error code 536875572.");

        // A failure that carries 0 where 1 is success must not read "The
        // operation completed successfully."
        auto zero = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
        zero->Root().ChildNode("RetValue").SetLong(0);
        EXPECT_EQ(ErrorTextShown(snapIn, std::move(zero)), L"Error description could not be found. Error code 0.");
        auto one = host_.MakeAnswer(IDS_TEST_SNAPIN, kQueryCommand);
        one->Root().ChildNode("RetValue").SetLong(1);
        const std::wstring codeOne = ErrorTextShown(snapIn, std::move(one));
        if (success == SuccessValue::One)
            EXPECT_EQ(codeOne, L"Error description could not be found. Error code 1.");
        else
            EXPECT_EQ(codeOne.find(L"Error description"), std::wstring::npos) << "1 is a system error code here";
    }
}

TEST_F(MessagesTest, ErrorBoxesTakeTheirCaptionFromTheStringTableAndUseCommonControlsSix) {
    MessageSnapIn& snapIn = Make();
    std::wstring buttonModule;
    host_.OnDialog([&](HWND dialog, const CapturedDialog&) {
        buttonModule = WindowProcModule(GetDlgItem(dialog, IDOK));
        return IDOK;
    });
    snapIn.ShowError("Plain text", IDS_TEST_CAPTION);
    snapIn.ShowErrorW(L"Wide text", 0);
    snapIn.ShowErrorId(IDS_STATUS_FAILED, 1);  // an id without a string gives an empty caption
    ASSERT_EQ(host_.Dialogs().size(), 3u);
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Test Caption");
    EXPECT_EQ(host_.Dialogs()[0].text, L"Plain text");
    EXPECT_EQ(host_.Dialogs()[1].caption, L"Error");
    EXPECT_EQ(host_.Dialogs()[2].text, L"Failed");
    EXPECT_EQ(host_.Dialogs()[2].caption, L"");
    // Without the module's manifest the button class would be user32's own.
    EXPECT_NE(buttonModule.find(L"comctl32"), std::wstring::npos) << std::string(buttonModule.begin(), buttonModule.end());
}

TEST_F(MessagesTest, TitleIsThePrefixAndTheToolName) {
    host_.SetTitlePrefix("Console [SRV-01] ");
    Make().Activate();
    EXPECT_EQ(host_.Title(), "Console [SRV-01] - Test Tool");
    EXPECT_EQ(WindowText(host_.Frame()), L"Console [SRV-01] - Test Tool");
}

TEST_F(MessagesTest, CtrlTabIsSwallowedWithoutTabsAndToolTipsNeedALineFeed) {
    MessageSnapIn& snapIn = Make();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG tab = {host_.Frame(), WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(snapIn.TranslateAccelerator(&tab));
    tab.message = WM_KEYUP;
    EXPECT_TRUE(snapIn.TranslateAccelerator(&tab));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    tab.message = WM_KEYDOWN;
    EXPECT_FALSE(snapIn.TranslateAccelerator(&tab)) << "a plain Tab is not the snap-in's";

    NMTTDISPINFOW info = {};
    info.hdr.code = TTN_GETDISPINFOW;
    info.hdr.idFrom = IDS_TEST_NO_TOOLTIP;
    EXPECT_FALSE(snapIn.OnToolTipTextW(IDS_TEST_NO_TOOLTIP, &info));
    EXPECT_EQ(info.szText[0], L'\0');
    EXPECT_TRUE(info.uFlags & TTF_DI_SETITEM);
    NMTTDISPINFOA infoA = {};
    EXPECT_FALSE(snapIn.OnToolTipTextA(4242, &infoA)) << "no string at all";
    EXPECT_FALSE(infoA.uFlags & TTF_DI_SETITEM);
    info = {};
    info.uFlags = TTF_IDISHWND;
    EXPECT_FALSE(snapIn.OnToolTipTextW(IDS_TEST_NO_TOOLTIP, &info));
}

}  // namespace
}  // namespace vantrel::test
