// The Local Users and Groups answer parsers on arbitrary text: a page of
// users or groups (1101, 1102), a page of properties (1110, 1111), the
// elements of create, rename and delete answers, then what the view asks of
// what they stored. The first byte chooses the StartAt the page answers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/xml/Xml.h"
#include "snapins/users/model/UsersModel.h"

namespace {

using namespace vantrel::users;

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckUsers(const UserStore& store) {
    for (size_t i = 0; i < store.Count(); ++i) {
        const UserRecord& user = store.Rows()[i];
        Require(!user.name.empty());
        Require(store.Find(user.id) == &user);
        if (i + 1 < store.Count())
            for (int column = 0; column < kUserColumnCount; ++column)
                Require(CompareUsers(user, store.Rows()[i + 1], column) == -CompareUsers(store.Rows()[i + 1], user, column));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int64_t sent = (data[0] & 1) ? -1 : static_cast<int64_t>(data[0] >> 1) * 7;
    // The input's bytes in their own allocation, freed before anything stored
    // is read: records own what they hold.
    auto text = std::make_unique<std::string>(reinterpret_cast<const char*>(data + 1), size - 1);

    vantrel::CXmlElement root;
    const bool parsed = vantrel::ParseAnswer(text->c_str(), root) == vantrel::AnswerText::Parsed;
    RowIds ids;
    UserStore users(ids);
    GroupStore groups(ids);
    UserProperties user;
    GroupProperties group;
    RowId answered = kNoRow;
    if (parsed) {
        MergeUsersPage(users, root);
        MergeGroupsPage(groups, root);
        MergeUserPropertiesPage(user, root, true);
        MergeUserPropertiesPage(user, root, false);
        MergeGroupPropertiesPage(group, root, true);
        answered = ReadRowId(root);
        int64_t next = 0;
        const vantrel::PageStep step =
            vantrel::NextPage(sent, vantrel::ReadInt64(root, "UpTo"), vantrel::ReadInt64(root, "Total"), &next,
                              vantrel::ContinueFrom::UpToPlusOne);
        if (step == vantrel::PageStep::Continue) Require(next > sent);
    }
    const RowId fromNode = ParseRowId(text->c_str());
    text.reset();

    CheckUsers(users);
    Require(users.Find(kNoRow) == nullptr);
    Require(answered == kNoRow || users.Find(answered) == nullptr || users.Find(answered)->id == answered);
    Require(fromNode == kNoRow || fromNode > 0);
    for (const GroupMember& member : group.members) Require(!member.Shown().empty());
    // What is read can be written back and read again unchanged.
    vantrel::CXmlElement again;
    Require(vantrel::ParseAnswer(WriteUserRequestText(user), again) == vantrel::AnswerText::Parsed);
    Require(again.GetChildCount() == 1);
    Require(static_cast<size_t>(again.GetChild(0)->GetChildCount()) == user.groups.size());
    Require(EditedFlags(user.flags, FlagChoicesOf(user.flags)) == user.flags);
    vantrel::CXmlElement groupAgain;
    Require(vantrel::ParseAnswer(WriteGroupRequestText(group), groupAgain) == vantrel::AnswerText::Parsed);
    // Removing every row leaves nothing found.
    while (users.Count() > 0) Require(users.Remove(users.Rows().back().id));
    return 0;
}
