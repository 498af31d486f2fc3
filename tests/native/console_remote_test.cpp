// The Command Console on the simulated machine: its interpreter, the screen
// read back in pieces through the snap-in's model, starts with and without an
// account, the child's exit code, and the fault modes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/console/ConsoleInterpreter.h"
#include "snapins/console/model/ConsoleScreen.h"
#include "snapins/console/model/KeyEvents.h"
#include "snapins/console/model/Protocol.h"

namespace vantrel::remote {
namespace {

using host::Message;
namespace wire = console::protocol;

// ---------------------------------------------------------------------------
// The interpreter

TEST(ConsoleInterpreterTest, EchoesWhatIsTypedAndRunsItsCommands) {
    ConsoleInterpreter console(80, 25);
    console.Start("", true);
    EXPECT_EQ(console.RowText(0), "Simulated command interpreter [Version 1.0]");
    EXPECT_EQ(console.AttributeAt(0, 0), ConsoleInterpreter::kBanner);
    EXPECT_EQ(console.RowText(3), "C:\\Windows\\system32>");
    EXPECT_EQ(console.CursorX(), 20);
    EXPECT_EQ(console.CursorY(), 3);

    for (char c : std::string("echo hellx"))
        console.Key(256, uint32_t(uint8_t(c)) << 24);
    console.Key(257, uint32_t('O') << 24);  // key-ups type nothing
    console.Key(256, 0x08u << 24 | 0x08);   // Backspace
    console.Key(256, uint32_t('o') << 24);
    EXPECT_EQ(console.RowText(3), "C:\\Windows\\system32>echo hello");
    console.Key(256, 0x0Du << 24 | 0x0D);
    EXPECT_EQ(console.RowText(4), "hello");
    EXPECT_EQ(console.RowText(6), "C:\\Windows\\system32>");

    console.TypeLine("dir");
    bool folderShown = false;
    for (int row = 0; row < console.Height(); ++row) {
        const std::string text = console.RowText(row);
        if (text.find("<DIR>") != std::string::npos && text.find("Scripts") != std::string::npos)
            folderShown = console.AttributeAt(static_cast<int>(text.find("Scripts")), row) == ConsoleInterpreter::kFolder;
    }
    EXPECT_TRUE(folderShown) << "folders are drawn in their own colour";

    console.TypeLine("cls");
    EXPECT_EQ(console.RowText(0), "C:\\Windows\\system32>");
    console.TypeLine("type nihongo.txt");
    EXPECT_EQ(console.RowText(1).substr(0, 6), "\x93\xFA\x96\x7B\x8C\xEA") << "code page 932 bytes, one a cell";
    console.TypeLine("set GREETING=Gr\x81\xE1");
    console.TypeLine("set greet");
    EXPECT_NE(console.RowText(console.CursorY() - 2).find("GREETING=Gr"), std::string::npos);
    console.TypeLine("frobnicate");
    const int errorRow = console.CursorY() - 3;
    EXPECT_EQ(console.RowText(errorRow), "'frobnicate' is not recognized as an internal or external command,");
    EXPECT_EQ(console.AttributeAt(0, errorRow), ConsoleInterpreter::kError);
}

TEST(ConsoleInterpreterTest, OutputScrollsAndExitEndsTheChildWithItsCode) {
    ConsoleInterpreter console(60, 5);
    console.Start("operator", true);
    EXPECT_EQ(console.RowText(3), "C:\\Users\\operator>");
    for (int i = 0; i < 6; ++i) console.TypeLine("echo line " + std::to_string(i));
    EXPECT_EQ(console.CursorY(), 4) << "the cursor stays on the last row";
    EXPECT_EQ(console.RowText(2), "line 5");
    EXPECT_EQ(console.RowText(4), "C:\\Users\\operator>");

    // Lines longer than the row wrap, typed and written.
    console.TypeLine("echo " + std::string(70, 'x'));
    EXPECT_EQ(console.RowText(1), std::string(60, 'x'));
    EXPECT_EQ(console.RowText(2), std::string(10, 'x'));

    EXPECT_TRUE(console.Running());
    console.TypeLine("exit 3");
    EXPECT_FALSE(console.Running());
    EXPECT_EQ(console.ExitCode(), 3);
    EXPECT_FALSE(console.CursorVisible());
    const std::vector<uint8_t> after = console.Bytes();
    console.TypeLine("echo nobody hears");
    EXPECT_EQ(console.Bytes(), after) << "keys after the end change nothing";
}

// ---------------------------------------------------------------------------
// The simulation through its messages

class ConsoleMachine {
public:
    explicit ConsoleMachine(MachineConfig config = {}) : machine_(std::move(config)) {}

    std::unique_ptr<Message> Send(uint32_t command) { return machine_.Answer(Message(command, wire::kSnapInId)); }

    std::unique_ptr<Message> Start(bool useHost, const std::u16string& login = {}, const std::u16string& password = {})
    {
        Message request(wire::kStartCommand, wire::kSnapInId);
        request.Root().ChildNode(wire::kUseHostNode).SetBool(useHost ? 1 : 0);
        request.Root().ChildNode(wire::kDomainNode).SetText("");
        request.Root().ChildNode(wire::kLoginNode).SetText(EncodeUtf16Base64(login));
        request.Root().ChildNode(wire::kPasswordNode).SetText(EncodeUtf16Base64(password));
        request.Root().ChildNode(wire::kLoadProfileNode).SetBool(1);
        return machine_.Answer(request);
    }

    void Type(const std::string& text)
    {
        for (char c : text) {
            console::KeyEvent key{wire::kKeyDown, 0, 0, uint8_t(c), 1};
            if (c == '\r')
                key.virtualKey = 0x0D;
            Message request(wire::kKeyCommand, wire::kSnapInId);
            request.Root().ChildNode(wire::kKeyEventsNode).SetText(console::KeyEventsXml(key));
            EXPECT_EQ(machine_.Answer(request)->Root().ChildNode(kRetValueNode).AsLong(), 0);
        }
    }

    // Reads pieces into the snap-in's model until a screen completes; the
    // number of answers it took.
    int ReadScreen(console::ConsoleScreen& screen, int limit = 64)
    {
        for (int answers = 1; answers <= limit; ++answers) {
            std::unique_ptr<Message> answer = Send(wire::kScreenCommand);
            last_ = Fields(*answer);
            const console::ScreenUpdate update = screen.Apply(last_.fields);
            outcome_ = update.outcome;
            if (update.outcome != console::PieceOutcome::Stored)
                return answers;
        }
        return -1;
    }

    console::PieceOutcome LastOutcome() const { return outcome_; }
    const console::ScreenAnswer& LastFields() const { return last_.fields; }
    RemoteMachine& Machine() { return machine_; }

private:
    struct Read {
        std::string buffer;
        console::ScreenAnswer fields;
    };

    static Read Fields(Message& answer)
    {
        Read read;
        host::MessageNode& root = answer.Root();
        read.buffer = root.ChildNode(wire::kScreenBufferNode).Text();
        read.fields.buffer = read.buffer;
        read.fields.width = root.ChildNode(wire::kScreenWidthNode).AsLong();
        read.fields.height = root.ChildNode(wire::kScreenHeightNode).AsLong();
        read.fields.offset = root.ChildNode(wire::kOffsetNode).AsLong();
        read.fields.cursorX = root.ChildNode(wire::kCursorXNode).AsLong();
        read.fields.cursorY = root.ChildNode(wire::kCursorYNode).AsLong();
        read.fields.cursorSize = root.ChildNode(wire::kCursorSizeNode).AsLong();
        read.fields.cursorVisible = root.ChildNode(wire::kCursorVisibleNode).AsBool();
        read.fields.sizeRestricted = root.ChildNode(wire::kSizeRestrictedNode).AsBool();
        return read;
    }

    RemoteMachine machine_;
    Read last_;
    console::PieceOutcome outcome_ = console::PieceOutcome::BadSize;
};

std::string RowOf(const console::ConsoleScreen& screen, int row)
{
    std::string text;
    for (int column = 0; column < screen.Width(); ++column)
        text.push_back(static_cast<char>(screen.CharacterAt(column, row)));
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST(ConsoleSimulationTest, TheScreenComesInPiecesAndOnlyWhatChangedIsSentAgain) {
    ConsoleMachine machine;
    console::ConsoleScreen screen;
    EXPECT_EQ(machine.ReadScreen(screen), 3) << "80 x 25 in pieces of 3,200 bytes";
    EXPECT_EQ(screen.Width(), 80);
    EXPECT_EQ(screen.Height(), 25);
    EXPECT_EQ(RowOf(screen, 3), "C:\\Windows\\system32>") << "a console is ready before any start";
    EXPECT_FALSE(machine.LastFields().sizeRestricted);

    EXPECT_EQ(machine.ReadScreen(screen), 1) << "unchanged: the last piece alone";
    machine.Type("echo hi\r");
    EXPECT_EQ(machine.ReadScreen(screen), 3) << "the change lies in the first piece: all three again";
    EXPECT_EQ(RowOf(screen, 4), "hi");
    EXPECT_EQ(screen.CurrentCursor().row, 6);
    EXPECT_TRUE(screen.CurrentCursor().visible);

    // A start forgets what was sent: the next screen goes whole.
    ASSERT_EQ(machine.Start(true)->Root().ChildNode(kRetValueNode).AsLong(), 0);
    EXPECT_EQ(machine.ReadScreen(screen), 3);
    EXPECT_EQ(RowOf(screen, 4), "") << "a fresh console";
}

TEST(ConsoleSimulationTest, TheLargestScreenTakesAHandfulOfAnswersAndOversizeIsRestricted) {
    MachineConfig largest;
    largest.scale = 100;
    EXPECT_EQ(largest.ConsoleWidth(), 120);
    EXPECT_EQ(largest.ConsoleHeight(), 9001);
    ConsoleMachine machine(largest);
    console::ConsoleScreen screen;
    EXPECT_EQ(machine.ReadScreen(screen), 8);
    EXPECT_EQ(screen.ByteCount(), 120u * 9001 * 4);

    MachineConfig tooLarge;
    tooLarge.console.height = 20000;
    ConsoleMachine restricted(tooLarge);
    console::ConsoleScreen small;
    restricted.ReadScreen(small);
    EXPECT_EQ(small.Width(), 80);
    EXPECT_EQ(small.Height(), 300);
    EXPECT_TRUE(restricted.LastFields().sizeRestricted);
}

TEST(ConsoleSimulationTest, AnAccountStartsOnlyWithItsPasswordAndExitReportsTheCode) {
    MachineConfig config;
    config.console.impersonate = true;
    ConsoleMachine machine(config);
    std::unique_ptr<Message> supported = machine.Send(wire::kSupportedCommand);
    EXPECT_TRUE(supported->Root().ChildNode("Supported").AsBool());
    EXPECT_TRUE(supported->Root().ChildNode(wire::kImpersonateNode).AsBool());
    EXPECT_TRUE(machine.Machine().IsPolled(wire::kSnapInId, wire::kScreenCommand));
    EXPECT_TRUE(machine.Machine().IsPolled(wire::kSnapInId, wire::kChildCommand));
    EXPECT_FALSE(machine.Machine().IsPolled(wire::kSnapInId, wire::kKeyCommand));

    std::unique_ptr<Message> refused = machine.Start(false, u"operator", u"wrong");
    EXPECT_EQ(refused->Root().ChildNode(kRetValueNode).AsLong(), 1326);
    EXPECT_EQ(DecodeUtf16Base64(refused->Root().ChildNode(kErrorTextNode).Text()),
              u"The user name or password is incorrect.");
    EXPECT_EQ(machine.Start(false, u"OPERATOR", u"K\u00f6nig-2")->Root().ChildNode(kRetValueNode).AsLong(), 0);
    console::ConsoleScreen screen;
    machine.ReadScreen(screen);
    EXPECT_EQ(RowOf(screen, 3), "C:\\Users\\OPERATOR>");

    std::unique_ptr<Message> running = machine.Send(wire::kChildCommand);
    EXPECT_TRUE(running->Root().ChildNode(wire::kChildRunningNode).AsBool());
    machine.Type("exit 3\r");
    std::unique_ptr<Message> ended = machine.Send(wire::kChildCommand);
    EXPECT_FALSE(ended->Root().ChildNode(wire::kChildRunningNode).AsBool());
    EXPECT_EQ(ended->Root().ChildNode(wire::kChildExitCodeNode).AsLong(), 3);

    Message garbage(wire::kKeyCommand, wire::kSnapInId);
    garbage.Root().ChildNode(wire::kKeyEventsNode).SetText("<KeyEvents><KeyEv");
    EXPECT_EQ(machine.Machine().Answer(garbage)->Root().ChildNode(kRetValueNode).AsLong(), 87);
}

TEST(ConsoleSimulationTest, FaultModesGiveAnswersTheModelRefusesOrNeverCompletes) {
    ConsoleMachine machine;
    console::ConsoleScreen screen;
    machine.ReadScreen(screen);
    const std::vector<uint8_t> before(screen.Cells(), screen.Cells() + screen.ByteCount());

    Fault huge;
    huge.kind = FaultKind::HugeTotal;
    huge.times = 1;
    machine.Machine().InjectFault(wire::kScreenCommand, huge);
    EXPECT_EQ(machine.ReadScreen(screen), 1);
    EXPECT_EQ(machine.LastOutcome(), console::PieceOutcome::BadSize);
    EXPECT_EQ(machine.LastFields().width, 65536);

    Fault hostile;
    hostile.kind = FaultKind::HostileNumbers;
    hostile.times = 2;
    machine.Machine().InjectFault(wire::kScreenCommand, hostile);
    for (int i = 0; i < 2; ++i) {
        machine.ReadScreen(screen, 1);
        EXPECT_EQ(machine.LastOutcome(), console::PieceOutcome::BadPiece);
    }
    EXPECT_EQ(std::vector<uint8_t>(screen.Cells(), screen.Cells() + screen.ByteCount()), before);

    Fault stuck;
    stuck.kind = FaultKind::StuckPage;
    stuck.times = 10;
    machine.Machine().InjectFault(wire::kScreenCommand, stuck);
    EXPECT_EQ(machine.ReadScreen(screen, 10), -1) << "the first piece again and again: never complete";
    EXPECT_EQ(machine.LastFields().offset, 0);

    Fault garbage;
    garbage.kind = FaultKind::Garbage;
    garbage.times = 1;
    machine.Machine().InjectFault(wire::kScreenCommand, garbage);
    EXPECT_EQ(machine.ReadScreen(screen), 4) << "a spoiled piece, then the next screen whole";
    EXPECT_EQ(RowOf(screen, 3), "C:\\Windows\\system32>");

    Fault failed;
    failed.errorText = u"The handle is invalid.";
    machine.Machine().InjectFault(wire::kChildCommand, failed);
    EXPECT_EQ(machine.Send(wire::kChildCommand)->Root().ChildNode(kRetValueNode).AsLong(), 1);
}

}  // namespace
}  // namespace vantrel::remote
