#include "snapins/shares/model/ShareSettings.h"

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/shares/model/Protocol.h"

#include <algorithm>
#include <array>

namespace vantrel::shares {
namespace {

namespace wire = protocol;

// Characters no share name may hold.
constexpr std::u16string_view kForbidden = u"\"/\\[]:|<>+=;,?*";

// The attributes the dialogs write; everything else of an element is kept.
constexpr std::array<std::string_view, 7> kEditedAttributes = {
    wire::kAttrName,   wire::kAttrFolderPath, wire::kAttrDescription, wire::kAttrMaxUsers,
    wire::kAttrAccess, wire::kAttrRoPass,     wire::kAttrRwPass};

bool IsEdited(std::string_view attribute) {
    return std::find(kEditedAttributes.begin(), kEditedAttributes.end(), attribute) != kEditedAttributes.end();
}

void CopyInto(const CXmlElement& from, CXmlElement& to) {
    for (int i = 0; i < from.GetAttributeCount(); ++i) {
        const CXmlAttribute& attribute = *from.GetAttributeAt(i);
        to.AddAttribute(attribute.Name(), attribute.Value());
    }
    for (int i = 0; i < from.GetChildCount(); ++i) {
        const CXmlElement& child = *from.GetChild(i);
        CopyInto(child, *to.AddChild(child.Name(), child.Value()));
    }
}

int32_t AccessCode(Access access) {
    switch (access) {
    case Access::Full:
        return wire::kAccessFull;
    case Access::Custom:
        return wire::kAccessCustom;
    case Access::ByPassword:
        return wire::kAccessByPassword;
    case Access::ReadOnly:
    default:
        return wire::kAccessReadOnly;
    }
}

Access AccessOf(int32_t code) {
    switch (code) {
    case wire::kAccessFull:
        return Access::Full;
    case wire::kAccessCustom:
        return Access::Custom;
    case wire::kAccessByPassword:
        return Access::ByPassword;
    default:
        return Access::ReadOnly;
    }
}

void WriteSettings(CXmlElement& element, const ShareSettings& settings) {
    element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(settings.name));
    element.AddAttribute(wire::kAttrFolderPath, EncodeUtf16Base64(settings.folderPath));
    element.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(settings.description));
    element.AddAttribute(wire::kAttrMaxUsers, settings.maxUsers ? std::to_string(*settings.maxUsers) : "-1");
    element.AddAttribute(wire::kAttrAccess, std::to_string(AccessCode(settings.access)));
    if (settings.access == Access::ByPassword) {
        element.AddAttribute(wire::kAttrRoPass, EncodeUtf16Base64(settings.readPassword));
        element.AddAttribute(wire::kAttrRwPass, EncodeUtf16Base64(settings.writePassword));
    }
    if (settings.access != Access::Custom) return;
    for (const AccountRight& right : settings.accounts) {
        CXmlElement& entry = *element.AddChild(wire::kPermissionElement);
        entry.AddAttribute(wire::kAttrAccount, EncodeUtf16Base64(right.account));
        entry.AddAttribute(wire::kAttrRights, std::to_string(right.full ? wire::kAccessFull : wire::kAccessReadOnly));
    }
}

std::string TextOf(const CXmlElement& element) {
    CXmlOptions options;
    return element.ToText(options);
}

}  // namespace

PermissionPage PermissionPageFor(const SecurityFacts& facts) {
    return facts.isWinNt || facts.isUserLevel ? PermissionPage::Accounts : PermissionPage::Passwords;
}

std::u16string DefaultShareName(std::u16string_view folderPath) {
    while (folderPath.size() > 1 && (folderPath.back() == u'\\' || folderPath.back() == u'/')) folderPath.remove_suffix(1);
    const size_t slash = folderPath.find_last_of(u"\\/");
    std::u16string_view last = slash == std::u16string_view::npos ? folderPath : folderPath.substr(slash + 1);
    // A drive root names the share after its letter.
    if (last.size() == 2 && last[1] == u':') last = last.substr(0, 1);
    std::u16string name;
    for (char16_t c : last) {
        if (name.size() == kMaxShareName) break;
        if (c >= 0x20 && kForbidden.find(c) == std::u16string_view::npos) name += c;
    }
    return name;
}

NameCheck CheckShareName(std::u16string_view name) {
    if (name.empty()) return NameCheck::Empty;
    if (name.size() > kMaxShareName) return NameCheck::Invalid;
    for (char16_t c : name)
        if (c < 0x20 || kForbidden.find(c) != std::u16string_view::npos) return NameCheck::Invalid;
    return NameCheck::Ok;
}

bool IsLocalFolderPath(std::u16string_view path) {
    if (path.size() < 2 || path.size() > kMaxFolderPath) return false;
    const char16_t drive = static_cast<char16_t>(path[0] | 0x20);
    if (drive < u'a' || drive > u'z' || path[1] != u':') return false;
    if (path.size() > 2 && path[2] != u'\\') return false;
    for (char16_t c : path.substr(2))
        if (c < 0x20 || std::u16string_view(u"/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
    // No step up or in place: the share names the folder itself.
    return path.find(u"\\..") == std::u16string_view::npos && path.find(u"\\.\\") == std::u16string_view::npos;
}

ShareSettings ReadShareSettings(std::string_view elementText) {
    ShareSettings settings;
    CXmlElement element;
    if (ParseAnswer(elementText, element) != AnswerText::Parsed) return settings;
    settings.name = ReadText(element, wire::kAttrName);
    settings.folderPath = ReadText(element, wire::kAttrFolderPath);
    settings.description = ReadText(element, wire::kAttrDescription);
    const int64_t maxUsers = ReadInt64(element, wire::kAttrMaxUsers);
    if (maxUsers > 0) settings.maxUsers = static_cast<uint32_t>(std::min<int64_t>(maxUsers, kMaxUserLimit));
    settings.access = AccessOf(ReadInt32(element, wire::kAttrAccess));
    // Passwords are never shown back: the user types them again.
    for (int i = 0; i < element.GetChildCount(); ++i) {
        const CXmlElement& entry = *element.GetChild(i);
        if (entry.Name() != wire::kPermissionElement) continue;
        settings.accounts.push_back(
            {ReadText(entry, wire::kAttrAccount), ReadInt32(entry, wire::kAttrRights) == wire::kAccessFull});
    }
    return settings;
}

std::string NewShareElement(const ShareSettings& settings) {
    CXmlElement element(wire::kShareElement);
    element.AddAttribute(wire::kAttrType, std::to_string(wire::kTypeDisk));
    element.AddAttribute(wire::kAttrClientConnections, "0");
    WriteSettings(element, settings);
    return TextOf(element);
}

std::string ChangedShareElement(std::string_view originalText, const ShareSettings& settings) {
    CXmlElement original;
    if (ParseAnswer(originalText, original) != AnswerText::Parsed) return {};
    CXmlElement changed(original.Name());
    for (int i = 0; i < original.GetAttributeCount(); ++i) {
        const CXmlAttribute& attribute = *original.GetAttributeAt(i);
        if (!IsEdited(attribute.Name())) changed.AddAttribute(attribute.Name(), attribute.Value());
    }
    for (int i = 0; i < original.GetChildCount(); ++i) {
        const CXmlElement& child = *original.GetChild(i);
        if (child.Name() != wire::kPermissionElement) CopyInto(child, *changed.AddChild(child.Name(), child.Value()));
    }
    // The share keeps its name and folder: neither can change on the machine.
    ShareSettings kept = settings;
    kept.name = ReadText(original, wire::kAttrName);
    kept.folderPath = ReadText(original, wire::kAttrFolderPath);
    WriteSettings(changed, kept);
    return TextOf(changed);
}

}  // namespace vantrel::shares
