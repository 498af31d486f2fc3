// Shared Folders without its windows: the shares, sessions and open files as
// the answers to 701, 702 and 703 bring them, the stores that keep them, the
// texts of their cells, their order and what the commands may do.
//
// List items carry positions in a store; a store and the items of its list
// are emptied together, so a position never outlives its record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/model/Paging.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::shares {

// Each record keeps the XML text of the element it came from: Remove and the
// property dialog send back what the machine sent, attributes unknown here included.
struct ShareRecord {
    std::u16string name;
    std::u16string folderPath;
    std::u16string description;
    int64_t type = 0;
    uint32_t clientConnections = 0;
    std::string element;
};

struct SessionRecord {
    std::u16string userName;
    std::u16string computer;
    std::u16string clientType;
    std::u16string transport;
    uint32_t fileOpens = 0;
    uint32_t connTime = 0;  // seconds
    uint32_t idleTime = 0;
    bool guest = false;
    std::string element;
};

struct OpenFileRecord {
    std::u16string path;
    std::u16string accessedBy;
    uint32_t locks = 0;
    uint32_t openMode = 0;
    std::string element;
};

ShareRecord ReadShare(const CXmlElement& element);
SessionRecord ReadSession(const CXmlElement& element);
OpenFileRecord ReadOpenFile(const CXmlElement& element);

// The records of one list in arrival order, up to a cap.
template <typename Record>
class Store {
public:
    explicit Store(size_t maxRecords = kMaxListItems) : maxRecords_(maxRecords) {}
    void Clear() { records_.clear(); }
    size_t Count() const { return records_.size(); }
    const Record* At(size_t position) const { return position < records_.size() ? &records_[position] : nullptr; }
    // Appends the children of a page's root; how many were added.
    size_t MergePage(const CXmlElement& root);

private:
    size_t maxRecords_;
    std::vector<Record> records_;
};

using ShareStore = Store<ShareRecord>;
using SessionStore = Store<SessionRecord>;
using OpenFileStore = Store<OpenFileRecord>;

// The machine's name on the root of a shares page; empty when absent.
std::u16string ReadPcName(const CXmlElement& root);

// ---- cells -------------------------------------------------------------------------

enum ShareColumn { kShareName, kShareFolderPath, kShareType, kShareConnections, kShareDescription };
enum SessionColumn {
    kSessionUser,
    kSessionComputer,
    kSessionType,
    kSessionTransport,
    kSessionOpenFiles,
    kSessionConnectedTime,
    kSessionIdleTime,
    kSessionGuest
};
enum FileColumn { kFilePath, kFileAccessedBy, kFileLocks, kFileMode };

enum class ShareTypeText { Disk, PrintQueue, Device, Ipc, Hidden, Unknown };
ShareTypeText TypeTextOf(const ShareRecord& share);

// The texts the cells need from the resources and the locale.
struct CellTexts {
    std::u16string typeTexts[6];  // by ShareTypeText
    std::u16string yes = u"Yes";
    std::u16string no = u"No";
    std::u16string modeNames[3] = {u"Read", u"Write", u"Create"};
    std::u16string timeSeparator = u":";
};

// Hours, minutes and seconds with the separator; hours go past 24.
std::u16string DurationText(uint32_t seconds, std::u16string_view separator);
// The names of the set bits (read, write, create) joined by ", ".
std::u16string OpenModeText(uint32_t mode, const std::u16string (&names)[3]);

std::u16string ShareCell(const ShareRecord& share, int column, const CellTexts& texts);
std::u16string SessionCell(const SessionRecord& session, int column, const CellTexts& texts);
std::u16string FileCell(const OpenFileRecord& file, int column, const CellTexts& texts);

// Ascending order by a column: numbers as numbers, the rest by their texts.
int CompareShares(const ShareRecord& a, const ShareRecord& b, int column, const CellTexts& texts);
int CompareSessions(const SessionRecord& a, const SessionRecord& b, int column, const CellTexts& texts);
int CompareFiles(const OpenFileRecord& a, const OpenFileRecord& b, int column, const CellTexts& texts);

// ---- commands --------------------------------------------------------------------

enum class Tab { Shares = 0, Sessions = 1, Files = 2 };

struct CommandStates {
    bool add = false;
    bool remove = false;
    bool refresh = false;
    bool properties = false;
};
// `working`: a request or the refresh chain is under way.
CommandStates AllowedCommands(Tab tab, bool hasSelection, bool working);

}  // namespace vantrel::shares
