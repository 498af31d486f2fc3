// The console's message objects: a request or answer is a command code, a
// snap-in number, a reply flag and a tree of named, typed values.
//
// The binary side (IMessageNode, IHostMessage) is what the module calls; the
// C++ side below is for the console, the simulated machine and the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostObjects.h"

namespace vantrel::host {

class MessageNode final : public IMessageNode {
public:
    enum class Kind { None, String, Bool, Short, Long };

    explicit MessageNode(std::string name = {});
    ~MessageNode() = default;
    MessageNode(const MessageNode&) = delete;
    MessageNode& operator=(const MessageNode&) = delete;

    // IMessageNode. A null name is taken as the empty name; SetString(null)
    // removes the value.
    IMessageNode* VANTREL_CALL Child(const char* name) override;
    void VANTREL_CALL SetString(const char* text) override;
    void VANTREL_CALL SetBool(int32_t value) override;
    void VANTREL_CALL SetShort(int16_t value) override;
    void VANTREL_CALL SetLong(int32_t value) override;
    int32_t VANTREL_CALL GetLong() override { return AsLong(); }
    int16_t VANTREL_CALL GetShort() override { return AsShort(); }
    int32_t VANTREL_CALL GetBool() override { return AsBool() ? 1 : 0; }
    const char* VANTREL_CALL GetString() override;

    const std::string& Name() const { return name_; }
    Kind ValueKind() const { return kind_; }

    // The first child of that name, created at the end when there is none.
    MessageNode& ChildNode(std::string_view name);
    // The first child of that name, or null; never creates.
    const MessageNode* Find(std::string_view name) const;
    MessageNode* Find(std::string_view name);
    size_t ChildCount() const { return children_.size(); }
    const MessageNode& ChildAt(size_t position) const { return *children_.at(position); }

    void SetText(std::string_view text);
    void ClearValue();

    // Numbers convert between the numeric kinds as C casts do (a long read as
    // a short keeps its low 16 bits; a bool reads as 0 or 1); a text or no
    // value reads as 0.
    int32_t AsLong() const;
    int16_t AsShort() const;
    bool AsBool() const;
    bool HasText() const { return kind_ == Kind::String; }
    // Empty when the node holds no text.
    const std::string& Text() const { return text_; }

    std::unique_ptr<MessageNode> Clone() const;

    // One line: name=value{children}; texts quoted and escaped, and cut after
    // maxText characters.
    std::string Dump(size_t maxText = 256) const;
    void DumpTo(std::string& out, size_t maxText) const;

private:
    friend class Message;

    std::string name_;
    Kind kind_ = Kind::None;
    std::string text_;
    int32_t number_ = 0;
    std::vector<std::unique_ptr<MessageNode>> children_;
};

class Message final : public IHostMessage {
public:
    // Called by Release instead of deleting; it then decides the message's fate.
    using ReleaseHandler = std::function<void(Message*)>;

    Message() = default;
    Message(uint32_t command, uint32_t snapInId, int32_t replyFlag = 1);
    ~Message() = default;
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    uint32_t VANTREL_CALL GetCommand() override { return command_; }
    void VANTREL_CALL SetCommand(uint32_t command) override { command_ = command; }
    void VANTREL_CALL SetSnapInId(uint32_t snapInId) override { snapInId_ = snapInId; }
    void VANTREL_CALL SetReplyFlag(int32_t reply) override { replyFlag_ = reply; }
    IMessageNode* VANTREL_CALL GetRoot() override { return &root_; }
    // Calls the release handler if there is one, else deletes the message
    // (which must then have been made with new).
    void VANTREL_CALL Release() override;

    uint32_t Command() const { return command_; }
    uint32_t SnapInId() const { return snapInId_; }
    int32_t ReplyFlag() const { return replyFlag_; }
    MessageNode& Root() { return root_; }
    const MessageNode& Root() const { return root_; }

    void SetReleaseHandler(ReleaseHandler handler) { releaseHandler_ = std::move(handler); }
    bool HasReleaseHandler() const { return static_cast<bool>(releaseHandler_); }

    // A deep copy of command, snap-in, reply flag and values; without the
    // release handler.
    std::unique_ptr<Message> Clone() const;

    // e.g. cmd=201 snapin=15001 reply=1 {DiskDrives="<Drives StartAt='-1' />"}
    std::string Dump(size_t maxText = 256) const;

private:
    uint32_t command_ = 0;
    uint32_t snapInId_ = 0;
    int32_t replyFlag_ = 0;
    MessageNode root_;
    ReleaseHandler releaseHandler_;
};

}  // namespace vantrel::host
