// The simulated machine's side of Local Users and Groups and of the account
// picker: sizes by scale, pages, and state that changes with the requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/users/UsersData.h"
#include "snapins/picker/model/Protocol.h"
#include "snapins/users/model/Protocol.h"
#include "snapins/users/model/UsersModel.h"

namespace vantrel::remote {
namespace {

namespace wire = users::protocol;
namespace pick = picker::protocol;
using host::Message;

class UsersMachineTest : public testing::Test {
protected:
    std::unique_ptr<Message> Ask(uint32_t command, const char* node, const std::string& text) {
        Message request(command, wire::kSnapInId, 1);
        request.Root().ChildNode(node).SetText(text);
        return machine_.Answer(request);
    }
    static int16_t Ret(const Message& answer) { return answer.Root().Find("RetValue")->AsShort(); }
    static std::u16string Error(const Message& answer) {
        const auto* node = answer.Root().Find("ErrorStr");
        return node ? DecodeUtf16Base64(node->Text()) : u"";
    }
    static std::unique_ptr<CXmlElement> Xml(const Message& answer, const char* node) {
        auto root = std::make_unique<CXmlElement>();
        EXPECT_EQ(ParseAnswer(answer.Root().Find(node)->Text(), *root), AnswerText::Parsed);
        return root;
    }
    std::vector<std::u16string> UserNames() {
        std::vector<std::u16string> names;
        int64_t start = -1;
        for (int guard = 0; guard < 1000; ++guard) {
            auto answer = Ask(wire::kListUsersCommand, wire::kUsersNode, "<Users StartAt='" + std::to_string(start) + "' />");
            const auto root = Xml(*answer, wire::kUsersNode);
            for (int i = 0; i < root->GetChildCount(); ++i) names.push_back(ReadText(*root->GetChild(i), "Name"));
            const int64_t upTo = ReadInt64(*root, "UpTo");
            if (upTo + 1 >= ReadInt64(*root, "Total")) break;
            start = upTo + 1;
        }
        return names;
    }

    static MachineConfig Config() {
        MachineConfig config;
        config.pageSize = 9;
        return config;
    }
    RemoteMachine machine_{Config()};
};

TEST_F(UsersMachineTest, SizesFollowTheScale) {
    MachineConfig config;
    EXPECT_EQ(MakeSimulatedUsers(config).size(), 40u);
    EXPECT_EQ(MakeSimulatedGroups(config).size(), 25u);
    config.scale = 100;
    const auto domains = MakeSimulatedDomains(config);
    EXPECT_EQ(domains[1].groupCount + domains[1].userCount, 100000u);
    EXPECT_NE(DomainAccountAt(domains[1], 5000).name, DomainAccountAt(domains[1], 5001).name);
}

TEST_F(UsersMachineTest, ListsArriveInPagesWhoseUpToIsTheirLastIndex) {
    auto answer = Ask(wire::kListUsersCommand, wire::kUsersNode, "<Users StartAt='-1' />");
    EXPECT_EQ(Ret(*answer), 0);
    const auto root = Xml(*answer, wire::kUsersNode);
    EXPECT_EQ(root->GetChildCount(), 9);
    EXPECT_EQ(ReadInt64(*root, "UpTo"), 8);
    EXPECT_EQ(ReadInt64(*root, "Total"), 40);
    EXPECT_EQ(UserNames().size(), 40u);
}

TEST_F(UsersMachineTest, CreateRenameDeleteAndPasswordChangeTheMachineOrAreRefusedWithTheirText) {
    const std::string name = "Name='" + EncodeUtf16Base64(u"neu") + "'";
    users::NewUser user{u"neu", u"Neu N", u"", u"kurz", {}, false};
    auto refused = Ask(wire::kCreateUserCommand, wire::kUserNode, users::CreateUserRequestText(user));
    EXPECT_EQ(Ret(*refused), 2245);
    EXPECT_NE(Error(*refused).find(u"password policy"), std::u16string::npos);
    user.password = u"Lang-genug-1";
    auto created = Ask(wire::kCreateUserCommand, wire::kUserNode, users::CreateUserRequestText(user));
    ASSERT_EQ(Ret(*created), 0);
    EXPECT_EQ(ReadText(*Xml(*created, wire::kUserNode), "FullName"), u"Neu N");
    auto again = Ask(wire::kCreateUserCommand, wire::kUserNode, users::CreateUserRequestText(user));
    EXPECT_EQ(Error(*again), u"The account already exists.");
    user.name = u"a,b";
    EXPECT_EQ(Ret(*Ask(wire::kCreateUserCommand, wire::kUserNode, users::CreateUserRequestText(user))), 1315);

    auto renamed = Ask(wire::kRenameUserCommand, wire::kUserNode, users::RenameRequestText("User", u"neu", u"neuer", 17));
    ASSERT_EQ(Ret(*renamed), 0);
    const auto echo = Xml(*renamed, wire::kUserNode);
    EXPECT_EQ(ReadText(*echo, "Name"), u"neuer");
    EXPECT_EQ(users::ReadRowId(*echo), 17u);
    EXPECT_EQ(Ret(*Ask(wire::kRenameUserCommand, wire::kUserNode, users::RenameRequestText("User", u"neuer", u"Guest", 17))),
              2224);

    EXPECT_EQ(Ret(*Ask(wire::kSetPasswordCommand, wire::kUserNode, users::SetPasswordRequestText(u"neuer", u"x"))), 2245);
    EXPECT_EQ(Ret(*Ask(wire::kSetPasswordCommand, wire::kUserNode, users::SetPasswordRequestText(u"neuer", u"Ganz-neu-2"))), 0);

    EXPECT_EQ(Ret(*Ask(wire::kDeleteUserCommand, wire::kUserNode, users::DeleteRequestText("User", u"Administrator", 1))),
              1371);
    auto deleted = Ask(wire::kDeleteUserCommand, wire::kUserNode, users::DeleteRequestText("User", u"neuer", 17));
    ASSERT_EQ(Ret(*deleted), 0);
    EXPECT_EQ(users::ReadRowId(*Xml(*deleted, wire::kUserNode)), 17u);
    const auto names = UserNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), u"neuer"), 0);
    EXPECT_EQ(Error(*Ask(wire::kDeleteUserCommand, wire::kUserNode, users::DeleteRequestText("User", u"neuer", 17))),
              u"The user name could not be found.");
}

TEST_F(UsersMachineTest, PropertyWritesSetTheMembershipAndNeverBeginALockout) {
    users::UserProperties properties;
    properties.fullName = u"Zo\u00eb Z";
    properties.flags = 0x0211;  // asks for a lockout
    properties.groups = {u"WS-KLEE07\\Buchhaltung"};
    Message write(wire::kWriteUserCommand, wire::kSnapInId, 1);
    write.Root().ChildNode(wire::kUserNode).SetText(users::WriteUserRequestText(properties));
    write.Root().ChildNode(wire::kNameNode).SetText(EncodeUtf16Base64(u"zo\u00eb"));
    write.Root().ChildNode(wire::kRowIdNode).SetText("5");
    auto answer = machine_.Answer(write);
    ASSERT_EQ(Ret(*answer), 0);
    EXPECT_EQ(answer->Root().Find(wire::kRowIdNode)->Text(), "5");

    auto read = Ask(wire::kReadUserCommand, wire::kUserNode, "<User Name='" + EncodeUtf16Base64(u"zo\u00eb") + "' StartAt='-1' />");
    const auto root = Xml(*read, wire::kUserNode);
    EXPECT_EQ(ReadText(*root, "FullName"), u"Zo\u00eb Z");
    EXPECT_EQ(ReadUInt32(*root, "Flags"), 0x0201u);
    ASSERT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(ReadText(*root->GetChild(0), "Name"), u"Buchhaltung");

    properties.groups = {u"Nirgendwo"};
    write.Root().ChildNode(wire::kUserNode).SetText(users::WriteUserRequestText(properties));
    EXPECT_EQ(Ret(*machine_.Answer(write)), 2220);
}

TEST_F(UsersMachineTest, ThePickersDomainsAndPagesAnswerEveryOwner) {
    for (uint32_t owner : {15005u, 15006u, 15010u}) {
        Message request(pick::kAccountCommand, owner, 1);
        request.Root().ChildNode(pick::kNetworkTypeNode).SetShort(pick::kTypeTrusted);
        auto answer = machine_.Answer(request);
        EXPECT_EQ(Ret(*answer), 0) << owner;
        EXPECT_EQ(answer->Root().Find(pick::kNetworkTypeNode)->AsShort(), pick::kTypeTrusted);
        EXPECT_EQ(Xml(*answer, pick::kDomainsNode)->GetChildCount(), 3) << "the domain and two trusted ones";
    }
    Message page(pick::kAccountCommand, 15010, 1);
    page.Root().ChildNode(pick::kNetworkTypeNode).SetShort(pick::kTypeUsers);
    page.Root().ChildNode(pick::kStartAtNode).SetLong(9);
    page.Root().ChildNode(pick::kDomainNameNode).SetText(EncodeUtf16Base64(u"nordwerk"));
    auto answer = machine_.Answer(page);
    const auto root = Xml(*answer, pick::kUsersNode);
    EXPECT_EQ(ReadText(*root, "DomainName"), u"NORDWERK");
    EXPECT_EQ(ReadInt64(*root, "UpTo"), 18) << "the index after the last one sent";
    EXPECT_EQ(root->GetChildCount(), 9);
    page.Root().ChildNode(pick::kDomainNameNode).SetText(EncodeUtf16Base64(u"NIRGENDS"));
    EXPECT_EQ(Ret(*machine_.Answer(page)), 1355);
}

}  // namespace
}  // namespace vantrel::remote
