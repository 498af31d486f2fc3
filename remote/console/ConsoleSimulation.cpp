// Command Console (15008): 801 start or restart the console, 802 stop it, 803
// one key event, 804 the screen in pieces, 805 whether the child still runs;
// "Impersonate" in the "Supported" answer.
//
// The screen travels in pieces of a few kilobytes (at most eight per screen,
// so that the largest buffer still arrives in a handful of answers). A new
// screen starts at the piece where it first differs from the last one sent,
// or with the last piece alone when nothing changed, so that an idle console
// costs one small answer per read; every screen ends at the buffer's end,
// where the snap-in draws it.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"
#include "remote/console/ConsoleInterpreter.h"
#include "snapins/console/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = console::protocol;

// Any non-zero RetValue is a failure to this snap-in.
constexpr int32_t kConsoleFailure = 1;
constexpr int32_t kLogonFailure = 1326;
constexpr int32_t kInvalidParameter = 87;
constexpr int kLargestWidth = 120;
constexpr int kLargestHeight = 9001;
constexpr int kDefaultWidth = 80;
constexpr int kDefaultHeight = 300;
constexpr size_t kPieceBytes = 3200;  // 10 rows of 80 columns
constexpr size_t kMaxPieces = 8;

struct Account {
    const char16_t* login;
    const char16_t* password;
};

// The accounts an impersonated console may start as (any domain).
constexpr Account kAccounts[] = {{u"Administrator", u"Secret-1"}, {u"operator", u"K\u00f6nig-2"}};

std::u16string TextField(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return DecodeUtf16Base64(node ? node->Text() : std::string());
}

bool FlagField(const host::Message& request, const char* name)
{
    const host::MessageNode* node = request.Root().Find(name);
    return node && node->AsBool();
}

bool SameLogin(std::u16string_view a, std::u16string_view b)
{
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

std::string AsciiName(std::u16string_view name)
{
    std::string ascii;
    for (char16_t c : name)
        ascii.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return ascii;
}

class ConsoleSimulation final : public SimulatedSnapIn {
public:
    explicit ConsoleSimulation(const MachineConfig& config)
        : restricted_(config.ConsoleWidth() > kLargestWidth || config.ConsoleHeight() > kLargestHeight),
          console_(restricted_ ? kDefaultWidth : config.ConsoleWidth(),
                   restricted_ ? kDefaultHeight : config.ConsoleHeight()),
          pieceBytes_(PieceBytesFor(config))
    {
        // The machine keeps a console ready for the tool, as it does after a start.
        console_.Start({}, true);
    }

    void Register(CommandRegistry& registry) override
    {
        registry.Add(wire::kSnapInId, wire::kSupportedCommand, kConsoleFailure, [](CommandContext& context) {
            context.answer.Root().ChildNode(wire::kImpersonateNode).SetBool(context.config.console.impersonate ? 1 : 0);
        });
        registry.Add(wire::kSnapInId, wire::kStartCommand, kConsoleFailure, [this](CommandContext& c) { Start(c); });
        registry.Add(wire::kSnapInId, wire::kStopCommand, kConsoleFailure, [this](CommandContext& c) { Stop(c); });
        registry.Add(wire::kSnapInId, wire::kKeyCommand, kConsoleFailure, [this](CommandContext& c) { Key(c); });
        registry.Add(wire::kSnapInId, wire::kScreenCommand, kConsoleFailure, [this](CommandContext& c) { Screen(c); });
        registry.Add(wire::kSnapInId, wire::kChildCommand, kConsoleFailure, [this](CommandContext& c) { Child(c); });
        registry.MarkPolled(wire::kSnapInId, wire::kScreenCommand);
        registry.MarkPolled(wire::kSnapInId, wire::kChildCommand);
    }

private:
    static size_t PieceBytesFor(const MachineConfig& config)
    {
        if (config.console.pieceBytes)
            return static_cast<size_t>(std::clamp(*config.console.pieceBytes, 4, 1 << 26));
        const bool restricted = config.ConsoleWidth() > kLargestWidth || config.ConsoleHeight() > kLargestHeight;
        const size_t full = restricted ? size_t{kDefaultWidth} * kDefaultHeight * 4
                                       : size_t(config.ConsoleWidth()) * size_t(config.ConsoleHeight()) * 4;
        const size_t shared = (full + kMaxPieces - 1) / kMaxPieces;
        return std::max(kPieceBytes, (shared + 3) / 4 * 4);
    }

    static void Succeed(CommandContext& context)
    {
        context.answer.Root().ChildNode(kRetValueNode).SetLong(wire::kSuccess);
    }

    void Start(CommandContext& context)
    {
        const bool useHost = FlagField(context.request, wire::kUseHostNode);
        std::u16string login;
        if (!useHost) {
            login = TextField(context.request, wire::kLoginNode);
            const std::u16string password = TextField(context.request, wire::kPasswordNode);
            const bool known = std::any_of(std::begin(kAccounts), std::end(kAccounts), [&](const Account& account) {
                return SameLogin(login, account.login) && password == account.password;
            });
            if (!known) {
                SetFailure(context.answer, kLogonFailure, u"The user name or password is incorrect.");
                return;
            }
        }
        console_.Start(AsciiName(login), FlagField(context.request, wire::kLoadProfileNode));
        // The snap-in's buffer holds whatever it had: the next screen goes whole.
        ForgetSentScreen();
        Succeed(context);
    }

    void Stop(CommandContext& context)
    {
        console_.Stop(0);
        Succeed(context);
    }

    void Key(CommandContext& context)
    {
        CXmlElement events;
        const CXmlElement* event = ParseRequestXml(context.request, wire::kKeyEventsNode, &events)
                                       ? events.GetChild(0)
                                       : nullptr;
        if (events.Name() != wire::kKeyEventsElement || !event || event->Name() != wire::kKeyEventElement) {
            SetFailure(context.answer, kInvalidParameter, u"The parameter is incorrect.");
            return;
        }
        console_.Key(ReadUInt32(*event, wire::kAttrMessage), ReadUInt32(*event, wire::kAttrWParam));
        Succeed(context);
    }

    void Child(CommandContext& context)
    {
        Succeed(context);
        context.answer.Root().ChildNode(wire::kChildRunningNode).SetBool(console_.Running() ? 1 : 0);
        int32_t code = console_.ExitCode();
        if (context.fault == FaultKind::HostileNumbers)
            code = -1;
        context.answer.Root().ChildNode(wire::kChildExitCodeNode).SetLong(code);
    }

    // ---- the screen ----------------------------------------------------------------

    void ForgetSentScreen()
    {
        sent_.clear();
        sending_.reset();
    }

    // Where the next screen starts: at the first piece that changed.
    size_t FirstChangedPiece() const
    {
        const size_t size = snapshot_.size();
        if (sent_.size() != size)
            return 0;
        const auto difference = std::mismatch(sent_.begin(), sent_.end(), snapshot_.begin());
        const size_t at = difference.first == sent_.end() ? size - 1 : size_t(difference.first - sent_.begin());
        return at / pieceBytes_ * pieceBytes_;
    }

    void Screen(CommandContext& context)
    {
        if (!sending_ || context.fault == FaultKind::StuckPage) {
            snapshot_ = console_.Bytes();
            sending_ = context.fault == FaultKind::StuckPage ? 0 : FirstChangedPiece();
        }
        const size_t offset = *sending_;
        const size_t count = std::min(pieceBytes_, snapshot_.size() - offset);
        std::string piece = Base64Encode(snapshot_.data() + offset, count);
        sending_ = offset + count;
        if (*sending_ == snapshot_.size()) {
            sent_ = snapshot_;
            sending_.reset();
        }

        host::MessageNode& root = context.answer.Root();
        Succeed(context);
        root.ChildNode(wire::kScreenWidthNode).SetLong(console_.Width());
        root.ChildNode(wire::kScreenHeightNode).SetLong(console_.Height());
        root.ChildNode(wire::kOffsetNode).SetLong(static_cast<int32_t>(offset));
        root.ChildNode(wire::kCursorXNode).SetLong(console_.CursorX());
        root.ChildNode(wire::kCursorYNode).SetLong(console_.CursorY());
        root.ChildNode(wire::kCursorSizeNode).SetLong(console_.CursorSize());
        root.ChildNode(wire::kCursorVisibleNode).SetBool(console_.CursorVisible() ? 1 : 0);
        root.ChildNode(wire::kSizeRestrictedNode).SetBool(restricted_ ? 1 : 0);
        if (context.fault)
            Spoil(*context.fault, root, piece);
        root.ChildNode(wire::kScreenBufferNode).SetText(piece);
    }

    // The fault modes of a screen read. Whatever was spoiled, the next screen
    // goes whole again.
    void Spoil(FaultKind fault, host::MessageNode& root, std::string& piece)
    {
        ForgetSentScreen();
        switch (fault) {
        case FaultKind::Garbage:  // cut inside a group, with bytes outside the alphabet
            piece = piece.substr(0, piece.size() / 2 + 1) + "\x01<&>\xFF";
            break;
        case FaultKind::HugeTotal:  // 65536 x 16384 x 4 is 2^32: zero in 32 bits
            root.ChildNode(wire::kScreenWidthNode).SetLong(65536);
            root.ChildNode(wire::kScreenHeightNode).SetLong(16384);
            break;
        case FaultKind::HostileNumbers:
            root.ChildNode(wire::kOffsetNode).SetLong(hostile_++ % 2 ? -4 : console_.Width() * console_.Height() * 4);
            root.ChildNode(wire::kCursorXNode).SetLong(-7);
            root.ChildNode(wire::kCursorYNode).SetLong(99999);
            root.ChildNode(wire::kCursorSizeNode).SetLong(1000);
            break;
        default:
            break;
        }
    }

    bool restricted_;
    ConsoleInterpreter console_;
    size_t pieceBytes_;
    std::vector<uint8_t> snapshot_;  // the screen being sent
    std::vector<uint8_t> sent_;      // the last screen sent whole, as the snap-in holds it
    std::optional<size_t> sending_;  // the next piece's offset, while a screen is on its way
    int hostile_ = 0;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeConsoleSimulation(const MachineConfig& config)
{
    return std::make_unique<ConsoleSimulation>(config);
}

}  // namespace vantrel::remote
