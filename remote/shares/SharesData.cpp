#include "remote/shares/SharesData.h"

#include <iterator>

#include "framework/text/TextCompare.h"
#include "remote/Random.h"
#include "remote/SimulatedSnapIn.h"
#include "snapins/shares/model/Protocol.h"

namespace vantrel::remote {
namespace {

namespace wire = shares::protocol;

struct FixedShare {
    const char16_t* name;
    const char16_t* path;
    const char16_t* description;
    int64_t type;
};

// What every machine shares, administrative shares and printers included.
constexpr FixedShare kFixedShares[] = {
    {u"ADMIN$", u"C:\\Windows", u"Remote Admin", wire::kTypeSpecialFlag},
    {u"C$", u"C:\\", u"Default share", wire::kTypeSpecialFlag},
    {u"D$", u"D:\\", u"Default share", wire::kTypeSpecialFlag},
    {u"IPC$", u"", u"Remote IPC", wire::kTypeSpecialFlag | wire::kTypeIpc},
    {u"print$", u"C:\\Windows\\system32\\spool\\drivers", u"Printer Drivers", wire::kTypeDisk},
    {u"HP LaserJet 4250 (2. OG)", u"", u"Drucker im Flur", wire::kTypePrint},
    {u"Kyocera-Empfang", u"", u"", wire::kTypePrint},
    {u"COM1", u"", u"Modem", wire::kTypeDevice},
    {u"Données", u"D:\\Données partagées", u"Documents de l'équipe", wire::kTypeDisk},
    {u"Öffentlich", u"D:\\Öffentlich", u"Für alle lesbar", wire::kTypeDisk},
    {u"Проекты", u"D:\\Проекты", u"Общие проекты отдела", wire::kTypeDisk},
    {u"共有フォルダ", u"D:\\共有", u"", wire::kTypeDisk},
    {u"Backup", u"E:\\Backup",
     u"Nightly backups of every workstation of the second floor, kept for thirty days and then moved to tape",
     wire::kTypeDisk},
};

constexpr const char16_t* kUsers[] = {u"jürgen.müller", u"Administrator", u"Владимир", u"søren", u"anna",
                                      u"m.dubois",      u"svc-backup",    u"佐藤",     u"ola.nordmann"};
constexpr const char16_t* kClientTypes[] = {u"Windows 10 Enterprise 19045", u"Windows 7 Professional 7601",
                                            u"Samba 4.15.13", u"Mac OS X 13.4", u""};
constexpr const char16_t* kTransports[] = {u"\\Device\\NetBT_Tcpip_{4D36E972-E325-11CE-BFC1-08002BE10318}",
                                           u"\\Device\\NetbiosSmb", u""};
constexpr const char16_t* kExtensions[] = {u".docx", u".xlsx", u".pdf", u".txt", u".mdb", u""};
constexpr const char16_t* kExtraFolders[] = {u"C:\\", u"D:\\", u"E:\\", u"C:\\Users", u"D:\\Archiv",
                                             u"D:\\Archiv\\2023", u"E:\\Images"};

std::u16string Numbered(std::u16string prefix, size_t number, int width = 4) {
    std::u16string digits = DecimalUtf16(number);
    while (digits.size() < static_cast<size_t>(width)) digits.insert(digits.begin(), u'0');
    return prefix + digits;
}

void AddShares(SimulatedShares& data, size_t count, Random& random) {
    for (size_t i = 0; i < count; ++i) {
        SimulatedShare share;
        if (i < std::size(kFixedShares)) {
            const FixedShare& fixed = kFixedShares[i];
            share.name = fixed.name;
            share.folderPath = fixed.path;
            share.description = fixed.description;
            share.type = fixed.type;
        } else {
            const size_t n = i - std::size(kFixedShares) + 1;
            share.name = Numbered(n % 3 == 0 ? u"Projekt-" : n % 3 == 1 ? u"Team " : u"Ablage_", n);
            share.folderPath = Numbered(n % 2 ? u"D:\\Freigaben\\Ordner " : u"E:\\Teams\\", n);
            share.description = n % 4 == 0 ? std::u16string() : Numbered(u"Gemeinsame Ablage Nr. ", n, 1);
            share.type = wire::kTypeDisk;
            share.maxUsers = n % 5 == 0 ? static_cast<int32_t>(random.Between(1, 50)) : -1;
        }
        share.clientConnections = static_cast<uint32_t>(random.Below(12));
        share.permissions.push_back({u"Everyone", wire::kAccessReadOnly});
        data.shares.push_back(std::move(share));
    }
}

void AddSessions(SimulatedShares& data, size_t count, Random& random) {
    for (size_t i = 0; i < count; ++i) {
        SimulatedSession session;
        session.guest = i == 1 || (i > 8 && i % 17 == 0);
        session.userName = session.guest ? std::u16string(u"Guest") : std::u16string(kUsers[i % std::size(kUsers)]);
        if (i >= std::size(kUsers)) session.userName += Numbered(u"-", i, 1);
        session.computer = Numbered(u"\\\\WS-", i + 1);
        session.clientType = kClientTypes[i % std::size(kClientTypes)];
        session.transport = kTransports[i % std::size(kTransports)];
        session.connTime = i == 0 ? 90061 : static_cast<uint32_t>(random.Between(5, 400000));
        session.idleTime = static_cast<uint32_t>(random.Below(session.connTime + 1));
        data.sessions.push_back(std::move(session));
    }
}

void AddFiles(SimulatedShares& data, size_t count, Random& random) {
    for (size_t i = 0; i < count && !data.sessions.empty(); ++i) {
        SimulatedOpenFile file;
        file.id = static_cast<uint32_t>(i + 1);
        file.session = i % data.sessions.size();
        const SimulatedShare& share = data.shares.empty() ? SimulatedShare{} : data.shares[i % data.shares.size()];
        std::u16string folder = share.folderPath.empty() ? std::u16string(u"D:\\Öffentlich") : share.folderPath;
        if (folder.back() != u'\\') folder += u'\\';
        file.path = Numbered(folder + u"Bericht ", i + 1, 5) + kExtensions[i % std::size(kExtensions)];
        file.locks = static_cast<uint32_t>(random.Below(4));
        file.openMode = i % 9 == 0 ? 0 : static_cast<uint32_t>(random.Between(1, 7));
        data.files.push_back(std::move(file));
    }
}

std::u16string_view WithoutTrailingSlash(std::u16string_view path) {
    if (path.size() > 3 && path.back() == u'\\') path.remove_suffix(1);
    return path;
}

}  // namespace

SimulatedShares MakeSimulatedShares(const MachineConfig& config) {
    SimulatedShares data;
    data.computerName = u"SRV-ÉCOLE-01";
    Random random(config.seed * 7919 + 17);
    AddShares(data, static_cast<size_t>(config.ShareCount()), random);
    AddSessions(data, static_cast<size_t>(config.SessionCount()), random);
    AddFiles(data, static_cast<size_t>(config.OpenFileCount()), random);
    data.folders.assign(std::begin(kExtraFolders), std::end(kExtraFolders));
    return data;
}

bool FolderExists(const SimulatedShares& data, std::u16string_view path) {
    path = WithoutTrailingSlash(path);
    if (path.empty()) return false;
    for (const SimulatedShare& share : data.shares)
        if (!share.folderPath.empty() && EqualsNoCase(WithoutTrailingSlash(share.folderPath), path)) return true;
    for (const std::u16string& folder : data.folders)
        if (EqualsNoCase(WithoutTrailingSlash(folder), path)) return true;
    return false;
}

}  // namespace vantrel::remote
