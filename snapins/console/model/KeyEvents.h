// Key strokes for the remote console: which key messages addressed to the
// terminal go to the other side, and how one travels (request 803, the
// "KeyEvents" XML with exactly one "KeyEvent").
#pragma once

#include <cstdint>
#include <string>

namespace vantrel::console {

constexpr uint16_t kVirtualKeyControl = 0x11;
constexpr uint16_t kVirtualKeyF2 = 0x71;

// The keyboard state a key event reports, as the console's control-key bits.
struct KeyModifiers {
    bool rightAlt = false;    // 0x01
    bool leftAlt = false;     // 0x02
    bool rightCtrl = false;   // 0x04
    bool leftCtrl = false;    // 0x08
    bool shift = false;       // 0x10
    bool numLock = false;     // 0x20, toggled on
    bool scrollLock = false;  // 0x40, toggled on
    bool capsLock = false;    // 0x80, toggled on
};

uint8_t ModifierBits(const KeyModifiers& modifiers);

struct KeyEvent {
    uint32_t message = 0;  // 256 key down, 257 key up, 260 / 261 the system forms
    uint16_t virtualKey = 0;
    uint8_t modifiers = 0;  // ModifierBits
    uint8_t character = 0;  // the ANSI character the key produces; 0 for none
    uint32_t lParam = 0;    // the message's own, unchanged
};

// Bits 0-15 the virtual key, 16-23 the modifiers, 24-31 the character.
uint32_t KeyEventWParam(const KeyEvent& event);
// <KeyEvents><KeyEvent Msg='256' WPARAM='...' LPARAM='...' /></KeyEvents>
std::string KeyEventsXml(const KeyEvent& event);

// What Ctrl+F2 sends instead of itself: Ctrl let go, so that the other side
// does not keep it pressed once the keyboard is released. The control-key
// bits are those left after Ctrl is up.
KeyEvent ControlReleaseEvent(uint8_t modifiers);

enum class KeyAction {
    PassOn,         // not ours: the console handles it as usual
    Forward,        // sent to the other side and not processed further
    Swallow,        // dropped: the key-down of Ctrl+F2
    ToggleCapture,  // the key-up of Ctrl+F2: release Ctrl remotely, toggle the capture
};

// Whether a message is one of the four key messages.
bool IsKeyMessage(uint32_t message);

// The fate of a key message addressed to the terminal.
KeyAction ClassifyKey(uint32_t message, uint16_t virtualKey, bool controlDown, bool captureOn, bool terminalEnabled);

}  // namespace vantrel::console
