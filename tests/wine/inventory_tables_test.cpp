// The Inventory's two tables read row by row as the documentation writes them
// ("name|label|picture|text field" and "number|name|label|format", "-" for no
// label), against the tables of the model and the label strings of the module.
#include "snapins/inventory/model/InventoryDictionary.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

using namespace inventory;

constexpr char kCategoryRows[] = R"(
Inventory|Inventory|0|
InventroyOpened|Inventory|1|
System_Information|System Information|2|Summary_Computer_Name
Components|Components|3|
Printing|Printing|4|
Printer|Printer|4|
Display|Display|5|
Display_Monitor|Display Monitor|6|Name
Display_Adapter|Display Adapter|12|Name
Computer|Computer|7|
Input|Input|8|
Keyboard|Keyboard|9|
Pointing_Device|Pointing Device|10|
Network|Network|11|
Network_Adapter|Adapter|12|
Processor|Processor|14|
Floating_Point_Processor|Floating Point Processor|14|
Memory|Memory|15|
Memory_Swap|Memory Swap|33|Name
Memory_Ram|Memory Ram|16|Name
Memory_System|Memory System|16|Name
Memory_Cache|Memory Cache|17|Name
Multimedia|Multimedia|18|
Audio_Codecs|Audio Codecs|19|
Audio_Codec|Audio Codec|19|Name
Video_Codecs|Video Codecs|20|
Video_Codec|Video Codec|20|Name
Sound_Devices|Sound Devices|21|
Sound_Device|Sound Device|21|Name
Ports|Ports|22|
Serial|Serial|23|
Parallel|Parallel|24|
USB|USB|25|
USB_Controller|Controller|12|
USB_Hub|Hub|25|
Software|Software|26|
Installed_Applications|Installed Software|28|
Installed_Application|Installed Application|28|Application_Name
Installed_Hot_Fixes|Installed Hot Fixes|29|
Installed_Hot_Fix|Installed Hot Fix|29|Hot_Fix_Name
Storage|Storage|30|
Controllers|Controllers|12|
IDE_Controller|IDE|12|
SCSI_Controller|SCSI|12|
Diskette_Controller|Diskette|32|
Drives|Drives|31|
Disks|Disks|31|
Diskette|Floppy|32|
RamDisk|Ram Disk|36|
Tape|Tape|33|
Drive|Drive|33|Name
HardDisk|Hard Disk|33|
CD_or_DVD|CD/DVD|35|
Generation|Generation|37|
Summary|Summary|38|
Power_and_Cooling|Power and Cooling|39|
Battery|Battery|40|
Probe|Sensor|41|
UPS|UPS|39|
Modems|Modems|42|
Modem|Modem|42|
Bus|Buses|43|
Bus_1394|IEEE Bus 1394|44|
Bus_PCMCIA|PCMCIA Bus|44|
Bus_Bus|Bus|44|Name
On_Board_Devices|On Board Devices|45|
On_Board_Device|On Board|45|Name
Other_Devices|Other Devices|45|
Other_Device|Other Device|45|Name
Components_Other|Other Hardware|13|
Base_System|Base System|46|
Motherboard|Motherboard|46|
Plugs|Plugs|47|
External_Plugs|External plugs|47|
External_Plug|External plug|47|Name
Slots|Slots|48|
Slot|Slot|49|Name
Os_Environment|OS Environment|50|
Infrared|Infrared|51|
Infrared_Controller|Controller|12|
Infrared_Device|Infrared Device|13|
Network_Address|Network Address|54|
Hardware|Hardware|13|
BIOS|BIOS|16|
Other_BIOS|Other BIOS|16|
Custom_Items|Custom Items|52|
Custom_Item|-|53|Custom_Item_Name
UDP_Statistics|UDP Statistics|56|
Network_Statistics|Network Statistics|56|
TCP_Statistics|TCP Statistics|56|
IP_Statistics|IP Statistics|56|
ICMP_Statistics|ICMP Statistics|56|
External_Power|External power|57|
)";

constexpr char kFieldRows[] = R"(
1|Generation_Date|Date|D
2|Generation_Method|Method|H
3|Generation_Phonebook|Phonebook|
4|Generation_Host_ID|Host ID|
5|Generation_Host_Phone_Number|Host Phone Number|
6|Generation_Communication_Profile|Communication Profile|
7|Summary_Computer_Name|Computer Name|
8|Summary_OS_Name|OS Name|
9|Summary_OS_Type|OS Type|
10|Summary_OS_Version|OS Version|
11|Summary_OS_Build|OS Build|
12|Summary_OS_Service_Pack|OS Service Pack|
13|Summary_OS_Service_Pack_Version|OS Service Pack Version|
14|Summary_OS_Manufacturer|OS Manufacturer|
15|Summary_OS_Up_Time|OS Up Time|
16|Summary_OS_Activation_Status|OS Activation Status|
17|Summary_OS_IE_Version|IE Version|
18|Summary_System_Manufacturer|System Manufacturer|
19|Summary_System_Model|System Model|
20|Summary_System_Type|System Type|
21|Summary_Registered_Organization|Registered Organization|
22|Summary_Registered_Owner|Registered Owner|
23|Summary_Processor_Count|Processor Count|
24|Summary_Processor_Name|Processor Name|
25|Summary_Processor_Model|Processor Model|
26|Summary_Processor_Speed|Processor Speed|
27|Summary_User_Name|User Name|
28|Summary_Time_Zone|Time Zone|
29|Summary_Locale|Locale|
30|Summary_Windows_Directory|Windows Directory|
31|Summary_System_Directory|System Directory|
32|Summary_BIOS_Version|BIOS Version|
33|Summary_BIOS_Date|BIOS Date|D
34|Summary_SMBIOS_Version|SMBIOS Version|
35|Summary_Boot_Device|Boot Device|
36|Summary_Hardware_Abstraction_Layer|Hardware Activation Layer|
37|Summary_Memory_Physical_Total|Memory Physical Total|
38|Summary_Memory_Physical_Available|Memory Physical Available|
39|Summary_Memory_Virtual_Total|Memory Virtual Total|
40|Summary_Memory_Virtual_Available|Memory Virtual Available|
41|Summary_Page_File_Space|Page File Space|
42|Summary_Page_File_Total|Page File Total|
43|Summary_Page_File|Page File|
44|Summary_Hard_Disk_Space_Total|Hard Disk Space Total|
45|Summary_Hard_Disk_Space_Available|Hard Disk Space Available|
46|Summary_Kelvo_Install_Directory|Kelvo Install Directory|
47|Summary_Kelvo_Install_Version|Kelvo Install Version|
48|Summary_Kelvo_Suite|Kelvo Suite|
53|Summary_Kelvo_Language|Kelvo Language|
54|Drive_Media_Load|Drive Media Load|
55|Drive_Media_Type|Drive Media Type|
56|Drive_Partitions|Drive Partitions|
57|Pointing_Device_Number_Of_Buttons|Number Of Buttons|
58|Pointing_Device_Mouse_Wheel|Mouse Wheel|
59|Display_Adapter_Bits_Per_Pixels|Bits Per Pixel|
60|Display_Adapter_Adapter_String|Adapter String|
61|Display_Adapter_BIOS_Information|BIOS Information|
62|Serial_Baud_Rate|Baud Rate|
63|Serial_Bits_Per_Byte|Bits Per Byte|
64|Serial_Stop_Bits|Stop Bits|
65|Serial_Parity|Parity|
66|Serial_Busy|Busy|
67|OS_Version|OS Version|
68|OS_Build|OS Build|
69|OS_Platform_ID|OS Platform ID|
70|OS_Service_Pack|OS Service Pack|
71|OS_Suit_Mask|OS Suite Mask|
72|OS_Product_Type|OS Product Type|
73|Application_Name|Name|
74|Application_Date|Date|D
75|Application_Version|Version|
76|Application_Build|Build|
77|Application_Publisher|Publisher|
78|Application_Product_ID|Product ID|
79|Application_Path|Path|
80|Hot_Fix_Name|Name|
81|Hot_Fix_Date|Date|D
82|Hot_Fix_Description|Description|
83|Hot_Fix_Service_Pack|Service Pack|
84|Name|Name|
85|Category|Category|
86|Status|Status|
87|Drive_Letter|Drive Letter|
88|Shared_As|Shared As|
89|Label|Label|
90|Volume_Serial|Volume Serial|
91|Partition_Start|Partition Start|
92|Days_Before_Expiring|Days Before Expiring|
93|Manufacturer|Manufacturer|
94|Model|Model|
95|SubModel|Submodel|
96|Version|Version|
97|Service_Pack|Service Pack|
98|Build_Variant|Build Variant|
99|Interface_Type|Interface Type|
100|Address|Address|
101|SerialNo|Serial Number|
102|GUID|GUID|
103|Size|Size|
104|Available|Available|
105|Available_Pct|Available %|
106|Minimum_Size|Minimum Size|
107|Maximum_Size|Maximum Size|
108|Size_Unit|Size Unit|
109|SizeTxt|Size Text|
110|AvailableTxt|Available Text|
111|Speed|Speed|
112|Max_Speed|Max Speed|
113|Front_Side_Bus|Front Side Bus|
114|Cache|Cache|
115|Chip|Chip|
116|Socket|Socket|
117|Volts|Volts|
118|Slot|Slot|
119|Location|Location|
120|Cabinet_Type|Cabinet Type|
121|Driver|Driver|
122|Driver_Manufacturer|Driver Manufacturer|
123|Software_Version|Software Version|
124|Software_Date|Software Date|D
125|Files|Files|
126|Mode|Mode/Format|
127|Options|Options|
128|Features|Features|
129|Usage|Usage|
130|Inactivity_Timeout|Inactivity Timeout|
131|CharacterSet|Character Set|
132|Install_Date|Install Date|D
133|Boot_Date|Boot Date|D
134|Boot_Mode|Boot Mode|
135|System_Partition|System Partition|
136|Install_Directory|Install Directory|
137|Resources|Resources|
138|PnP_ID|Plug And Play ID|
139|SubType|Type Code|S
140|Generation_SchemaVersion|XML Schema Version|
140|SyntaxVersion|XML Schema Version|
141|Summary_IP_Address|IP Address|
142|Summary_MAC_Address|MAC Address|
145|Custom_Item_Name|Name|
146|Custom_Item_Type|Type|H
147|Custom_Item_Result|Result|H
148|Custom_Item_Value|Value|F
149|Custom_Item_FileName|File name|
150|Custom_Item_FileSize|File size|Z
151|Custom_Item_FileDateCreate|File created|D
152|Custom_Item_FileDateAccess|File Accessed|D
153|Custom_Item_FileDateWrite|File modified|D
154|Custom_Item_FileVersion|File version|
155|Custom_Item_FileDescription|File description|
156|Custom_Item_FileCopyright|File copyright|
157|Custom_Item_FileCompany|File company|
158|Custom_Item_FileTrademarks|File trademarks|
159|Custom_Item_FileLanguage|File language|L
160|Custom_Item_FileCodePage|File code page|L
161|Custom_Item_FileProductName|File product name|
162|Custom_Item_FileProductVersion|File product version|
163|Custom_Item_FileDateInternal|File internal date|D
164|Custom_Item_FileChecksum|Date checksum|
165|Summary_Processor_Description|Processor Description|
166|Summary_Owner_Address|Owner Address|
167|Summary_Owner_Phone|Owner Phone|
168|Summary_Owner_Email|Owner Email|
169|Summary_Owner_Notes|Owner Notes|
170|Summary_Radio_Version|GSM Radio Version|
171|Summary_IMEI|IMEI (International Mobile Equipment Identity)|
172|Summary_Memory_Load|Memory Load|
173|Summary_Battery_Level|Battery level|
174|Summary_WiFi_Signal_Strength_Pct|WiFi Signal Strength|
175|Summary_GPS_Position|GPS Position|
176|Summary_Device_Name_Original|Device Name Original|
177|Summary_Computer_Description|Computer Description|
178|Host_Name|-|
179|Subnet_Mask|-|
180|AutoConfig_Enabled|AutoConfig Enabled|
181|AutoConfig_Active|AutoConfig Active|
182|DHCP_Enabled|DHCP Enabled|
184|Associated_IP_Address_Mask_List|Associated IP Address Mask List|
185|Gateway_IP_Address_Mask_List|Gateway IP Address Mask List|
186|DHCP_Server_IP_Address_Mask_List|DHCP Server IP Address Mask|
187|DNS_Server_IP_Address_List|DNS Server IP Address Mask List|
188|Uses_WINS|Uses WINS|
189|Pri_WINS_Server_IP_Address|Primary WINS Server IP Address Mask|
190|Sec_WINS_Server_IP_Address|Secondary WINS Server IP AddressMask|
191|DHCP_Lease_Obtained|DHCP Lease Obtained|
192|DHCP_Lease_Expires|DHCP Lease Expires|
193|Domain_Name|Domain Name|
195|Node_Type|Node Type|
196|Scope_ID|Scope ID|
197|Enable_Routing|Enable Routing|
198|Enable_Proxy|Enable Proxy|
199|Enable_DNS|Enable DNS|
200|Wireless_BSSID|BSSID|
201|Wireless_Signal_Strength|WiFi Signal Strength|
202|Wireless_Signal_Threshold|WiFi Signal Threshold|
203|Wireless_SSID|SSID|
204|Wireless_Number_Of_Antennas|Number Of Antennas|
205|Wireless_Antenna_Selected|Antenna Selected|
206|Wireless_Power_Level|Power Level mWt|
207|Wireless_Authentication_Mode|Authentication Mode|
208|Wireless_Infrastructure_Mode|Infrastruture Mode|
209|Wireless_Network_Type|Network Type|
210|Wireless_Power_Mode|Power Mode|
211|Wireless_Privacy_Filter|Privacy Filter|
212|Wireless_Encryption_Status|Encrypton Status|
213|Wireless_Beacon_Period|Beacon Period|
214|Wireless_ATIM_Window|ATIM Window|
215|Wireless_Frequency|Radio Frequency|
216|Wireless_Hop_Pattern|HOP Pattern|
217|Wireless_Hop_Set|HOP Set|
218|Wireless_Dwell_Time|Dwell Time|
219|Retransmission_Timeout_Algorithm|Retransmission Timeout Algorithm|
220|Min_Retransmission_Timeout|Retransmission Timeout Minimum|
221|Max_Retransmission_Timeout|Retransmission Timeout Maximum|
222|Max_Number_Connections|Max Number Connections|
223|Number_Failed_Connection|Connection Failures|
224|Number_Established_Connections|Connections Reset|
225|Number_Currently_Established_Connections|Connections Established (Currently)|
226|Number_Segments_Received_Transmitted|Segments Received|
227|Number_Segments_Transmitted|Segments Sent|
228|Number_Segments_Retransmitted|Segments Retransmitted|
229|Number_Errors_Received|Errors Received|
230|Number_Segments_Transmitted_with_Reset_Flag|Segments Sent with Reset Flag|
231|Cumulative_Number_Connections|Connections Established (Cumulative)|
232|Enabled_IP_Forwarding|Enabled IP Forwarding|
233|Default_TTL_For_Datagrams|Default TTL for Datagrams|
234|Number_Datagrams_Received_With_Header_Errors|Datagrams Received with Header Errors|
235|Number_Datagrams_Received|Datagrams Received|
236|Number_Datagrams_Received_With_Address_Errors|Datagrams Received with Address Errors|
237|Number_Datagrams_Forwarded|Datagrams Forwarded|
238|Number_Datagrams_Received_With_Unknown_Protocol|Datagrams Received with Unknown Protocol|
239|Number_Outgoing_Datagrams_Discarded|Outgoing Datagrams Discarded|
240|Number_Transmitted_Datagrams_Discarded|Transmitted Datagrams Discarded|
241|Number_Datagrams_Requiring_Reassembly|Datagrams Requiring Reassembly|
242|Number_Datagrams_Reassembled|Datagrams Reassembled|
243|Number_Datagrams_Reassemblies_Failed|Datagrams Reassemblies Failed|
244|Number_Datagrams_Fragmented_Successfully|Datagrams Fragmented Successfully|
245|Number_Fragments_Created|Fragments Created|
246|Number_Interfaces|Interfaces|
247|Number_IP_Addresses|IP Addresses|
248|Number_Routes|Routes|
249|Number_Messages|Messages|
250|Number_Errors|Errors|
251|Number_Destination_Unreachable_Messages|Destination Unreachable Messages|
252|Number_TTL_Exceeded_Messages|TTL Exceeded Messages|
253|Number_Parameter_Problem_Messages|Parameter Problem Messages|
254|Number_Source_Quench_Messages|Source Quench Messages|
255|Number_Redirect_Messages|Redirect Messages|
256|Number_Echo_Requests|Echo Requests|
257|Number_Echo_Replies|Echo Replies|
258|Number_TimeStamp_Requests|TimeStamp Requests|
259|Number_TimeStamp_Replies|TimeStamp Replies|
260|Number_Address_Mask_Requests|Address Mask Requests|
261|Number_Address_Mask_Responses|Address Mask Responses|
262|OEMCharacterSet|OEM Character Set|
263|Package|Package|
264|Number_Passive_Opens|Connections Pasive (Incoming)|
265|Number_Datagrams_No_Route_Discarded|Datagrams No Route Discarded|
266|Datagram_Reassemble_Timeout|Datagrams Reassemble Timeouts|
267|Number_Datagrams_Received_Discarded|Datagrams Discarded|
268|Number_Datagrams_Received_Delivered|Datagrams Delivered|
269|Number_Datagrams_Requested_To_Transmit|Datagrams Requested to Transmit|
270|Number_Datagrams_No_Ports|Datagrams No Ports|
271|Number_Datagrams_Errors_Received|Errors Received|
272|Number_Total_Listeners|Total Listeners|
273|Number_Datagrams_Transmitted|Datagrams Transmitted|
274|Number_Datagrams_Fragmentation_Failed|Datagrams Fragmentation Failed|
275|Last|Last|
)";

std::vector<std::vector<std::string>> Rows(const char* text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        std::vector<std::string> cells;
        std::istringstream parts(line);
        for (std::string cell; std::getline(parts, cell, '|');) cells.push_back(cell);
        cells.resize(4);
        rows.push_back(cells);
    }
    return rows;
}

std::wstring Label(UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(ModuleUnderTest::Handle(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(InventoryTablesTest, EveryCategoryRow) {
    const auto rows = Rows(kCategoryRows);
    ASSERT_EQ(rows.size(), Categories().size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string>& row = rows[i];
        const Category* category = FindCategory(row[0]);
        ASSERT_NE(category, nullptr) << row[0];
        EXPECT_EQ(category, &Categories()[i]) << row[0] << ": in the documented order";
        EXPECT_EQ(category->image, std::stoi(row[2])) << row[0];
        EXPECT_EQ(category->textField, row[3]) << row[0];
        if (row[1] == "-")
            EXPECT_EQ(category->label, kNoLabel) << row[0];
        else
            EXPECT_EQ(Label(kCategoryLabelBase + static_cast<UINT>(category->label)), Wide(row[1])) << row[0];
    }
}

TEST(InventoryTablesTest, EveryFieldRow) {
    const auto rows = Rows(kFieldRows);
    ASSERT_EQ(rows.size(), Fields().size());
    const std::string formats[] = {"", "D", "H", "S", "F", "Z", "L"};
    for (const std::vector<std::string>& row : rows) {
        const Field* field = FindField(row[1]);
        ASSERT_NE(field, nullptr) << row[1];
        const int number = std::stoi(row[0]);
        EXPECT_EQ(field->number, number) << row[1];
        EXPECT_EQ(formats[static_cast<int>(FormatOf(number))], row[3]) << row[1];
        EXPECT_EQ(Label(kFieldLabelBase + static_cast<UINT>(number)), row[2] == "-" ? L"" : Wide(row[2])) << row[1];
    }
    // Labels without a name.
    EXPECT_EQ(Label(kFieldLabelBase + 183), L"Current IP Address Mask");
    EXPECT_EQ(Label(kFieldLabelBase + 194), L"DNS Server IP Address List");
}

}  // namespace
}  // namespace vantrel::test
