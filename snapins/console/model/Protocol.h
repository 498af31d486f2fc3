// Command Console on the wire: command codes, node names and the key-event XML,
// spelled as they travel ("Offest" included). Shared by the snap-in, the
// simulated machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::console::protocol {

constexpr int32_t kSnapInId = 15008;

constexpr uint32_t kSupportedCommand = 0;  // the "Supported" query, with "Impersonate" in its answer
constexpr uint32_t kStartCommand = 801;    // start or restart the console
constexpr uint32_t kStopCommand = 802;     // stop it (never sent by the snap-in)
constexpr uint32_t kKeyCommand = 803;      // one key event
constexpr uint32_t kScreenCommand = 804;   // read the screen buffer and cursor
constexpr uint32_t kChildCommand = 805;    // is the child process still running

// Command Console reads "RetValue" as a 32-bit number; 0 is success.
constexpr int32_t kSuccess = 0;

// "Supported" answer.
constexpr char kImpersonateNode[] = "Impersonate";  // bool: ask for the startup information

// 801 request: flags with SetBool, texts as Base64 UTF-16.
constexpr char kUseHostNode[] = "UseHost";
constexpr char kDomainNode[] = "Domain";
constexpr char kLoginNode[] = "Login";
constexpr char kPasswordNode[] = "Password";
constexpr char kLoadProfileNode[] = "LoadProf";

// 803 request: the XML text below.
constexpr char kKeyEventsNode[] = "KeyEvents";

// 804 answer.
constexpr char kScreenWidthNode[] = "ScrWidth";
constexpr char kScreenHeightNode[] = "ScrHeight";
constexpr char kScreenBufferNode[] = "ScrBuf";  // Base64 of the piece's bytes
constexpr char kOffsetNode[] = "Offest";        // byte offset of the piece, spelled so
constexpr char kCursorXNode[] = "CursorX";
constexpr char kCursorYNode[] = "CursorY";
constexpr char kCursorSizeNode[] = "CursorSize";  // percent of the cell height
constexpr char kCursorVisibleNode[] = "CursorVisible";
constexpr char kSizeRestrictedNode[] = "SizeRestricted";

// 805 answer.
constexpr char kChildRunningNode[] = "ChildRunning";
constexpr char kChildExitCodeNode[] = "ChildExitCode";

// The key-event XML: <KeyEvents><KeyEvent Msg='' WPARAM='' LPARAM='' /></KeyEvents>.
constexpr char kKeyEventsElement[] = "KeyEvents";
constexpr char kKeyEventElement[] = "KeyEvent";
constexpr char kAttrMessage[] = "Msg";
constexpr char kAttrWParam[] = "WPARAM";
constexpr char kAttrLParam[] = "LPARAM";

// Window messages a key event carries.
constexpr uint32_t kKeyDown = 256;
constexpr uint32_t kKeyUp = 257;
constexpr uint32_t kSystemKeyDown = 260;
constexpr uint32_t kSystemKeyUp = 261;

// A cell of the screen buffer: a 16-bit character (its low byte is drawn in
// the OEM code page) and a 16-bit attribute (bits 0-3 text colour, 4-7
// background), little-endian.
constexpr uint32_t kCellBytes = 4;

}  // namespace vantrel::console::protocol
