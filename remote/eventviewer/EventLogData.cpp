#include "remote/eventviewer/EventLogData.h"

#include <algorithm>
#include <string_view>

#include "remote/Random.h"

namespace vantrel::remote {

namespace {

// The newest of the logs' first events is dated 2024-06-01; older ones spread
// back over three years, however many there are.
constexpr int64_t kNewestTime = 1717200000;
constexpr int64_t kSpan = 3 * 365 * 86400LL;

constexpr uint32_t kError = 1, kWarning = 2, kInformation = 4, kAuditSuccess = 8, kAuditFailure = 16, kSuccess = 0;

// How the events of one source look.
struct SourceProfile {
    const char16_t* name;
    std::vector<SimulatedCategory> namedCategories;
    std::vector<uint32_t> usedCategories;  // numbers its events carry, named or not
    std::vector<uint32_t> types;           // drawn evenly
    std::vector<uint32_t> eventIds;        // full 32-bit IDs
    std::vector<const char16_t*> descriptions;  // "%n" is replaced by the record number
    int weight;          // how often the source writes, relative to the others
    int dataPercent;     // events with binary data
    bool withUser;
};

std::vector<SourceProfile> ApplicationSources()
{
    return {
        {u"Application Error", {}, {100}, {kError}, {1000},
         {u"Faulting application report.exe, version 4.2.%n, time stamp 0x5f1a2b3c, faulting module corelib.dll.",
          u"Fehlerhafte Anwendung bericht.exe, Version 4.2.%n, fehlerhaftes Modul ntmod.dll."},
         9, 30, false},
        {u"Application Hang", {}, {101}, {kError}, {1002},
         {u"The program viewer.exe version 2.0.%n stopped interacting with the system and was closed."},
         3, 60, false},
        {u"Installer", {}, {0}, {kInformation, kInformation, kWarning}, {11707, 11708, 1033},
         {u"Product: Office Tools -- Installation completed successfully (%n).",
          u"Produit : Outils de bureau -- L'installation a \u00e9chou\u00e9 (%n)."},
         6, 0, true},
        {u"Shadow Copy", {}, {0}, {kInformation, kError}, {8224, 12289},
         {u"The shadow copy service entered the idle state.\r\n\r\nOperation:\r\n   Snapshot %n"},
         4, 70, false},
        {u"Database Engine", {{1, u"General"}, {3, u"Logging/Recovery"}, {4, u"Database Page Cache"}}, {1, 3, 4},
         {kInformation, kInformation, kWarning}, {102, 103, 105, 326},
         {u"hostproc (%n) Instance: The database engine started a new instance (0)."}, 8, 10, false},
        {u"User Profile Service", {}, {0}, {kInformation, kWarning}, {1530, 1531, 1532},
         {u"The system detected that your registry file is still in use by other applications or services (%n)."},
         4, 0, true},
        {u"Suchdienst", {{1, u"Suchdienst"}, {2, u"Indizierung"}}, {1, 2}, {kInformation, kWarning}, {1003, 1010},
         {u"Der Suchdienst wurde gestartet. Katalog %n wird indiziert.",
          u"Die Indizierung wurde f\u00fcr \u00c4nderungen an \u201eDokumente\u201c angehalten (%n)."},
         5, 0, false},
        {u"\u0421\u043b\u0443\u0436\u0431\u0430 \u043e\u0431\u043d\u043e\u0432\u043b\u0435\u043d\u0438\u044f",
         {{1, u"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430"}}, {1}, {kInformation, kError}, {19, 20, 43},
         {u"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 \u0443\u0441\u043f\u0435\u0448\u043d\u043e "
          u"\u0437\u0430\u0432\u0435\u0440\u0448\u0435\u043d\u0430: \u043f\u0430\u043a\u0435\u0442 %n."},
         3, 0, false},
        {u"\u30d0\u30c3\u30af\u30a2\u30c3\u30d7", {}, {2}, {kInformation, kWarning, kError}, {4, 5},
         {u"\u30d0\u30c3\u30af\u30a2\u30c3\u30d7\u304c\u5b8c\u4e86\u3057\u307e\u3057\u305f (%n)\u3002"}, 2, 20, true},
        {u"Service de licences", {}, {0}, {kInformation}, {1073748860, 1073741827},
         {u"Le service de licences a d\u00e9marr\u00e9 avec succ\u00e8s (%n)."}, 2, 0, false},
    };
}

std::vector<SourceProfile> SecuritySources()
{
    const std::vector<SimulatedCategory> auditing = {
        {1, u"System Event"},      {2, u"Logon/Logoff"},       {3, u"Object Access"},
        {4, u"Privilege Use"},     {5, u"Detailed Tracking"},  {6, u"Policy Change"},
        {7, u"Account Management"}, {8, u"Directory Service Access"}, {9, u"Account Logon"}};
    return {
        {u"Security", auditing, {1, 2, 2, 2, 3, 4, 5, 6, 7, 9}, {kAuditSuccess, kAuditSuccess, kAuditSuccess, kAuditFailure},
         {528, 538, 540, 576, 680, 529, 4624, 4625, 4634},
         {u"Successful Logon:\r\n\tUser Name:\tanna\r\n\tDomain:\t\tMUSTER\r\n\tLogon ID:\t(0x0,0x%n)",
          u"Logon Failure:\r\n\tReason:\t\tUnknown user name or bad password\r\n\tAttempt:\t%n"},
         20, 0, true},
        {u"Audit Service", {}, {12}, {kSuccess, kInformation}, {4608, 4616},
         {u"The audit service was started (%n)."}, 1, 0, true},
    };
}

std::vector<SourceProfile> SystemSources()
{
    return {
        {u"Service Control Manager", {}, {0}, {kInformation, kInformation, kInformation, kError},
         {1073748859, 1073748860, 3221232472u, 3221232503u},
         {u"The Print Queue service entered the running state (%n).",
          u"The Remote Access service terminated unexpectedly. It has done this %n time(s)."},
         14, 0, true},
        {u"Disk", {}, {0}, {kError, kWarning}, {3221487623u, 2147745843u, 2147745847u},
         {u"The device, \\Device\\Harddisk1\\DR%n, has a bad block."}, 3, 95, false},
        {u"Time Service", {}, {0}, {kInformation, kWarning}, {35, 37, 129},
         {u"The time service is now synchronizing the system time with the time source (%n)."}, 4, 0, false},
        {u"Event Log", {}, {0}, {kInformation}, {2147489653u, 2147489654u, 2147489657u, 2147489661u},
         {u"The Event log service was started (%n).", u"Operating system 5.02, build 3790, service pack %n"},
         3, 40, false},
        {u"DHCP Client", {}, {0}, {kWarning, kError}, {1003, 1007},
         {u"Your computer was not able to renew its address from the network (%n)."}, 2, 25, false},
        {u"Kernel-Power", {}, {63}, {kError, kInformation}, {41, 42},
         {u"The system has rebooted without cleanly shutting down first (%n)."}, 1, 10, true},
        {u"Dateisystem", {{2, u"Datentr\u00e4ger"}}, {2}, {kWarning}, {55, 98},
         {u"Die Dateisystemstruktur auf dem Datentr\u00e4ger ist besch\u00e4digt (%n)."}, 2, 50, false},
    };
}

std::vector<SourceProfile> ProfilesOf(int log)
{
    switch (log) {
    case 0:
        return ApplicationSources();
    case 1:
        return SecuritySources();
    default:
        return SystemSources();
    }
}

std::vector<std::u16string> UsersOf(int log)
{
    if (log == 1)
        return {u"", u"MUSTER\\anna", u"MUSTER\\j\u00fcrgen.wei\u00df", u"NT AUTHORITY\\SYSTEM",
                u"EXEMPLE\\\u00e9lodie", u"WS-0142\\Administrator", u"NT AUTHORITY\\ANONYMOUS LOGON"};
    return {u"", u"NT AUTHORITY\\SYSTEM", u"NT AUTHORITY\\LOCAL SERVICE", u"MUSTER\\anna", u"EXEMPLE\\\u00e9lodie"};
}

std::vector<std::u16string> ComputersOf()
{
    return {u"WS-0142", u"WS-0142", u"WS-0142", u"SRV-FILE01", u"b\u00fcro-pc-7", u"\u0426\u0415\u041d\u0422\u0420-1"};
}

// The profiles of every log, made once: events are made from them by the million.
const std::vector<SourceProfile>& CachedProfiles(int log)
{
    static const std::vector<SourceProfile> profiles[3] = {ProfilesOf(0), ProfilesOf(1), ProfilesOf(2)};
    return profiles[std::clamp(log, 0, 2)];
}

size_t WeightedSource(const std::vector<SourceProfile>& profiles, uint64_t draw)
{
    int total = 0;
    for (const SourceProfile& profile : profiles)
        total += profile.weight;
    int point = static_cast<int>(draw % static_cast<uint64_t>(total));
    for (size_t i = 0; i < profiles.size(); ++i) {
        point -= profiles[i].weight;
        if (point < 0)
            return i;
    }
    return 0;
}

std::u16string Decimal(uint64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string Fill(std::u16string_view pattern, uint32_t recordNumber)
{
    std::u16string text(pattern);
    const size_t at = text.find(u"%n");
    if (at != std::u16string::npos)
        text.replace(at, 2, Decimal(recordNumber));
    return text;
}

}  // namespace

SimulatedLog::SimulatedLog(int log, uint64_t seed, uint32_t count)
    : log_(log), seed_(seed), count_(count), baseCount_(std::max<uint32_t>(count, 1)),
      spacing_(std::clamp<int64_t>(kSpan / baseCount_, 31, 86400)), users_(UsersOf(log)), computers_(ComputersOf())
{
    for (const SourceProfile& profile : CachedProfiles(log))
        sources_.push_back({profile.name, profile.namedCategories});
}

void SimulatedLog::Grow(uint32_t events)
{
    count_ = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{count_} + events, MachineConfig::kMaxEvents));
}

EventShape SimulatedLog::Shape(uint32_t recordNumber) const
{
    Random random(seed_ * 0x9E3779B97F4A7C15ULL + uint64_t(log_ + 1) * 0xD1B54A32D192ED03ULL + recordNumber);
    const std::vector<SourceProfile>& profiles = CachedProfiles(log_);
    EventShape shape;
    shape.recordNumber = recordNumber;
    shape.source = static_cast<uint32_t>(WeightedSource(profiles, random.Next()));
    const SourceProfile& profile = profiles[shape.source];
    shape.type = profile.types[random.Below(profile.types.size())];
    shape.eventId = profile.eventIds[random.Below(profile.eventIds.size())];
    shape.category = profile.usedCategories[random.Below(profile.usedCategories.size())];
    shape.user = profile.withUser ? static_cast<uint32_t>(1 + random.Below(users_.size() - 1)) : 0;
    shape.computer = static_cast<uint32_t>(random.Below(computers_.size()));
    // Newer records are later; the jitter never passes the next record's time.
    shape.time = kNewestTime - (int64_t(baseCount_) - int64_t(recordNumber)) * spacing_ +
                 static_cast<int64_t>(random.Below(static_cast<size_t>(spacing_ / 2 + 1)));
    return shape;
}

SimulatedEvent SimulatedLog::Event(uint32_t recordNumber) const
{
    const EventShape shape = Shape(recordNumber);
    const SourceProfile& profile = CachedProfiles(log_)[shape.source];
    Random random(seed_ + 0x51ED27ULL * recordNumber + uint64_t(log_) * 977);
    SimulatedEvent event;
    event.recordNumber = recordNumber;
    event.eventId = shape.eventId;
    event.time = shape.time;
    event.type = shape.type;
    event.category = shape.category;
    event.source = profile.name;
    event.computer = computers_[shape.computer];
    event.user = users_[shape.user];
    event.description = Fill(profile.descriptions[random.Below(profile.descriptions.size())], recordNumber);
    if (static_cast<int>(random.Below(100)) < profile.dataPercent) {
        // Mostly short records; every fourth is longer than 128 bytes.
        const size_t length = random.Below(4) == 0 ? 129 + random.Below(384) : 4 + random.Below(60);
        event.data.resize(length);
        for (size_t i = 0; i < length; ++i)
            event.data[i] = i % 8 < 4 ? static_cast<uint8_t>(u'A' + random.Below(26)) : static_cast<uint8_t>(random.Next());
    }
    return event;
}

std::u16string SimulatedLog::DisplayName() const
{
    static const char16_t* const kNames[] = {u"Application", u"Security", u"System"};
    return kNames[std::clamp(log_, 0, 2)];
}

std::u16string SimulatedLog::FileName() const
{
    static const char16_t* const kFiles[] = {u"C:\\WINDOWS\\system32\\config\\AppEvent.Evt",
                                             u"C:\\WINDOWS\\system32\\config\\SecEvent.Evt",
                                             u"C:\\WINDOWS\\system32\\config\\SysEvent.Evt"};
    return kFiles[std::clamp(log_, 0, 2)];
}

std::vector<SimulatedLog> MakeSimulatedLogs(const MachineConfig& config)
{
    std::vector<SimulatedLog> logs;
    for (int log = 0; log < 3; ++log)
        logs.emplace_back(log, config.seed, static_cast<uint32_t>(config.EventCount(log)));
    return logs;
}

}  // namespace vantrel::remote
