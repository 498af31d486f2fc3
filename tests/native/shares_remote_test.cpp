// Shared Folders on the simulated machine: its sizes, its lists read back
// through the snap-in's model, and what changes when the tool changes it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/shares/model/Protocol.h"
#include "snapins/shares/model/ShareSettings.h"
#include "snapins/shares/model/SharesModel.h"

namespace vantrel::remote {
namespace {

using host::Message;
namespace wire = shares::protocol;

class ShareMachine {
public:
    explicit ShareMachine(MachineConfig config = {}) : machine_(config) {}

    template <typename Record>
    void List(uint32_t command, const char* node, shares::Store<Record>& store) {
        store.Clear();
        int64_t sent = -1;
        for (int pages = 0; pages < 10000; ++pages) {
            Message request(command, wire::kSnapInId, 1);
            request.Root().ChildNode(node).SetText("<" + std::string(node) + " StartAt='" + std::to_string(sent) + "'/>");
            const auto answer = machine_.Answer(request);
            ASSERT_EQ(answer->Root().ChildNode(kRetValueNode).AsLong(), wire::kSuccess);
            CXmlElement root;
            ASSERT_EQ(ParseAnswer(answer->Root().ChildNode(node).Text().c_str(), root), AnswerText::Parsed);
            store.MergePage(root);
            int64_t next = 0;
            if (NextPage(sent, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute), &next,
                         ContinueFrom::UpTo) != PageStep::Continue)
                return;
            sent = next;
        }
        FAIL() << "the listing did not end";
    }

    void Refresh() {
        List(wire::kSharesCommand, wire::kSharesNode, shares);
        List(wire::kSessionsCommand, wire::kSessionsNode, sessions);
        List(wire::kFilesCommand, wire::kFilesNode, files);
    }

    std::unique_ptr<Message> Send(uint32_t command, const char* node, const std::string& text) {
        Message request(command, wire::kSnapInId, 1);
        request.Root().ChildNode(node).SetText(text);
        return machine_.Answer(request);
    }

    static bool Succeeded(const Message& answer) {
        return answer.Root().Find(kRetValueNode) && answer.Root().Find(kRetValueNode)->AsLong() == wire::kSuccess;
    }
    static std::u16string ErrorText(const Message& answer) {
        const auto* error = answer.Root().Find(kErrorTextNode);
        return DecodeUtf16Base64(error ? error->Text() : std::string());
    }

    RemoteMachine machine_;
    shares::ShareStore shares;
    shares::SessionStore sessions;
    shares::OpenFileStore files;
};

TEST(SharesMachine, SizesGrowWithTheScale) {
    MachineConfig config;
    EXPECT_EQ(config.ShareCount(), 25);
    EXPECT_EQ(config.SessionCount(), 40);
    EXPECT_EQ(config.OpenFileCount(), 300);
    config.scale = 100;
    EXPECT_EQ(config.ShareCount(), 2000);
    EXPECT_EQ(config.SessionCount(), 5000);
    EXPECT_EQ(config.OpenFileCount(), 100000);
}

TEST(SharesMachine, ListsHoldHiddenSharesPrintersGuestsAndNonAsciiNames) {
    ShareMachine machine;
    machine.Refresh();
    ASSERT_EQ(machine.shares.Count(), 25u);
    ASSERT_EQ(machine.sessions.Count(), 40u);
    ASSERT_EQ(machine.files.Count(), 300u);
    bool hidden = false, printer = false, nonAscii = false;
    for (size_t i = 0; i < machine.shares.Count(); ++i) {
        const auto& share = *machine.shares.At(i);
        hidden = hidden || shares::TypeTextOf(share) == shares::ShareTypeText::Hidden;
        printer = printer || share.type == wire::kTypePrint;
        nonAscii = nonAscii || share.name == u"Проекты";
    }
    EXPECT_TRUE(hidden && printer && nonAscii);
    EXPECT_EQ(machine.sessions.At(0)->connTime, 90061u);
    EXPECT_TRUE(machine.sessions.At(1)->guest);
}

TEST(SharesMachine, RemovingReallyRemoves) {
    ShareMachine machine;
    machine.Refresh();
    // A session goes with its open files.
    const std::u16string user = machine.sessions.At(0)->userName;
    auto answer = machine.Send(wire::kCloseSessionCommand, wire::kSessionNode, machine.sessions.At(0)->element);
    EXPECT_TRUE(ShareMachine::Succeeded(*answer));
    const std::string file = machine.files.At(1)->element;
    EXPECT_TRUE(ShareMachine::Succeeded(*machine.Send(wire::kCloseFileCommand, wire::kFileNode, file)));
    EXPECT_TRUE(ShareMachine::Succeeded(*machine.Send(wire::kDeleteShareCommand, wire::kShareNode, machine.shares.At(0)->element)));
    machine.Refresh();
    EXPECT_EQ(machine.shares.Count(), 24u);
    EXPECT_EQ(machine.sessions.Count(), 39u);
    for (size_t i = 0; i < machine.files.Count(); ++i) {
        EXPECT_NE(machine.files.At(i)->accessedBy, user);
        EXPECT_NE(machine.files.At(i)->element, file);
    }
    // What is gone cannot go twice.
    answer = machine.Send(wire::kCloseFileCommand, wire::kFileNode, file);
    EXPECT_FALSE(ShareMachine::Succeeded(*answer));
    EXPECT_FALSE(ShareMachine::ErrorText(*answer).empty());
}

TEST(SharesMachine, NewSharesNeedAnExistingFolderAndAFreeName) {
    ShareMachine machine;
    shares::ShareSettings settings;
    settings.name = u"Archiv 2023";
    settings.folderPath = u"D:\\Archiv\\2023\\";
    settings.description = u"Jahresarchiv";
    EXPECT_TRUE(ShareMachine::Succeeded(*machine.Send(wire::kAddShareCommand, wire::kShareNode, shares::NewShareElement(settings))));
    auto again = machine.Send(wire::kAddShareCommand, wire::kShareNode, shares::NewShareElement(settings));
    EXPECT_EQ(ShareMachine::ErrorText(*again), u"The share name is already in use on this server.");
    settings.name = u"Nirgends";
    settings.folderPath = u"D:\\Nirgends";
    EXPECT_FALSE(ShareMachine::Succeeded(*machine.Send(wire::kAddShareCommand, wire::kShareNode, shares::NewShareElement(settings))));
    machine.Refresh();
    ASSERT_EQ(machine.shares.Count(), 26u);
    EXPECT_EQ(machine.shares.At(25)->description, u"Jahresarchiv");

    Message check(wire::kFileExistsCommand, wire::kSnapInId, 1);
    check.Root().ChildNode(wire::kFileNameNode).SetText(EncodeUtf16Base64(u"D:\\Nirgends"));
    const auto answer = machine.machine_.Answer(check);
    EXPECT_EQ(answer->Root().ChildNode(wire::kFileExistNode).AsLong(), 0);
    EXPECT_EQ(ShareMachine::ErrorText(*answer), u"The system cannot find the path specified.");
    EXPECT_EQ(DecodeUtf16Base64(answer->Root().ChildNode(wire::kFileNameNode).Text()), u"D:\\Nirgends");
}

}  // namespace
}  // namespace vantrel::remote
