#include "snapins/console/model/KeyEvents.h"

#include "framework/xml/Xml.h"
#include "snapins/console/model/Protocol.h"

namespace vantrel::console {
namespace {

constexpr uint8_t kControlBits = 0x04 | 0x08;

}  // namespace

uint8_t ModifierBits(const KeyModifiers& modifiers) {
    return static_cast<uint8_t>((modifiers.rightAlt ? 0x01 : 0) | (modifiers.leftAlt ? 0x02 : 0) |
                                (modifiers.rightCtrl ? 0x04 : 0) | (modifiers.leftCtrl ? 0x08 : 0) |
                                (modifiers.shift ? 0x10 : 0) | (modifiers.numLock ? 0x20 : 0) |
                                (modifiers.scrollLock ? 0x40 : 0) | (modifiers.capsLock ? 0x80 : 0));
}

uint32_t KeyEventWParam(const KeyEvent& event) {
    return uint32_t{event.virtualKey} | uint32_t{event.modifiers} << 16 | uint32_t{event.character} << 24;
}

std::string KeyEventsXml(const KeyEvent& event) {
    CXmlElement root(protocol::kKeyEventsElement);
    CXmlElement* key = root.AddChild(protocol::kKeyEventElement);
    key->AddAttribute(protocol::kAttrMessage, std::to_string(event.message));
    key->AddAttribute(protocol::kAttrWParam, std::to_string(KeyEventWParam(event)));
    key->AddAttribute(protocol::kAttrLParam, std::to_string(event.lParam));
    CXmlOptions options;  // not the shared instance: nothing of another writer's state
    return root.ToText(options);
}

KeyEvent ControlReleaseEvent(uint8_t modifiers) {
    KeyEvent event;
    event.message = protocol::kKeyUp;
    event.virtualKey = kVirtualKeyControl;
    event.modifiers = static_cast<uint8_t>(modifiers & ~kControlBits);
    event.lParam = 0x001D0001;  // repeat 1, the scan code of Ctrl
    return event;
}

bool IsKeyMessage(uint32_t message) {
    return message == protocol::kKeyDown || message == protocol::kKeyUp || message == protocol::kSystemKeyDown ||
           message == protocol::kSystemKeyUp;
}

KeyAction ClassifyKey(uint32_t message, uint16_t virtualKey, bool controlDown, bool captureOn, bool terminalEnabled) {
    if (!IsKeyMessage(message)) return KeyAction::PassOn;
    if (virtualKey == kVirtualKeyF2 && controlDown) {
        // Both halves of Ctrl+F2 are ours; the other side never sees F2.
        if (message == protocol::kKeyDown) return KeyAction::Swallow;
        if (message == protocol::kKeyUp) return KeyAction::ToggleCapture;
    }
    return captureOn && terminalEnabled ? KeyAction::Forward : KeyAction::PassOn;
}

}  // namespace vantrel::console
