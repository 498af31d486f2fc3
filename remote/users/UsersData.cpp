#include "remote/users/UsersData.h"

#include "framework/text/TextCompare.h"
#include "remote/Random.h"
#include "snapins/picker/model/Protocol.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace vantrel::remote {

namespace {

constexpr uint32_t kNormal = 0x0201;  // normal account, logon script
constexpr uint32_t kDisabled = 0x0002, kLockedOut = 0x0010, kCannotChange = 0x0040, kNeverExpires = 0x10000;

struct KnownUser {
    const char16_t* name;
    const char16_t* fullName;
    const char16_t* description;
    uint32_t flags;
    int32_t passwordExpired;
    const char16_t* profilePath;
    const char16_t* homePath;
    const char16_t* homeDrive;
};

const KnownUser kKnownUsers[] = {
    {u"Administrator", u"", u"Built-in account for administering the computer/domain", kNormal | kNeverExpires, 0, u"",
     u"", u""},
    {u"Guest", u"", u"Built-in account for guest access to the computer/domain",
     kNormal | kDisabled | kCannotChange | kNeverExpires, 0, u"", u"", u""},
    {u"jmassmann", u"J\u00fcrgen Ma\u00dfmann", u"Buchhaltung, Zimmer 2.14", kNormal, 0,
     u"\\\\fs01\\profiles\\jmassmann", u"\\\\fs01\\home\\jmassmann", u"H:"},
    {u"zo\u00eb", u"Zo\u00eb \u00c5ngstr\u00f6m", u"Entwicklung \u2013 Team S\u00fcd", kNormal, 0, u"",
     u"D:\\Home\\zoe", u""},
    {u"\u0142ukasz.w", u"\u0141ukasz Wi\u015bniewski", u"Gesperrt nach drei Fehlversuchen", kNormal | kLockedOut, 0,
     u"", u"", u""},
    {u"\u0434\u043c\u0438\u0442\u0440\u0438\u0439", u"\u0414\u043c\u0438\u0442\u0440\u0438\u0439 \u0418\u0432\u0430\u043d\u043e\u0432",
     u"\u041e\u0442\u0434\u0435\u043b \u043f\u0440\u043e\u0434\u0430\u0436", kNormal, 0, u"", u"", u""},
    {u"\u03b5\u03bb\u03ad\u03bd\u03b7", u"\u0395\u03bb\u03ad\u03bd\u03b7 \u03a0\u03b1\u03c0\u03b1\u03b4\u03bf\u03c0\u03bf\u03cd\u03bb\u03bf\u03c5",
     u"Ausgeschieden", kNormal | kDisabled, 0, u"", u"", u""},
    {u"svc_backup", u"", u"Konto f\u00fcr die n\u00e4chtliche Sicherung", kNormal | kCannotChange | kNeverExpires, 0,
     u"", u"", u""},
    {u"jos\u00e9", u"Jos\u00e9 Ol\u00e9", u"Muss das Kennwort bei der n\u00e4chsten Anmeldung \u00e4ndern", kNormal, 1,
     u"", u"", u""},
    {u"kiosk", u"Empfang (Kiosk)",
     u"Gemeinsames Konto f\u00fcr den Bildschirm im Empfang. Darf nur den Besucherplan und die Hausordnung "
     u"anzeigen; Anmeldung automatisch um 7:00 Uhr, Abmeldung um 19:00 Uhr. Ansprechpartner: Haustechnik, "
     u"Durchwahl 4711. Bitte keine pers\u00f6nlichen Daten speichern.",
     kNormal | kCannotChange, 0, u"", u"", u""},
    {u"tmp", u"", u"", kNormal, 0, u"", u"", u""},
};

const char16_t* const kFirstNames[] = {u"anna",  u"bj\u00f6rn", u"c\u00e9line", u"dirk",  u"emre",
                                       u"f\u00e1tima", u"g\u00fcnter", u"hanna", u"ingrid", u"jo\u00e3o",
                                       u"karl",  u"l\u00e9a",  u"malte", u"nils",  u"\u00f6zlem",
                                       u"paul",  u"ren\u00e9", u"s\u00f8ren", u"tom\u00e1\u0161", u"ute"};
const char16_t* const kLastNames[] = {u"m\u00fcller", u"schmidt", u"wei\u00df", u"\u00e7elik", u"novak",
                                      u"jensen",     u"garc\u00eda", u"kowalski", u"berg", u"dvo\u0159\u00e1k",
                                      u"lindstr\u00f6m", u"rossi"};
const char16_t* const kPlaces[] = {u"Bremen", u"K\u00f6ln", u"M\u00fcnchen", u"Z\u00fcrich", u"Graz", u"Malm\u00f6"};

struct KnownGroup {
    const char16_t* name;
    const char16_t* description;
    bool builtIn;
    std::initializer_list<const char16_t*> members;
};

const KnownGroup kKnownGroups[] = {
    {u"Administrators", u"Administrators have complete and unrestricted access to the computer/domain", true,
     {u"Administrator", u"jmassmann", u"NORDWERK\\Domain Admins"}},
    {u"Backup Operators", u"Backup Operators can override security restrictions for the sole purpose of backing "
                          u"up or restoring files",
     true, {u"svc_backup"}},
    {u"Guests", u"Guests have the same access as members of the Users group by default, except for the Guest "
                u"account which is further restricted",
     true, {u"Guest"}},
    {u"Power Users", u"Power Users possess most administrative powers with some restrictions", true, {}},
    {u"Remote Desktop Users", u"Members in this group are granted the right to logon remotely", true,
     {u"zo\u00eb", u"NORDWERK\\Au\u00dfendienst"}},
    {u"Replicator", u"Supports file replication in a domain", true, {}},
    {u"Users", u"Users are prevented from making accidental or intentional system-wide changes", true,
     {u"jmassmann", u"zo\u00eb", u"\u0142ukasz.w", u"\u0434\u043c\u0438\u0442\u0440\u0438\u0439", u"jos\u00e9",
      u"kiosk", u"NORDWERK\\Domain Users"}},
    {u"Buchhaltung", u"Zugriff auf die Finanzbuchhaltung", false, {u"jmassmann", u"jos\u00e9"}},
    {u"Entwicklung S\u00fcd", u"Team S\u00fcd der Entwicklung", false,
     {u"zo\u00eb", u"\u0142ukasz.w", u"\u0434\u043c\u0438\u0442\u0440\u0438\u0439"}},
    // Nested: two groups of this machine and one of the domain.
    {u"Alle Mitarbeiter", u"Jeder, der hier arbeitet", false,
     {u"Buchhaltung", u"Entwicklung S\u00fcd", u"\u03b5\u03bb\u03ad\u03bd\u03b7", u"NORDWERK\\Au\u00dfendienst"}},
    {u"Drucker-Admins", u"", false, {u"NORDWERK\\drucker.admin"}},
    {u"Vertrieb \u2013 Export", u"Au\u00dfendienst und Export", false, {}},
};

std::u16string Decimal(size_t value, size_t width)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    while (digits.size() < width)
        digits.insert(digits.begin(), u'0');
    return digits;
}

std::u16string Capitalized(std::u16string_view word)
{
    std::u16string text(word);
    if (!text.empty())
        text[0] = FoldCase(text[0]);  // upper case, outside ASCII too
    return text;
}

uint64_t Mix(uint64_t seed, uint64_t index)
{
    Random random(seed * 0x9E3779B97F4A7C15ULL + index);
    return random.Next();
}

}  // namespace

std::vector<SimulatedUser> MakeSimulatedUsers(const MachineConfig& config)
{
    const size_t count = static_cast<size_t>(config.LocalUsers());
    std::vector<SimulatedUser> users;
    users.reserve(count);
    for (const KnownUser& known : kKnownUsers) {
        if (users.size() >= count)
            break;
        SimulatedUser user;
        user.name = known.name;
        user.fullName = known.fullName;
        user.description = known.description;
        user.flags = known.flags;
        user.passwordExpired = known.passwordExpired;
        user.profilePath = known.profilePath;
        user.homePath = known.homePath;
        user.homeDrive = known.homeDrive;
        user.password = u"Start!2024";
        users.push_back(std::move(user));
    }
    Random random(config.seed * 31 + 7);
    for (size_t i = users.size(); i < count; ++i) {
        const std::u16string first = kFirstNames[random.Below(std::size(kFirstNames))];
        const std::u16string last = kLastNames[random.Below(std::size(kLastNames))];
        SimulatedUser user;
        user.name = first + u"." + last + Decimal(i, 2);
        user.fullName = Capitalized(first) + u" " + Capitalized(last);
        user.description = u"Standort " + std::u16string(kPlaces[random.Below(std::size(kPlaces))]);
        user.flags = kNormal | (i % 7 == 3 ? kDisabled : 0) | (i % 11 == 5 ? kLockedOut : 0) |
                     (i % 5 == 0 ? kNeverExpires : 0);
        user.logonScript = i % 4 == 0 ? u"logon.cmd" : u"";
        user.password = u"Start!2024";
        users.push_back(std::move(user));
    }
    return users;
}

std::vector<SimulatedGroup> MakeSimulatedGroups(const MachineConfig& config)
{
    const size_t count = static_cast<size_t>(config.LocalGroups());
    std::vector<SimulatedGroup> groups;
    const std::vector<SimulatedUser> users = MakeSimulatedUsers(config);
    const auto exists = [&](std::u16string_view member) {
        if (member.find(u'\\') != std::u16string_view::npos)
            return true;
        return std::any_of(users.begin(), users.end(), [&](const SimulatedUser& user) { return user.name == member; }) ||
               std::any_of(std::begin(kKnownGroups), std::end(kKnownGroups),
                           [&](const KnownGroup& group) { return member == group.name; });
    };
    for (const KnownGroup& known : kKnownGroups) {
        if (groups.size() >= count)
            break;
        SimulatedGroup group;
        group.name = known.name;
        group.description = known.description;
        group.builtIn = known.builtIn;
        for (const char16_t* member : known.members)
            if (exists(member))
                group.members.emplace_back(member);
        groups.push_back(std::move(group));
    }
    for (size_t i = groups.size(); i < count; ++i) {
        SimulatedGroup group;
        group.name = u"Projekt " + Decimal(i, 2);
        group.description = u"Projektablage " + std::u16string(kPlaces[i % std::size(kPlaces)]);
        // A few generated users in each.
        for (size_t u = std::size(kKnownUsers) + i % 5; u < users.size() && group.members.size() < 4; u += 7)
            group.members.push_back(users[u].name);
        groups.push_back(std::move(group));
    }
    return groups;
}

std::vector<SimulatedDomain> MakeSimulatedDomains(const MachineConfig& config)
{
    namespace wire = picker::protocol;
    const size_t accounts = static_cast<size_t>(config.DomainAccounts());
    const size_t groups = std::max<size_t>(accounts / 25, accounts > 0 ? 1 : 0);
    return {
        {kMachineName, true, true, wire::kTypeMachine, 0, 0},
        {kMachineDomain, false, false, wire::kTypeDomain, groups, accounts - groups},
        {u"S\u00dcDLAGER", false, false, wire::kTypeTrusted, 6, 54},
        {u"EXPORT", false, false, wire::kTypeTrusted, 0, 0},
    };
}

SimulatedAccount DomainAccountAt(const SimulatedDomain& domain, size_t index)
{
    uint64_t seed = 0;
    for (char16_t c : domain.name)
        seed = seed * 131 + c;
    const uint64_t h = Mix(seed, index);
    SimulatedAccount account;
    if (index < domain.groupCount) {
        static const char16_t* const kTeams[] = {u"Vertrieb", u"Einkauf", u"Lager", u"Gesch\u00e4ftsf\u00fchrung",
                                                 u"Qualit\u00e4t", u"Au\u00dfendienst", u"Werkstatt"};
        account.group = true;
        account.name = std::u16string(kTeams[h % std::size(kTeams)]) + u" " + Decimal(index, 4);
        account.description = u"Gruppe in " + std::u16string(kPlaces[(h >> 8) % std::size(kPlaces)]);
        return account;
    }
    const std::u16string first = kFirstNames[h % std::size(kFirstNames)];
    const std::u16string last = kLastNames[(h >> 16) % std::size(kLastNames)];
    account.name = first + u"." + last + u"." + Decimal(index, 1);
    account.fullName = Capitalized(first) + u" " + Capitalized(last);
    account.description = u"Standort " + std::u16string(kPlaces[(h >> 32) % std::size(kPlaces)]);
    return account;
}

}  // namespace vantrel::remote
