#include "snapins/shares/model/SharesModel.h"

#include "framework/model/Answer.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/shares/model/Protocol.h"

#include <array>
#include <cstdio>

namespace vantrel::shares {
namespace {

namespace wire = protocol;


std::u16string Decimal(uint64_t value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

// The element as it travels back: one element alone, children included.
std::string TextOf(const CXmlElement& element) {
    CXmlOptions options;
    return element.ToText(options);
}

}  // namespace

ShareRecord ReadShare(const CXmlElement& element) {
    ShareRecord share;
    share.name = ReadText(element, wire::kAttrName);
    share.folderPath = ReadText(element, wire::kAttrFolderPath);
    share.description = ReadText(element, wire::kAttrDescription);
    share.type = ReadInt64(element, wire::kAttrType);
    share.clientConnections = ReadUInt32(element, wire::kAttrClientConnections);
    share.element = TextOf(element);
    return share;
}

SessionRecord ReadSession(const CXmlElement& element) {
    SessionRecord session;
    session.userName = ReadText(element, wire::kAttrUserName);
    session.computer = ReadText(element, wire::kAttrComputer);
    session.clientType = ReadText(element, wire::kAttrType);
    session.transport = ReadText(element, wire::kAttrTransport);
    session.fileOpens = ReadUInt32(element, wire::kAttrFileOpens);
    session.connTime = ReadUInt32(element, wire::kAttrConnTime);
    session.idleTime = ReadUInt32(element, wire::kAttrIdleTime);
    session.guest = ReadBool(element, wire::kAttrGuest);
    session.element = TextOf(element);
    return session;
}

OpenFileRecord ReadOpenFile(const CXmlElement& element) {
    OpenFileRecord file;
    file.path = ReadText(element, wire::kAttrName);
    file.accessedBy = ReadText(element, wire::kAttrAccessedBy);
    file.locks = ReadUInt32(element, wire::kAttrLocks);
    file.openMode = ReadUInt32(element, wire::kAttrOpenMode);
    file.element = TextOf(element);
    return file;
}

template <typename Record>
Record ReadRecord(const CXmlElement& element);
template <>
ShareRecord ReadRecord(const CXmlElement& element) { return ReadShare(element); }
template <>
SessionRecord ReadRecord(const CXmlElement& element) { return ReadSession(element); }
template <>
OpenFileRecord ReadRecord(const CXmlElement& element) { return ReadOpenFile(element); }

template <typename Record>
size_t Store<Record>::MergePage(const CXmlElement& root) {
    size_t added = 0;
    for (int i = 0; i < root.GetChildCount() && ListHasRoom(records_.size(), maxRecords_); ++i) {
        records_.push_back(ReadRecord<Record>(*root.GetChild(i)));
        ++added;
    }
    return added;
}

template class Store<ShareRecord>;
template class Store<SessionRecord>;
template class Store<OpenFileRecord>;

std::u16string ReadPcName(const CXmlElement& root) { return ReadText(root, wire::kAttrPcName); }

// ---- cells ---------------------------------------------------------------------------

ShareTypeText TypeTextOf(const ShareRecord& share) {
    switch (share.type) {
    case wire::kTypeDisk:
        return ShareTypeText::Disk;
    case wire::kTypePrint:
        return ShareTypeText::PrintQueue;
    case wire::kTypeDevice:
        return ShareTypeText::Device;
    case wire::kTypeIpc:
        return ShareTypeText::Ipc;
    default:
        return !share.name.empty() && share.name.back() == u'$' ? ShareTypeText::Hidden : ShareTypeText::Unknown;
    }
}

std::u16string DurationText(uint32_t seconds, std::u16string_view separator) {
    char digits[3][16];
    std::snprintf(digits[0], sizeof digits[0], "%02lu", static_cast<unsigned long>(seconds / 3600));
    std::snprintf(digits[1], sizeof digits[1], "%02lu", static_cast<unsigned long>(seconds / 60 % 60));
    std::snprintf(digits[2], sizeof digits[2], "%02lu", static_cast<unsigned long>(seconds % 60));
    std::u16string text;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) text += separator;
        for (const char* c = digits[part]; *c; ++c) text += static_cast<char16_t>(*c);
    }
    return text;
}

std::u16string OpenModeText(uint32_t mode, const std::u16string (&names)[3]) {
    constexpr uint32_t kBits[3] = {wire::kModeRead, wire::kModeWrite, wire::kModeCreate};
    std::u16string text;
    for (int i = 0; i < 3; ++i) {
        if (!(mode & kBits[i])) continue;
        if (!text.empty()) text += u", ";
        text += names[i];
    }
    return text;
}

std::u16string ShareCell(const ShareRecord& share, int column, const CellTexts& texts) {
    switch (column) {
    case kShareName:
        return share.name;
    case kShareFolderPath:
        return share.folderPath;
    case kShareType:
        return texts.typeTexts[static_cast<int>(TypeTextOf(share))];
    case kShareConnections:
        return Decimal(share.clientConnections);
    case kShareDescription:
        return share.description;
    default:
        return {};
    }
}

std::u16string SessionCell(const SessionRecord& session, int column, const CellTexts& texts) {
    switch (column) {
    case kSessionUser:
        return session.userName;
    case kSessionComputer:
        return session.computer;
    case kSessionType:
        return session.clientType;
    case kSessionTransport:
        return session.transport;
    case kSessionOpenFiles:
        return Decimal(session.fileOpens);
    case kSessionConnectedTime:
        return DurationText(session.connTime, texts.timeSeparator);
    case kSessionIdleTime:
        return DurationText(session.idleTime, texts.timeSeparator);
    case kSessionGuest:
        return session.guest ? texts.yes : texts.no;
    default:
        return {};
    }
}

std::u16string FileCell(const OpenFileRecord& file, int column, const CellTexts& texts) {
    switch (column) {
    case kFilePath:
        return file.path;
    case kFileAccessedBy:
        return file.accessedBy;
    case kFileLocks:
        return Decimal(file.locks);
    case kFileMode:
        return OpenModeText(file.openMode, texts.modeNames);
    default:
        return {};
    }
}

int CompareShares(const ShareRecord& a, const ShareRecord& b, int column, const CellTexts& texts) {
    switch (column) {
    case kShareConnections:
        return CompareValues<uint64_t>(a.clientConnections, b.clientConnections);
    case kShareType:
        return CompareNoCase(texts.typeTexts[static_cast<int>(TypeTextOf(a))],
                             texts.typeTexts[static_cast<int>(TypeTextOf(b))]);
    default:
        return CompareNoCase(ShareCell(a, column, texts), ShareCell(b, column, texts));
    }
}

int CompareSessions(const SessionRecord& a, const SessionRecord& b, int column, const CellTexts& texts) {
    switch (column) {
    case kSessionUser:
        return CompareNoCase(a.userName, b.userName);
    case kSessionComputer:
        return CompareNoCase(a.computer, b.computer);
    case kSessionOpenFiles:
        return CompareValues<uint64_t>(a.fileOpens, b.fileOpens);
    case kSessionConnectedTime:
        return CompareValues<uint64_t>(a.connTime, b.connTime);
    case kSessionIdleTime:
        return CompareValues<uint64_t>(a.idleTime, b.idleTime);
    default:
        return CompareNoCase(SessionCell(a, column, texts), SessionCell(b, column, texts));
    }
}

int CompareFiles(const OpenFileRecord& a, const OpenFileRecord& b, int column, const CellTexts& texts) {
    switch (column) {
    case kFilePath:
        return CompareNoCase(a.path, b.path);
    case kFileAccessedBy:
        return CompareNoCase(a.accessedBy, b.accessedBy);
    case kFileLocks:
        return CompareValues<uint64_t>(a.locks, b.locks);
    default:
        return CompareNoCase(FileCell(a, column, texts), FileCell(b, column, texts));
    }
}

// ---- commands --------------------------------------------------------------------------

CommandStates AllowedCommands(Tab tab, bool hasSelection, bool working) {
    CommandStates states;
    const bool shares = tab == Tab::Shares;
    states.refresh = !working;
    states.add = shares && !working;
    states.remove = hasSelection && !working;
    states.properties = shares && hasSelection;
    return states;
}

}  // namespace vantrel::shares
