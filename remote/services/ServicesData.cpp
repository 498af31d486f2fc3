#include "remote/services/ServicesData.h"

#include "remote/Random.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string_view>
#include <utility>

namespace vantrel::remote {

namespace {

constexpr int32_t kStopped = 1, kStartPending = 2, kStopPending = 3, kRunning = 4, kContinuePending = 5,
                  kPausePending = 6, kPaused = 7;
constexpr int32_t kBoot = 0, kSystem = 1, kAuto = 2, kManual = 3, kDisabled = 4;
constexpr uint32_t kKernelDriver = 0x1, kFileSystemDriver = 0x2, kOwnProcess = 0x10, kSharedProcess = 0x20,
                   kInteractive = 0x100;


struct Known {
    const char* name;
    const char16_t* displayName;
    const char16_t* description;
    const char16_t* path;
    const char16_t* account;  // empty for drivers
    int32_t state;
    int32_t startupType;
    uint32_t accepts;  // while running
    uint32_t type;
    const char* dependsOn;  // key names, separated by blanks
    bool denied;
    const char* listedAs;  // how the machine writes this name in dependents; null: as the name
};

constexpr char16_t kSvcHostNetsvcs[] = u"C:\\WINDOWS\\System32\\svchost.exe -k netsvcs";
constexpr char16_t kSvcHostLocal[] = u"C:\\WINDOWS\\system32\\svchost.exe -k LocalService";
constexpr char16_t kSvcHostNetwork[] = u"C:\\WINDOWS\\system32\\svchost.exe -k NetworkService";
constexpr char16_t kLocalSystem[] = u"LocalSystem";
constexpr char16_t kLocalService[] = u"NT AUTHORITY\\LocalService";
constexpr char16_t kNetworkService[] = u"NT AUTHORITY\\NetworkService";

// The services every machine of this kind has, with what depends on what.
const Known kKnown[] = {
    {"RpcSs", u"Remote Procedure Call (RPC)",
     u"Serves as the endpoint mapper and object activation manager for remote procedure calls. If this service "
     u"is stopped or disabled, programs that use remote procedure calls will not function properly.",
     u"C:\\WINDOWS\\system32\\svchost.exe -k rpcss", kNetworkService, kRunning, kAuto, 0, kSharedProcess, "", true,
     nullptr},
    {"EventLog", u"Event Log",
     u"Enables event log messages issued by programs and components to be viewed in the Event Viewer. This "
     u"service cannot be stopped.",
     u"C:\\WINDOWS\\system32\\services.exe", kLocalSystem, kRunning, kAuto, 0, kSharedProcess, "", true, nullptr},
    {"PlugPlay", u"Plug and Play",
     u"Enables a computer to recognize and adapt to hardware changes with little or no user input.",
     u"C:\\WINDOWS\\system32\\services.exe", kLocalSystem, kRunning, kAuto, 0, kSharedProcess, "", true, nullptr},
    {"SamSs", u"Security Accounts Manager",
     u"Stores security information for local user accounts.", u"C:\\WINDOWS\\system32\\lsass.exe", kLocalSystem,
     kRunning, kAuto, 0, kSharedProcess, "RpcSs", true, nullptr},
    {"Disk", u"Disk Driver", u"", u"system32\\DRIVERS\\disk.sys", u"", kRunning, kBoot, 1, kKernelDriver, "", false,
     nullptr},
    {"Ntfs", u"Ntfs", u"", u"system32\\DRIVERS\\ntfs.sys", u"", kRunning, kSystem, 1, kFileSystemDriver, "", false,
     nullptr},
    {"Tcpip", u"TCP/IP Protocol Driver", u"", u"system32\\DRIVERS\\tcpip.sys", u"", kRunning, kSystem, 1,
     kKernelDriver, "", false, nullptr},
    {"Afd", u"AFD Networking Support Environment", u"", u"\\SystemRoot\\System32\\drivers\\afd.sys", u"", kRunning,
     kSystem, 1, kKernelDriver, "", false, nullptr},
    {"NetBT", u"NetBios over Tcpip", u"", u"system32\\DRIVERS\\netbt.sys", u"", kRunning, kSystem, 1, kKernelDriver,
     "Tcpip", false, nullptr},
    {"Dhcp", u"DHCP Client",
     u"Manages network configuration by registering and updating IP addresses and DNS names.", kSvcHostNetsvcs,
     kLocalSystem, kRunning, kAuto, 1, kSharedProcess, "Tcpip Afd NetBT", false, nullptr},
    {"Dnscache", u"DNS Client",
     u"Resolves and caches Domain Name System (DNS) names for this computer. If this service is stopped, this "
     u"computer will not be able to resolve DNS names and locate Active Directory domain controllers.",
     kSvcHostNetwork, kNetworkService, kRunning, kAuto, 1, kSharedProcess, "Tcpip", false, nullptr},
    {"LanmanWorkstation", u"Workstation",
     u"Creates and maintains client network connections to remote servers. If this service is stopped, these "
     u"connections will be unavailable.",
     kSvcHostNetsvcs, kLocalSystem, kRunning, kAuto, 3, kSharedProcess, "NetBT", false, "lanmanworkstation"},
    {"LanmanServer", u"Server",
     u"Supports file, print, and named-pipe sharing over the network for this computer.", kSvcHostNetsvcs,
     kLocalSystem, kRunning, kAuto, 3, kSharedProcess, "NetBT", false, nullptr},
    {"Browser", u"Computer Browser",
     u"Maintains an updated list of computers on the network and supplies this list to computers designated as "
     u"browsers.",
     kSvcHostNetsvcs, kLocalSystem, kRunning, kAuto, 1, kSharedProcess, "LanmanWorkstation LanmanServer", false,
     nullptr},
    {"Netlogon", u"Net Logon",
     u"Supports pass-through authentication of account logon events for computers in a domain.",
     u"C:\\WINDOWS\\system32\\lsass.exe", kLocalSystem, kStopped, kManual, 1, kSharedProcess, "LanmanWorkstation",
     false, "netlogon"},
    {"Alerter", u"Alerter",
     u"Notifies selected users and computers of administrative alerts.", kSvcHostLocal, kLocalService, kStopped,
     kDisabled, 1, kSharedProcess, "LanmanWorkstation", false, nullptr},
    {"Messenger", u"Messenger",
     u"Transmits net send and Alerter service messages between clients and servers.", kSvcHostNetsvcs,
     kLocalSystem, kStopped, kDisabled, 1, kSharedProcess, "LanmanWorkstation NetBT RpcSs", false, nullptr},
    {"Spooler", u"Print Spooler",
     u"Loads files to memory for later printing.", u"C:\\WINDOWS\\system32\\spoolsv.exe", kLocalSystem, kRunning,
     kAuto, 1, kOwnProcess | kInteractive, "RpcSs", false, nullptr},
    {"Schedule", u"Task Scheduler",
     u"Enables a user to configure and schedule automated tasks on this computer. If this service is stopped, "
     u"these tasks will not be run at their scheduled times.",
     kSvcHostNetsvcs, kLocalSystem, kRunning, kAuto, 3, kSharedProcess | kInteractive, "RpcSs", false, nullptr},
    {"EventSystem", u"COM+ Event System",
     u"Supports System Event Notification Service (SENS), which provides automatic distribution of events to "
     u"subscribing Component Object Model (COM) components.",
     kSvcHostNetsvcs, kLocalSystem, kRunning, kManual, 1, kSharedProcess, "RpcSs", false, nullptr},
    {"SENS", u"System Event Notification",
     u"Monitors system events and notifies subscribers to COM+ Event System of these events.", kSvcHostNetsvcs,
     kLocalSystem, kRunning, kAuto, 1, kSharedProcess, "EventSystem", false, nullptr},
    {"BITS", u"Background Intelligent Transfer Service",
     u"Transfers data between clients and servers in the background.", kSvcHostNetsvcs, kLocalSystem, kStopped,
     kManual, 1, kSharedProcess, "RpcSs", false, nullptr},
    {"W32Time", u"Time Service",
     u"Maintains date and time synchronization on all clients and servers in the network.", kSvcHostNetsvcs,
     kLocalSystem, kRunning, kAuto, 1, kSharedProcess, "", false, nullptr},
    {"AudioSrv", u"Audio",
     u"Manages audio devices for programs.", kSvcHostNetsvcs, kLocalSystem, kRunning, kAuto, 1, kSharedProcess,
     "PlugPlay RpcSs", false, nullptr},
    {"Themes", u"Themes", u"Provides user experience theme management.", kSvcHostNetsvcs, kLocalSystem, kRunning,
     kAuto, 1, kSharedProcess, "", false, nullptr},
    {"Winmgmt", u"Management Instrumentation",
     u"Provides a common interface and object model to access management information about the operating "
     u"system, devices, applications and services.",
     kSvcHostNetsvcs, kLocalSystem, kRunning, kAuto, 3, kSharedProcess, "RpcSs", false, nullptr},
    {"RemoteRegistry", u"Remote Registry",
     u"Enables remote users to modify registry settings on this computer.", kSvcHostLocal, kLocalService,
     kStopped, kDisabled, 1, kSharedProcess, "RpcSs", false, nullptr},
    {"TermService", u"Terminal Services",
     u"Allows multiple users to be connected interactively to a machine as well as the display of desktops and "
     u"applications to remote computers.",
     u"C:\\WINDOWS\\System32\\svchost.exe -k DComLaunch", kLocalSystem, kRunning, kManual, 0, kSharedProcess, "",
     true, nullptr},
    {"Fax", u"Fax", u"Enables you to send and receive faxes.", u"C:\\WINDOWS\\system32\\fxssvc.exe", kLocalSystem,
     kStopped, kManual, 1, kOwnProcess, "PlugPlay Spooler", true, nullptr},
    {"stisvc", u"Bilderfassung \u2013 Scanner und Kameras",
     u"Stellt Bilderfassungsdienste f\u00fcr Scanner und Kameras bereit. Wenn dieser Dienst beendet wird, "
     u"k\u00f6nnen keine Bilder von Ger\u00e4ten \u00fcbertragen werden.",
     u"C:\\WINDOWS\\system32\\svchost.exe -k imgsvc", kLocalSystem, kPaused, kManual, 3, kSharedProcess, "RpcSs", false, nullptr},
    {"cisvc", u"Indexing Service",
     u"Indexes contents and properties of files on local and remote computers; provides rapid access to files "
     u"through flexible querying language.",
     u"C:\\WINDOWS\\system32\\cisvc.exe", kLocalSystem, kStartPending, kManual, 1, kOwnProcess, "RpcSs", false,
     nullptr},
    {"MediaSync", u"Synchronisation des m\u00e9dias",
     u"Synchronise les biblioth\u00e8ques multim\u00e9dias avec les appareils portables connect\u00e9s.",
     u"C:\\Program Files\\Media Sync\\msync.exe", kLocalService, kStopPending, kAuto, 1, kOwnProcess, "", false,
     nullptr},
    {"PrintNotify", u"\u0423\u0432\u0435\u0434\u043e\u043c\u043b\u0435\u043d\u0438\u044f \u043f\u0435\u0447\u0430"
                    u"\u0442\u0438",
     u"\u041f\u0435\u0440\u0435\u0434\u0430\u0435\u0442 \u0443\u0432\u0435\u0434\u043e\u043c\u043b\u0435\u043d"
     u"\u0438\u044f \u043e \u0441\u043e\u0441\u0442\u043e\u044f\u043d\u0438\u0438 \u043f\u0440\u0438\u043d\u0442"
     u"\u0435\u0440\u043e\u0432.",
     kSvcHostLocal, kLocalService, kContinuePending, kManual, 3, kSharedProcess, "Spooler", false, nullptr},
    {"ScanMonitor", u"\u03a0\u03b1\u03c1\u03b1\u03ba\u03bf\u03bb\u03bf\u03cd\u03b8\u03b7\u03c3\u03b7 "
                    u"\u03c3\u03b1\u03c1\u03c9\u03c4\u03ce\u03bd",
     u"", u"C:\\Program Files\\Scan Monitor\\scanmon.exe", kLocalSystem, kPausePending, kAuto, 3, kOwnProcess, "",
     false, nullptr},
    {"MediaShare", u"Media Sharing \U0001F3B5",
     u"Shares music, pictures and videos with players on the network.", u"C:\\Program Files\\Media Share\\share.exe",
     kNetworkService, kStopped, kManual, 1, kOwnProcess, "Tcpip", false, nullptr},
    {"SqlAgent", u"Database Agent (INVENTORY)",
     u"Executes jobs, monitors the database server and fires alerts.", u"\"C:\\Program Files\\Database\\agent.exe\" "
     u"-i INVENTORY",
     u"CORP\\svc-database", kRunning, kAuto, 3, kOwnProcess, "SqlServer", false, nullptr},
    {"SqlServer", u"Database Server (INVENTORY)",
     u"Provides storage, processing and controlled access of data, and rapid transaction processing.",
     u"\"C:\\Program Files\\Database\\server.exe\" -s INVENTORY", u"CORP\\svc-database", kRunning, kAuto, 3,
     kOwnProcess, "RpcSs", false, nullptr},
    // A cycle, which the service manager would refuse to configure but a
    // damaged registry can hold.
    {"SyncAgent", u"Sync Agent", u"Keeps the sync broker's queue moving.", u"C:\\Program Files\\Sync\\agent.exe",
     kLocalSystem, kRunning, kAuto, 1, kOwnProcess, "SyncBroker", false, nullptr},
    {"SyncBroker", u"Sync Broker", u"Hands work to the sync agents.", u"C:\\Program Files\\Sync\\broker.exe",
     kLocalSystem, kStopped, kManual, 1, kOwnProcess, "SyncAgent", false, nullptr},
    // A diamond: NetPublish depends on NetShare and NetBrowse, both on NetCore.
    {"NetCore", u"Network Core Services", u"Common base of the network publishing services.",
     u"C:\\Program Files\\NetSuite\\core.exe", kLocalSystem, kRunning, kAuto, 1, kOwnProcess, "Tcpip", false,
     nullptr},
    {"NetShare", u"Network Share Publisher", u"Publishes shared folders.", u"C:\\Program Files\\NetSuite\\share.exe",
     kLocalSystem, kRunning, kAuto, 3, kOwnProcess, "NetCore", false, nullptr},
    {"NetBrowse", u"Network Browse Publisher", u"Publishes this computer to browsers.",
     u"C:\\Program Files\\NetSuite\\browse.exe", kLocalSystem, kRunning, kAuto, 1, kOwnProcess, "NetCore", false,
     nullptr},
    {"NetPublish", u"Network Publishing", u"Announces shares and names together.",
     u"C:\\Program Files\\NetSuite\\publish.exe", kLocalSystem, kRunning, kManual, 1, kOwnProcess,
     "NetShare NetBrowse", false, nullptr},
    {"Kelvo Host for NT Service", u"Kelvo Host for NT Service",
     u"Answers the requests of the remote-management console on this computer.",
     u"\"C:\\Program Files\\Kelvo\\kelvohost.exe\" -service", kLocalSystem, kRunning, kAuto, 3, kOwnProcess,
     "RpcSs Tcpip", false, nullptr},
};

// ---------------------------------------------------------------------------
// The rest of a machine: services and drivers of installed software.

struct Word {
    const char* key;
    const char16_t* text;
};

const Word kRoots[] = {
    {"Backup", u"Backup"},   {"Sync", u"Synchronization"}, {"Update", u"Update"},     {"Monitor", u"Monitoring"},
    {"Index", u"Indexing"},  {"Print", u"Printing"},       {"Scan", u"Scanning"},     {"Media", u"Media"},
    {"License", u"Licensing"}, {"Cache", u"Cache"},        {"Audit", u"Auditing"},    {"Report", u"Reporting"},
    {"Deploy", u"Deployment"}, {"Inventory", u"Inventory"}, {"Vpn", u"VPN"},          {"Storage", u"Storage"},
};

const Word kRoles[] = {
    {"Agent", u"Agent"}, {"Svc", u"Service"}, {"Host", u"Host"}, {"Broker", u"Broker"}, {"Helper", u"Helper"},
};

// Sentences of long descriptions, some of them translated.
const char16_t* const kSentences[] = {
    u"Collects the state of the components it looks after and reports it to the management server at the "
    u"interval set by the administrator.",
    u"If this service is stopped, scheduled jobs of this product will not run and their results will not be "
    u"available until it is started again.",
    u"Wenn dieser Dienst deaktiviert wird, k\u00f6nnen abh\u00e4ngige Dienste nicht gestartet werden.",
    u"Ce service g\u00e8re la file d'attente des t\u00e2ches diff\u00e9r\u00e9es et les r\u00e9essaie apr\u00e8s "
    u"une erreur.",
    u"\u0415\u0441\u043b\u0438 \u044d\u0442\u0430 \u0441\u043b\u0443\u0436\u0431\u0430 \u043e\u0441\u0442\u0430"
    u"\u043d\u043e\u0432\u043b\u0435\u043d\u0430, \u043e\u0442\u0447\u0451\u0442\u044b \u043d\u0435 \u0431\u0443"
    u"\u0434\u0443\u0442 \u0441\u043e\u0437\u0434\u0430\u0432\u0430\u0442\u044c\u0441\u044f.",
    u"It keeps a local cache of up to 512 MB so that clients can continue to work while the network is not "
    u"available.",
    u"\u3053\u306e\u30b5\u30fc\u30d3\u30b9\u3092\u505c\u6b62\u3059\u308b\u3068\u3001\u540c\u671f\u304c\u884c\u308f"
    u"\u308c\u306a\u304f\u306a\u308a\u307e\u3059\u3002",
    u"Settings are read from the product's configuration file at start; changes take effect after a restart of "
    u"the service.",
};

const char16_t* const kAccounts[] = {
    u"LocalSystem", u"NT AUTHORITY\\LocalService", u"NT AUTHORITY\\NetworkService", u".\\svc_backup",
    u"CORP\\svc-deploy", u"CORP\\J\u00fcrgen.M\u00fcller", u"CORP\\\u0441\u0435\u0440\u0432\u0438\u0441",
};

std::u16string Ascii(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

std::string Digits(size_t number, size_t width)
{
    std::string text = std::to_string(number);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

std::u16string DisplayName(const Word& root, const Word& role, size_t number)
{
    const std::u16string n = Ascii(std::to_string(number));
    const std::u16string what = root.text;
    switch (number % 7) {
    case 1:
        return u"Dienst f\u00fcr " + what + u" " + n;
    case 2:
        return u"Service de " + what + u" n\u00b0 " + n;
    case 3:
        return u"\u0421\u043b\u0443\u0436\u0431\u0430 " + what + u" " + n;
    case 4:
        return u"\u03a5\u03c0\u03b7\u03c1\u03b5\u03c3\u03af\u03b1 " + what + u" " + n;
    case 5:
        return what + u" \u30b5\u30fc\u30d3\u30b9 " + n;
    case 6:
        return u"Us\u0142uga " + what + u" " + n;
    default:
        return what + u" " + role.text + u" " + n;
    }
}

std::u16string Description(Random& random, const Word& root, size_t number)
{
    switch (number % 5) {
    case 0:
        return {};
    case 1: {
        std::u16string text = u"Runs the " + std::u16string(root.text) + u" part of the installed product.";
        const size_t sentences = 8 + random.Below(9);
        for (size_t i = 0; i < sentences; ++i)
            text += u" " + std::u16string(kSentences[random.Below(std::size(kSentences))]);
        return text;
    }
    default:
        return kSentences[random.Below(std::size(kSentences))];
    }
}

// State, accepted controls and startup type of an ordinary service.
void SetCondition(Random& random, SimulatedService& service)
{
    const size_t accepts = random.Below(100);
    service.runningControls = accepts < 60 ? 1 : (accepts < 85 ? 3 : 0);
    const size_t roll = random.Below(100);
    if (roll < 52) {
        service.state = kRunning;
        service.startupType = random.Below(100) < 60 ? kAuto : kManual;
    } else if (roll < 90) {
        service.state = kStopped;
        const size_t startup = random.Below(100);
        service.startupType = startup < 60 ? kManual : (startup < 85 ? kDisabled : kAuto);
    } else if (roll < 94) {
        service.state = kPaused;
        service.runningControls = 3;
        service.startupType = kAuto;
    } else {
        static constexpr int32_t kPending[] = {kStartPending, kStopPending, kContinuePending, kPausePending};
        service.state = kPending[roll % 4];
        if (service.state == kContinuePending || service.state == kPausePending)
            service.runningControls = 3;
        service.startupType = kManual;
    }
}

SimulatedService Driver(Random& random, const Word& root, size_t number)
{
    SimulatedService driver;
    std::string key = std::string(root.key) + "flt" + Digits(number, 4);
    std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    driver.name = Ascii(key);
    driver.displayName = std::u16string(root.text) + u" Filter Driver " + Ascii(std::to_string(number));
    driver.servicePath = u"system32\\DRIVERS\\" + driver.name + u".sys";
    driver.serviceType = random.Below(4) == 0 ? kFileSystemDriver : kKernelDriver;
    const size_t roll = random.Below(100);
    driver.startupType = roll < 30 ? kBoot : (roll < 60 ? kSystem : (roll < 90 ? kManual : kDisabled));
    driver.state = driver.startupType <= kSystem || random.Below(2) ? kRunning : kStopped;
    if (driver.startupType == kDisabled)
        driver.state = kStopped;
    driver.runningControls = 1;
    return driver;
}

SimulatedService Ordinary(Random& random, const Word& root, const Word& role, size_t number)
{
    SimulatedService service;
    service.name = Ascii(std::string(root.key) + role.key + Digits(number, 4));
    service.displayName = DisplayName(root, role, number);
    service.description = Description(random, root, number);
    if (number % 6 == 0)
        service.servicePath = u"\"C:\\Programme\\Dienstprogramme f\u00fcr " + std::u16string(root.text) + u"\\" +
                              service.name + u".exe\" /service";
    else
        service.servicePath = u"C:\\Program Files\\" + std::u16string(root.text) + u" Suite\\" + service.name + u".exe";
    service.startName = kAccounts[random.Below(std::size(kAccounts))];
    service.sysAccount = service.startName == u"LocalSystem" ? 1 : 0;
    service.serviceType = kOwnProcess;
    if (service.sysAccount && random.Below(8) == 0) {
        service.serviceType |= kInteractive;
        service.allowInteract = 1;
    }
    SetCondition(random, service);
    return service;
}

void SplitNames(std::string_view list, std::vector<std::string>& names)
{
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = std::min(list.find(' ', start), list.size());
        if (end > start)
            names.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
}

std::string Narrow(const std::u16string& ascii)
{
    return std::string(ascii.begin(), ascii.end());
}

}  // namespace

bool LessNoCase(const std::u16string& a, const std::u16string& b)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char16_t x, char16_t y) { return lower(x) < lower(y); });
}

std::u16string ExecutableOf(std::u16string_view commandLine)
{
    if (!commandLine.empty() && commandLine.front() == u'"') {
        const size_t close = commandLine.find(u'"', 1);
        return std::u16string(commandLine.substr(1, close == std::u16string_view::npos ? close : close - 1));
    }
    // Unquoted paths may hold blanks: the executable ends with its ".exe".
    std::u16string lower(commandLine);
    for (char16_t& c : lower)
        c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    const size_t exe = lower.find(u".exe");
    if (exe != std::u16string::npos)
        return std::u16string(commandLine.substr(0, exe + 4));
    return std::u16string(commandLine.substr(0, commandLine.find(u' ')));
}

const std::vector<std::u16string>& SimulatedProgramFiles()
{
    static const std::vector<std::u16string> files = {
        u"C:\\Program Files\\Nordlicht Backup\\nlbackup.exe",
        u"C:\\Programme\\Wetterstation \u00dcberall\\wetterdienst.exe",
        u"C:\\Program Files\\Metering Agent\\meteragent.exe",
        u"C:\\WINDOWS\\system32\\notepad.exe",
    };
    return files;
}

uint32_t AcceptedControls(const SimulatedService& service)
{
    return service.state >= kRunning && service.state <= kPaused ? service.runningControls : 0;
}

std::vector<SimulatedService> MakeSimulatedServices(const MachineConfig& config)
{
    Random random(config.seed * 0x5E5F1CE5ULL + 605);
    std::vector<SimulatedService> services;
    std::vector<std::vector<std::string>> dependsOn;  // per service, key names
    std::vector<std::string> listedAs;                // per service: its name in dependents

    for (const Known& known : kKnown) {
        SimulatedService service;
        service.name = Ascii(known.name);
        service.displayName = known.displayName;
        service.description = known.description;
        service.servicePath = known.path;
        service.startName = known.account;
        service.state = known.state;
        service.startupType = known.startupType;
        service.runningControls = known.accepts;
        service.serviceType = known.type;
        service.sysAccount = service.startName.empty() || service.startName == u"LocalSystem" ? 1 : 0;
        service.allowInteract = (known.type & kInteractive) ? 1 : 0;
        service.accessDenied = known.denied;
        services.push_back(std::move(service));
        dependsOn.emplace_back();
        SplitNames(known.dependsOn, dependsOn.back());
        listedAs.push_back(known.listedAs ? known.listedAs : known.name);
    }

    static const char* const kCommonBases[] = {"RpcSs", "Tcpip", "LanmanWorkstation", "EventLog",
                                               "EventSystem"};
    const size_t total = std::max(static_cast<size_t>(config.ServiceCount()), services.size());
    std::string previous;  // the last ordinary service, for chains
    for (size_t number = 1; services.size() < total; ++number) {
        const Word& root = kRoots[random.Below(std::size(kRoots))];
        std::vector<std::string> needs;
        if (number % 9 == 0) {
            services.push_back(Driver(random, root, number));
        } else {
            services.push_back(Ordinary(random, root, kRoles[random.Below(std::size(kRoles))], number));
            const size_t roll = random.Below(100);
            if (roll < 30)
                needs.emplace_back(kCommonBases[random.Below(std::size(kCommonBases))]);
            else if (roll < 45 && !previous.empty())
                needs.push_back(previous);  // chains of a product's services
            previous = Narrow(services.back().name);
        }
        services.back().accessDenied = number % 23 == 0;
        dependsOn.push_back(std::move(needs));
        listedAs.push_back(Narrow(services.back().name));
    }

    std::map<std::string, size_t> byName;
    for (size_t i = 0; i < services.size(); ++i)
        byName.emplace(Narrow(services[i].name), i);
    for (size_t i = 0; i < services.size(); ++i) {
        for (const std::string& base : dependsOn[i]) {
            const auto found = byName.find(base);
            if (found != byName.end())
                services[found->second].dependents.push_back(listedAs[i]);
        }
    }

    // The service manager lists services by key name.
    std::stable_sort(services.begin(), services.end(),
                     [](const SimulatedService& a, const SimulatedService& b) { return LessNoCase(a.name, b.name); });
    return services;
}

}  // namespace vantrel::remote
