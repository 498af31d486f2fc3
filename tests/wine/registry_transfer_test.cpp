// Import and export of registration files through the system's file dialogs:
// the bytes move unchanged and in order, and a hostile machine can neither
// write outside the chosen file nor leave a damaged one behind.
#include "framework/model/Answer.h"
#include "framework/model/ChunkedTransfer.h"
#include "remote/SimulatedSnapIn.h"
#include "tests/host/LocalFiles.h"
#include "tests/wine/RegistryToolTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

uint64_t Position(const Message& message, const char* high, const char* low) {
    return JoinHalves(static_cast<uint32_t>(message.Root().Find(high)->AsLong()),
                      static_cast<uint32_t>(message.Root().Find(low)->AsLong()));
}

void SetPosition(Message& message, const char* high, const char* low, uint64_t value) {
    message.Root().ChildNode(high).SetLong(static_cast<int32_t>(HighHalf(value)));
    message.Root().ChildNode(low).SetLong(static_cast<int32_t>(LowHalf(value)));
}

class RegistryTransferTest : public RegistryTest {
protected:
    static constexpr int kExportChunk = 1000;
    static remote::MachineConfig Config() {
        remote::MachineConfig config = Small();
        config.registry.manyValues = 200;  // a file of three import chunks
        config.registry.exportChunkSize = kExportChunk;
        return config;
    }
    RegistryTransferTest() : RegistryTest(Config()) {}

    void SetUp() override {
        RegistryTest::SetUp();
        // Answers may be changed on their way, as a hostile machine would.
        host_.AnswerWith([this](const Message& request) {
            auto answer = responder_ ? responder_(request) : machine_.Answer(request);
            if (answer && spoil_) spoil_(request, *answer);
            return answer;
        }, 1);
    }

    // Runs a command whose file dialog is answered with `path`; a question
    // whether to replace the file is answered yes.
    void WithFile(int command, const fs::path& path) {
        const std::wstring name = path.wstring();
        host_.OnDialog([name](HWND dialog, const CapturedDialog& captured) {
            if (captured.isMessageBox) return IDYES;
            for (int edit : {0x47C, 0x480}) SetDlgItemTextW(dialog, edit, name.c_str());
            return IDOK;
        });
        host_.Dialogs().clear();
        Command(command);
        WaitIdle();
    }
    std::vector<const Message*> Sent(uint32_t command) const {
        std::vector<const Message*> found;
        for (const auto& request : host_.Requests())
            if (request->Command() == command) found.push_back(request.get());
        return found;
    }
    // The machine deletes a key of HKEY_CURRENT_USER\Software\Vantrel, as another console would.
    void DeleteOnTheMachine(std::u16string_view name) {
        Message request(wire::kDeleteCommand, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kKeyNode).SetLong(static_cast<int32_t>(0x80000001u));
        request.Root().ChildNode(wire::kSubkeyNode).SetText(EncodeUtf16Base64(u"Software\\Vantrel"));
        request.Root().ChildNode(wire::kNameNode).SetText(EncodeUtf16Base64(name));
        ASSERT_EQ(machine_.Answer(request)->Root().Find(kRetValueNode)->AsLong(), 0);
    }

    std::function<std::unique_ptr<Message>(const Message&)> responder_;
    std::function<void(const Message&, Message&)> spoil_;
    TemporaryFolder folder_{"vantrel-registry"};
    const fs::path& temp_ = folder_.Path();
};

TEST_F(RegistryTransferTest, AnExportedKeyImportedAgainComesBackByteForByte) {
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Many Values"}));
    std::vector<uint8_t> sentByTheMachine;
    spoil_ = [&](const Message& request, Message& answer) {
        if (request.Command() != wire::kExportCommand) return;
        const std::vector<uint8_t> chunk = Base64Decode(answer.Root().Find(wire::kPackageNode)->Text());
        sentByTheMachine.insert(sentByTheMachine.end(), chunk.begin(), chunk.end());
    };
    const fs::path file = temp_ / "many.reg";
    WithFile(ID_REG_EXPORT, file);
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Export Registry File");
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.BusyDepth(), 0);
    const std::vector<const Message*> exports = Sent(wire::kExportCommand);
    ASSERT_GT(exports.size(), 2u) << "a large key comes in many chunks";
    EXPECT_EQ(test::Sent(*exports[0], wire::kSubkeyNode), u"Software\\Vantrel\\Many Values");
    EXPECT_EQ(exports[0]->Root().Find(wire::kKeyNode)->AsLong(), static_cast<int32_t>(0x80000001u));
    for (size_t i = 1; i < exports.size(); ++i)
        EXPECT_EQ(Position(*exports[i], wire::kStartAtHighNode, wire::kStartAtLowNode), i * kExportChunk);
    const std::vector<uint8_t> exported = FileBytes(file);
    EXPECT_EQ(exported, sentByTheMachine);
    EXPECT_EQ(FilesIn(temp_), 1u) << "no temporary file left";

    ASSERT_GT(exported.size(), 2u * 4096) << "imported in three chunks";
    DeleteOnTheMachine(u"Many Values");
    spoil_ = nullptr;
    host_.ClearRequests();
    WithFile(ID_REG_IMPORT, file);
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Import Registry File");
    EXPECT_EQ(host_.StatusText(1), L"Success");
    const std::vector<const Message*> imports = Sent(wire::kImportCommand);
    ASSERT_EQ(imports.size(), (exported.size() + 4095) / 4096);
    for (size_t i = 0; i < imports.size(); ++i) {
        const uint64_t start = i * 4096u;
        EXPECT_EQ(Position(*imports[i], wire::kStartAtHighNode, wire::kStartAtLowNode), start);
        EXPECT_EQ(Position(*imports[i], wire::kUpToHighNode, wire::kUpToLowNode),
                  std::min<uint64_t>(start + 4096, exported.size()));
        EXPECT_EQ(Position(*imports[i], wire::kFileSizeHighNode, wire::kFileSizeLowNode), exported.size());
    }
    // The machine has the key again: exported anew, the file is the same.
    const fs::path again = temp_ / "again.reg";
    WithFile(ID_REG_EXPORT, again);
    EXPECT_EQ(FileBytes(again), exported);
}

TEST_F(RegistryTransferTest, ImportSendsTheFileInChunksOfItsOwnAndStopsOnAnyDoubt) {
    const fs::path file = temp_ / "8192.reg";
    std::vector<uint8_t> bytes(8192);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    WriteBytes(file, bytes);
    std::function<void(Message&, const Message&)> answerAs = [](Message&, const Message&) {};
    responder_ = [&](const Message& request) {
        if (request.Command() != wire::kImportCommand) return machine_.Answer(request);
        auto answer = host_.MakeAnswer(wire::kSnapInId, wire::kImportCommand);
        answer->Root().ChildNode(kRetValueNode).SetLong(0);
        SetPosition(*answer, wire::kUpToHighNode, wire::kUpToLowNode,
                    Position(request, wire::kUpToHighNode, wire::kUpToLowNode));
        SetPosition(*answer, wire::kFileSizeHighNode, wire::kFileSizeLowNode, 1);  // says nothing that counts
        answerAs(*answer, request);
        return answer;
    };

    WithFile(ID_REG_IMPORT, file);
    std::vector<const Message*> chunks = Sent(wire::kImportCommand);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(Base64Decode(chunks[1]->Root().Find(wire::kPackageNode)->Text()),
              std::vector<uint8_t>(bytes.begin() + 4096, bytes.end()));
    EXPECT_EQ(Position(*chunks[1], wire::kUpToHighNode, wire::kUpToLowNode), 8192u);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.Dialogs().size(), 1u) << "no box";

    // An answer that confirms other bytes than those sent ends the import.
    answerAs = [](Message& answer, const Message&) { SetPosition(answer, wire::kUpToHighNode, wire::kUpToLowNode, 8192); };
    host_.ClearRequests();
    WithFile(ID_REG_IMPORT, file);
    EXPECT_EQ(Sent(wire::kImportCommand).size(), 1u);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_EQ(host_.Dialogs()[1].text, L"Imort error. The managed machine sent an answer that could not be read.");

    // The machine refuses: its text in the box.
    answerAs = [](Message& answer, const Message&) { remote::SetFailure(answer, 5, u"Access is denied."); };
    WithFile(ID_REG_IMPORT, file);
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_EQ(host_.Dialogs()[1].text, L"Imort error. Access is denied.");

    // An empty file is refused before anything is sent.
    const fs::path empty = temp_ / "empty.reg";
    WriteBytes(empty, {});
    host_.ClearRequests();
    WithFile(ID_REG_IMPORT, empty);
    EXPECT_TRUE(Sent(wire::kImportCommand).empty());
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_EQ(host_.Dialogs()[1].text.rfind(empty.wstring() + L": ", 0), 0u) << "the file named, then the system's text";
    EXPECT_GT(host_.Dialogs()[1].text.size(), empty.wstring().size() + 3);
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(RegistryTransferTest, HostileExportAnswersLeaveTheChosenFileAsItWasAndNoOtherFile) {
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"}));
    const fs::path target = temp_ / "kept.reg";
    const std::vector<uint8_t> kept = {'w', 'h', 'a', 't', ' ', 'w', 'a', 's'};
    WriteBytes(target, kept);
    struct Case {
        const char* what;
        std::function<void(Message&)> spoil;
        const wchar_t* box;
    } cases[] = {
        {"a gap", [](Message& a) { SetPosition(a, wire::kStartAtHighNode, wire::kStartAtLowNode, kExportChunk + 1); }, nullptr},
        {"an overlap", [](Message& a) { SetPosition(a, wire::kStartAtHighNode, wire::kStartAtLowNode, 100); }, nullptr},
        {"a size that grows", [](Message& a) { SetPosition(a, wire::kFileSizeHighNode, wire::kFileSizeLowNode, 1ull << 40); }, nullptr},
        {"more claimed than sent", [](Message& a) { SetPosition(a, wire::kUpToHighNode, wire::kUpToLowNode, 3 * kExportChunk); }, nullptr},
        {"a failure", [](Message& a) { remote::SetFailure(a, 8, u"Not enough memory."); }, L"Export error. Not enough memory."},
    };
    for (const Case& c : cases) {
        int answers = 0;
        spoil_ = [&](const Message& request, Message& answer) {
            if (request.Command() == wire::kExportCommand && answers++ == 1) c.spoil(answer);
        };
        WithFile(ID_REG_EXPORT, target);
        EXPECT_EQ(host_.StatusText(1), L"Failed") << c.what;
        ASSERT_FALSE(host_.Dialogs().empty()) << c.what;
        const CapturedDialog& box = host_.Dialogs().back();
        EXPECT_TRUE(box.isMessageBox) << c.what;
        EXPECT_EQ(box.text, c.box ? std::wstring(c.box)
                                  : L"Export error. The managed machine sent an answer that could not be read.")
            << c.what;
        EXPECT_EQ(answers, 2) << c.what << ": nothing asked after the bad chunk";
        EXPECT_EQ(FileBytes(target), kept) << c.what;
        EXPECT_EQ(FilesIn(temp_), 1u) << c.what << ": the temporary file went";
        EXPECT_EQ(host_.BusyDepth(), 0) << c.what;
    }

    // A chunk nobody asked for writes nothing anywhere.
    spoil_ = nullptr;
    auto unasked = host_.MakeAnswer(wire::kSnapInId, wire::kExportCommand);
    unasked->Root().ChildNode(kRetValueNode).SetLong(0);
    SetPosition(*unasked, wire::kUpToHighNode, wire::kUpToLowNode, 3);
    SetPosition(*unasked, wire::kFileSizeHighNode, wire::kFileSizeLowNode, 3);
    unasked->Root().ChildNode(wire::kPackageNode).SetText(Base64Encode("abc", 3));
    const int releases = host_.Releases();
    host_.Dialogs().clear();
    host_.Deliver(std::move(unasked));
    host_.PumpFor(20);
    EXPECT_EQ(host_.Releases(), releases + 1);
    EXPECT_EQ(FileBytes(target), kept);
    EXPECT_EQ(FilesIn(temp_), 1u);
    EXPECT_TRUE(host_.Dialogs().empty());
}

TEST_F(RegistryTransferTest, AnExportWhoseWindowHasGoneEndsQuietlyAndLeavesNoFile) {
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"}));
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 30);
    host_.OnDialog([name = (temp_ / "gone.reg").wstring()](HWND dialog, const CapturedDialog&) {
        for (int edit : {0x47C, 0x480}) SetDlgItemTextW(dialog, edit, name.c_str());
        return IDOK;
    });
    Command(ID_REG_EXPORT);
    host_.Dialogs().clear();
    ExpectQuietEndAfterTheWindowHasGone(host_, snapIn_);
    EXPECT_EQ(FilesIn(temp_), 0u);
}

}  // namespace
}  // namespace vantrel::test
