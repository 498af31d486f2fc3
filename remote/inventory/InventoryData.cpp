#include "remote/inventory/InventoryData.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/xml/Xml.h"
#include "remote/Random.h"

namespace vantrel::remote {

namespace {

using Attributes = std::vector<std::pair<std::string_view, std::string>>;

// Writes elements as the machine's service does: one per line, attributes in
// the order given, indented by depth.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    void Open(std::string_view name, const Attributes& attributes = {})
    {
        Start(name, attributes);
        out_ += ">\n";
        ++depth_;
    }
    void Close(std::string_view name)
    {
        --depth_;
        Indent();
        out_ += "</";
        out_ += name;
        out_ += ">\n";
    }
    void Leaf(std::string_view name, const Attributes& attributes)
    {
        Start(name, attributes);
        out_ += " />\n";
    }

private:
    void Indent() { out_.append(static_cast<size_t>(depth_) * 2, ' '); }
    void Start(std::string_view name, const Attributes& attributes)
    {
        Indent();
        out_ += '<';
        out_ += name;
        for (const auto& [key, value] : attributes) {
            out_ += ' ';
            out_ += key;
            out_ += "=\"";
            out_ += XmlEncode(kXmlEntities, value);
            out_ += '"';
        }
    }

    std::string& out_;
    int depth_ = 0;
};

std::string Number(uint64_t value) { return std::to_string(value); }

// "2026-11-28T09:41:07+01:00", a generation minutes apart.
std::string IsoDate(int year, int month, int day, int minutes)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d+01:00", year, month, day, (minutes / 60) % 24,
                  minutes % 60, (minutes * 7) % 60);
    return text;
}

struct Flavour {
    bool device;
    bool server;
    const char* computer;
    const char* os;
    const char* version;
};

Flavour FlavourOf(const MachineConfig& config)
{
    if (config.platform == kDevicePlatform)
        return {true, false, "Handgerät-Jürgen", "Pocket OS", "5.2.21234"};
    if (config.systemControl.server)
        return {false, true, "SRV-ØRESUND-01", "Server Edition 2019 Datacenter", "10.0.17763"};
    return {false, false, "WS-ÅSA-0417", "Workstation 10 Pro", "10.0.19045"};
}

void WriteGeneration(Writer& w, const MachineConfig& config, int generation)
{
    w.Leaf("Generation", {{"Generation_Date", IsoDate(2026, 11, 28, 9 * 60 + 41 + generation)},
                          {"Generation_Method", "18"},
                          {"Generation_Phonebook", ""},
                          {"Generation_Host_ID", "{6F1A2B3C-0417-4E5D-9A8B-" + Number(100000000000 + config.seed) + "}"},
                          {"Generation_Communication_Profile", "LAN – Büro"},
                          {"Generation_SchemaVersion", "3"}});
}

void WriteSummary(Writer& w, const Flavour& f)
{
    Attributes summary = {{"Summary_OS_Name", f.os},
                          {"Summary_Computer_Name", f.computer},
                          {"Summary_OS_Version", f.version},
                          {"Summary_OS_Build", "19045"},
                          {"Summary_OS_Manufacturer", "Kelvo Software"},
                          {"Summary_OS_Up_Time", "3 days 04:12:55"},
                          {"Summary_System_Manufacturer", "Ostwind Computer GmbH"},
                          {"Summary_System_Model", f.device ? "Pocket 9" : "Tower 7 Ü"},
                          {"Summary_Registered_Owner", "Zoë Ångström"},
                          {"Summary_Registered_Organization", "Société Générale de Café"},
                          {"Summary_Processor_Count", f.server ? "16" : "4"},
                          {"Summary_Processor_Name", "Quorv Core 7 @ 3.40 GHz"},
                          {"Summary_Time_Zone", "W. Europe Standard Time"},
                          {"Summary_Locale", "Deutsch (Österreich)"},
                          {"Summary_BIOS_Date", "2023-05-17"},
                          {"Summary_Memory_Physical_Total", f.server ? "137438953472" : "17179869184"},
                          {"Summary_IP_Address", "10.17.4.23"},
                          {"Summary_MAC_Address", "00-1A-2B-3C-4D-5E"},
                          {"Summary_Kelvo_Language", "1031"},
                          {"Summary_Computer_Description", "Empfang, 2. Stock – Raum 2.17"}};
    if (f.device) {
        summary.emplace_back("Summary_IMEI", "356938035643809");
        summary.emplace_back("Summary_Radio_Version", "02.45.90");
        summary.emplace_back("Summary_Battery_Level", "87 %");
        summary.emplace_back("Summary_WiFi_Signal_Strength_Pct", "64");
        summary.emplace_back("Summary_GPS_Position", "48°12′30″N 16°22′19″E");
        summary.emplace_back("Summary_Device_Name_Original", "Pocket9-0417");
    }
    summary.emplace_back("Summary_Vendor_Asset_Tag", "A-0417");  // a field the console does not know
    w.Leaf("Summary", summary);
    w.Leaf("System_Information", {{"Summary_Computer_Name", f.computer}, {"Summary_OS_Name", f.os}});
}

void WriteDrives(Writer& w, const Flavour& f)
{
    struct DriveRow {
        const char* name;
        int subType;
        const char* label;
        uint64_t size;
    };
    const DriveRow drives[] = {{"A:\\", 2, "", 1474560},          {"C:\\", 3, "System", 512110190592},
                               {"D:\\", 3, "Daten – Ärzte", 2000398934016}, {"E:\\", 5, "ÉTÉ_2024", 4700000000},
                               {"R:\\", 6, "RAMDISK", 2147483648}, {"Z:\\", 4, "\\\\fs01\\Öffentlich", 8796093022208},
                               {"X:\\", 0, "", 0},                 {"Q:\\", 1, "", 0}};
    w.Open("Drives");
    for (const DriveRow& d : drives) {
        if (f.device && d.subType != 3 && d.subType != 2) continue;
        w.Leaf("Drive", {{"Name", d.name},
                         {"SubType", Number(static_cast<uint64_t>(d.subType))},
                         {"Label", d.label},
                         {"Size", Number(d.size)},
                         {"Available", Number(d.size / 3)},
                         {"Volume_Serial", "4C1E-9A07"}});
    }
    w.Close("Drives");
}

void WriteStorage(Writer& w, const Flavour& f)
{
    w.Open("Storage");
    w.Open("Controllers");
    w.Leaf("IDE_Controller", {{"Name", "Standard SATA AHCI Controller"}, {"Manufacturer", "Standard"}});
    w.Leaf("SCSI_Controller", {{"Name", "RAID-Controller „Ström“"}, {"Driver", "raidstor.sys"}});
    w.Leaf("Diskette_Controller", {{"Name", "Standard floppy disk controller"}});
    w.Close("Controllers");
    WriteDrives(w, f);
    w.Open("Disks");
    w.Leaf("HardDisk", {{"Model", "NVMe SSD 1TB"}, {"Size", "1000202273280"}, {"Drive_Partitions", "3"}});
    w.Leaf("Diskette", {{"Model", "3½\" floppy"}});
    w.Leaf("CD_or_DVD", {{"Model", "DVD±RW"}, {"Drive_Letter", "E:"}});
    w.Leaf("Tape", {{"Model", "LTO-8"}, {"Status", "OK"}});
    w.Leaf("RamDisk", {{"Size", "2147483648"}});
    w.Close("Disks");
    w.Close("Storage");
}

void WriteComponents(Writer& w, const Flavour& f, Random& random)
{
    w.Open("Components");
    w.Leaf("Computer", {{"Cabinet_Type", f.device ? "Handheld" : "Tower"}, {"Manufacturer", "Ostwind Computer GmbH"}});
    w.Open("Display");
    w.Open("Display_Adapter", {{"Name", "Grafikkarte ÜltraView 4000"}, {"Display_Adapter_Bits_Per_Pixels", "32"},
                               {"Driver_Manufacturer", "ÜltraView"}, {"Software_Date", "2024-02-29T00:00:00"}});
    w.Leaf("Display_Monitor", {{"Name", "Moniteur 27\" écran large"}, {"Manufacturer", "Écran SA"}});
    w.Close("Display_Adapter");
    w.Close("Display");
    w.Open("Input");
    w.Leaf("Keyboard", {{"Name", "Tastatur (Deutsch)"}, {"Interface_Type", "USB"}});
    w.Leaf("Pointing_Device", {{"Name", "Maus"}, {"Pointing_Device_Number_Of_Buttons", "5"},
                               {"Pointing_Device_Mouse_Wheel", "Yes"}});
    w.Close("Input");
    w.Open("Processor", {{"Name", "Quorv Core 7"}, {"Speed", "3400"}, {"Cache", "12288"}, {"Socket", "LGA1700"}});
    w.Leaf("Floating_Point_Processor", {{"Status", "Present"}});
    w.Close("Processor");
    w.Open("Memory");
    for (int bank = 0; bank < (f.server ? 8 : 2); ++bank)
        w.Leaf("Memory_Ram", {{"Name", "DIMM " + Number(static_cast<uint64_t>(bank))}, {"Size", "8589934592"},
                              {"Speed", "3200"}});
    w.Leaf("Memory_System", {{"Name", "System"}, {"Size", "655360"}});
    w.Leaf("Memory_Cache", {{"Name", "L2"}, {"Size", "1310720"}});
    w.Leaf("Memory_Swap", {{"Name", "C:\\pagefile.sys"}, {"Size", "4294967296"}});
    w.Close("Memory");
    w.Open("Multimedia");
    w.Open("Audio_Codecs");
    for (const char* codec : {"PCM", "MPEG Layer-3", "Opus – Ogg"}) w.Leaf("Audio_Codec", {{"Name", codec}});
    w.Close("Audio_Codecs");
    w.Open("Video_Codecs");
    for (const char* codec : {"H.264", "VP9", "Cinépak"}) w.Leaf("Video_Codec", {{"Name", codec}});
    w.Close("Video_Codecs");
    w.Open("Sound_Devices");
    w.Leaf("Sound_Device", {{"Name", "Lautsprecher (High Definition Audio)"}, {"Status", "OK"}});
    w.Close("Sound_Devices");
    w.Close("Multimedia");
    w.Open("Ports");
    w.Leaf("Serial", {{"Name", "COM1"}, {"Serial_Baud_Rate", "115200"}, {"Serial_Parity", "None"}});
    w.Leaf("Parallel", {{"Name", "LPT1"}});
    w.Open("USB");
    w.Leaf("USB_Controller", {{"Name", "USB 3.1 eXtensible Host Controller"}});
    w.Leaf("USB_Hub", {{"Name", "USB Root Hub"}});
    w.Close("USB");
    w.Close("Ports");
    WriteStorage(w, f);
    w.Open("Printing");
    w.Leaf("Printer", {{"Name", "Drucker 2. Stock – Kyōto"}, {"Status", "Bereit"}, {"Driver", "PCL6"}});
    w.Close("Printing");
    w.Open("Network");
    w.Leaf("Network_Adapter", {{"Name", "Ethernet-Controller"}, {"Host_Name", f.computer}, {"Subnet_Mask", "255.255.255.0"},
                               {"DHCP_Enabled", "1"}, {"DHCP_Lease_Obtained", "2026-12-06T08:00:00+01:00"},
                               {"Wireless_SSID", f.device ? "Büro-WLAN" : ""}});
    w.Leaf("Network_Address", {{"Address", "10.17.4.23"}, {"Subnet_Mask", "255.255.255.0"}});
    w.Open("Network_Statistics");
    const uint64_t traffic = random.Between(100000, 900000);
    w.Leaf("IP_Statistics", {{"Number_Datagrams_Received", Number(traffic)}, {"Default_TTL_For_Datagrams", "128"}});
    w.Leaf("TCP_Statistics", {{"Number_Currently_Established_Connections", "37"}, {"Number_Passive_Opens", "1022"}});
    w.Leaf("UDP_Statistics", {{"Number_Datagrams_Transmitted", Number(traffic / 3)}});
    w.Leaf("ICMP_Statistics", {{"Number_Echo_Requests", "12"}, {"Number_Echo_Replies", "12"}});
    w.Close("Network_Statistics");
    w.Close("Network");
    w.Open("Modems");
    w.Leaf("Modem", {{"Name", "LTE-Modem"}, {"Model", "Mobilfunk 4G"}});
    w.Close("Modems");
    w.Open("Bus");
    w.Leaf("Bus_1394", {{"Name", "1394 OHCI"}});
    w.Leaf("Bus_PCMCIA", {{"Name", "PC Card"}});
    w.Leaf("Bus_Bus", {{"Name", "PCI Express Root Complex"}});
    w.Close("Bus");
    w.Open("On_Board_Devices");
    w.Leaf("On_Board_Device", {{"Name", "Onboard LAN"}, {"Status", "Enabled"}});
    w.Close("On_Board_Devices");
    w.Open("Other_Devices");
    w.Leaf("Other_Device", {{"Name", "Fingerabdruck-Sensor"}, {"PnP_ID", "USB\\VID_1234&PID_5678"}});
    w.Close("Other_Devices");
    w.Leaf("Components_Other", {{"Name", "Sonstiges"}});
    w.Leaf("Hardware", {{"Name", "Hardware"}});
    w.Open("Base_System");
    w.Leaf("Motherboard", {{"Manufacturer", "Ostwind"}, {"Model", "B660-Ä"}});
    w.Leaf("BIOS", {{"Version", "1.17.0"}, {"Install_Date", "2023-05-17"}});
    w.Leaf("Other_BIOS", {{"Version", "Video BIOS 94.04"}});
    w.Close("Base_System");
    w.Open("Plugs");
    w.Open("External_Plugs");
    w.Leaf("External_Plug", {{"Name", "HDMI"}});
    w.Leaf("External_Plug", {{"Name", "USB-C"}});
    w.Close("External_Plugs");
    w.Close("Plugs");
    w.Open("Slots");
    w.Leaf("Slot", {{"Name", "PCIEX16_1"}, {"Status", "In Use"}});
    w.Close("Slots");
    w.Open("Power_and_Cooling");
    w.Leaf("Battery", {{"Name", "Akku"}, {"Status", f.device ? "Charging" : "Not present"}});
    w.Leaf("Probe", {{"Name", "CPU-Temperatur"}, {"Status", "52 °C"}});
    w.Leaf("UPS", {{"Name", "USV 1500"}});
    w.Leaf("External_Power", {{"Status", "Online"}});
    w.Close("Power_and_Cooling");
    w.Open("Infrared");
    w.Leaf("Infrared_Controller", {{"Name", "IrDA"}});
    w.Leaf("Infrared_Device", {{"Name", "IR-Empfänger"}});
    w.Close("Infrared");
    // A vendor's block: not shown, and neither is the printer inside it.
    w.Open("Vendor_Extension", {{"Vendor", "Ostwind"}});
    w.Leaf("Printer", {{"Name", "Hidden"}});
    w.Close("Vendor_Extension");
    w.Close("Components");
}

const char* const kPublishers[] = {"Kelvo Software", "Ostwind Computer GmbH", "Société Générale de Café",
                                   "Ström & Söner AB", "Nihon Sōfuto K.K.", "Ελληνικά Εργαλεία"};
const char* const kProducts[] = {"Büro-Suite", "Bildbetrachter", "Éditeur de texte", "Datensicherung",
                                 "Übersetzer", "PDF-Werkzeug", "Звукозапись", "表計算", "Kartendienst", "Runtime"};
const char* const kLanguages[] = {"1033", "1031", "1036", "1041", "1049", "1053"};

void WriteSoftware(Writer& w, const MachineConfig& config, const Flavour& f, Random& random)
{
    w.Open("Software");
    w.Leaf("Os_Environment", {{"OS_Version", f.version}, {"OS_Build", "19045"}, {"OS_Platform_ID", "2"},
                              {"OS_Suit_Mask", "256"}, {"OS_Product_Type", f.server ? "3" : "1"}});
    w.Open("Installed_Applications");
    const int applications = InventoryApplications(config);
    std::string comments;
    while (comments.size() < 2200) comments += "Includes the components for office, archive and administration. ";
    for (int i = 0; i < applications; ++i) {
        const char* product = kProducts[random.Below(std::size(kProducts))];
        const char* publisher = kPublishers[random.Below(std::size(kPublishers))];
        const std::string name = std::string(product) + " " + Number(static_cast<uint64_t>(i + 1));
        w.Leaf("Installed_Application",
               {{"Application_Name", name},
                {"Application_Version", Number(random.Between(1, 30)) + "." + Number(random.Below(10)) + "." +
                                            Number(random.Below(10000))},
                {"Application_Publisher", publisher},
                {"Application_Date", IsoDate(2020 + static_cast<int>(random.Below(7)), 1 + static_cast<int>(random.Below(12)),
                                             1 + static_cast<int>(random.Below(28)), static_cast<int>(random.Below(1440)))},
                {"Application_Path", "C:\\Program Files\\" + std::string(publisher) + "\\" + name},
                {"Application_Product_ID", "{" + Number(random.Next() % 100000000) + "-0417}"},
                {"Application_Language", kLanguages[random.Below(std::size(kLanguages))]},
                {"Application_Uninstall", "MsiExec.exe /X{" + Number(random.Next() % 100000000) + "}"},
                {"Application_Comments", comments.substr(0, random.Below(comments.size()))}});
    }
    w.Close("Installed_Applications");
    w.Open("Installed_Hot_Fixes");
    for (int i = 0; i < (f.server ? 60 : 20); ++i)
        w.Leaf("Installed_Hot_Fix", {{"Hot_Fix_Name", "KB50" + Number(static_cast<uint64_t>(10000 + i * 37))},
                                     {"Hot_Fix_Date", IsoDate(2026, 1 + i % 11, 1 + i % 27, i * 13)},
                                     {"Hot_Fix_Description", "Sicherheitsupdate"}});
    w.Close("Installed_Hot_Fixes");
    w.Close("Software");
}

void WriteCustomItems(Writer& w)
{
    w.Open("Custom_Items");
    w.Leaf("Custom_Item", {{"Custom_Item_Name", "Anmeldeskript"},
                           {"Custom_Item_Type", "2"},
                           {"Custom_Item_Result", "18"},
                           {"Custom_Item_Value", "Zeile 1\r\nZeile 2\tmit Tab"},
                           {"Custom_Item_FileName", "C:\\Skripte\\anmelden.cmd"},
                           {"Custom_Item_FileSize", "1536"},
                           {"Custom_Item_FileDateWrite", "2026-10-01T07:30:00.250+02:00"},
                           {"Custom_Item_FileLanguage", "1031"},
                           {"Custom_Item_FileCodePage", "1200"}});
    w.Leaf("Custom_Item", {{"Custom_Item_Name", "Datenbank"},
                           {"Custom_Item_Type", "1"},
                           {"Custom_Item_FileSize", "1073741824"},
                           {"Custom_Item_FileLanguage", "1041"}});
    w.Close("Custom_Items");
}

}  // namespace

int InventoryApplications(const MachineConfig& config)
{
    const int scale = std::clamp(config.scale, 1, 100);
    return 300 + (scale - 1) * (20000 - 300) / 99;
}

std::string InventoryXml(const MachineConfig& config, int generation)
{
    const Flavour flavour = FlavourOf(config);
    Random random(config.seed * 7919 + 15007);
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text.reserve(static_cast<size_t>(InventoryApplications(config)) * 1200 + 65536);
    Writer w(text);
    w.Open("Inventory", {{"SyntaxVersion", "3"}});
    WriteGeneration(w, config, generation);
    WriteSummary(w, flavour);
    w.Leaf("InventroyOpened", {{"Name", "Inventory"}});
    WriteComponents(w, flavour, random);
    WriteSoftware(w, config, flavour, random);
    WriteCustomItems(w);
    w.Close("Inventory");
    return text;
}

}  // namespace vantrel::remote
