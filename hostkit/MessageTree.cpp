#include "hostkit/MessageTree.h"

#include "hostkit/Quoting.h"

#include <cstdio>
#include <utility>

namespace vantrel::host {


MessageNode::MessageNode(std::string name) : name_(std::move(name)) {}

IMessageNode* VANTREL_CALL MessageNode::Child(const char* name)
{
    return &ChildNode(name ? std::string_view(name) : std::string_view());
}

void VANTREL_CALL MessageNode::SetString(const char* text)
{
    if (text)
        SetText(text);
    else
        ClearValue();
}

void VANTREL_CALL MessageNode::SetBool(int32_t value)
{
    text_.clear();
    kind_ = Kind::Bool;
    number_ = value != 0 ? 1 : 0;
}

void VANTREL_CALL MessageNode::SetShort(int16_t value)
{
    text_.clear();
    kind_ = Kind::Short;
    number_ = value;
}

void VANTREL_CALL MessageNode::SetLong(int32_t value)
{
    text_.clear();
    kind_ = Kind::Long;
    number_ = value;
}

const char* VANTREL_CALL MessageNode::GetString()
{
    return kind_ == Kind::String ? text_.c_str() : nullptr;
}

MessageNode& MessageNode::ChildNode(std::string_view name)
{
    if (MessageNode* existing = Find(name))
        return *existing;
    children_.push_back(std::make_unique<MessageNode>(std::string(name)));
    return *children_.back();
}

const MessageNode* MessageNode::Find(std::string_view name) const
{
    for (const auto& child : children_) {
        if (child->name_ == name)
            return child.get();
    }
    return nullptr;
}

MessageNode* MessageNode::Find(std::string_view name)
{
    return const_cast<MessageNode*>(std::as_const(*this).Find(name));
}

void MessageNode::SetText(std::string_view text)
{
    kind_ = Kind::String;
    text_.assign(text);
    number_ = 0;
}

void MessageNode::ClearValue()
{
    kind_ = Kind::None;
    text_.clear();
    number_ = 0;
}

int32_t MessageNode::AsLong() const
{
    switch (kind_) {
    case Kind::Bool:
    case Kind::Short:
    case Kind::Long:
        return number_;
    case Kind::None:
    case Kind::String:
        break;
    }
    return 0;
}

int16_t MessageNode::AsShort() const
{
    return static_cast<int16_t>(static_cast<uint32_t>(AsLong()) & 0xFFFFu);
}

bool MessageNode::AsBool() const
{
    return AsLong() != 0;
}

std::unique_ptr<MessageNode> MessageNode::Clone() const
{
    auto copy = std::make_unique<MessageNode>(name_);
    copy->kind_ = kind_;
    copy->text_ = text_;
    copy->number_ = number_;
    copy->children_.reserve(children_.size());
    for (const auto& child : children_)
        copy->children_.push_back(child->Clone());
    return copy;
}

void MessageNode::DumpTo(std::string& out, size_t maxText) const
{
    out += name_;
    switch (kind_) {
    case Kind::None:
        break;
    case Kind::String:
        out += '=';
        AppendQuoted(out, text_, maxText);
        break;
    case Kind::Bool:
        out += "=bool:" + std::to_string(number_);
        break;
    case Kind::Short:
        out += "=short:" + std::to_string(number_);
        break;
    case Kind::Long:
        out += "=long:" + std::to_string(number_);
        break;
    }
    if (children_.empty())
        return;
    out += '{';
    for (size_t i = 0; i < children_.size(); ++i) {
        if (i > 0)
            out += ' ';
        children_[i]->DumpTo(out, maxText);
    }
    out += '}';
}

std::string MessageNode::Dump(size_t maxText) const
{
    std::string out;
    DumpTo(out, maxText);
    return out;
}

Message::Message(uint32_t command, uint32_t snapInId, int32_t replyFlag)
    : command_(command), snapInId_(snapInId), replyFlag_(replyFlag)
{
}

void VANTREL_CALL Message::Release()
{
    if (releaseHandler_) {
        // The handler may delete this message: work on a copy of it.
        ReleaseHandler handler = releaseHandler_;
        handler(this);
        return;
    }
    delete this;
}

std::unique_ptr<Message> Message::Clone() const
{
    auto copy = std::make_unique<Message>(command_, snapInId_, replyFlag_);
    copy->root_.kind_ = root_.kind_;
    copy->root_.text_ = root_.text_;
    copy->root_.number_ = root_.number_;
    for (size_t i = 0; i < root_.ChildCount(); ++i)
        copy->root_.children_.push_back(root_.ChildAt(i).Clone());
    return copy;
}

std::string Message::Dump(size_t maxText) const
{
    std::string out = "cmd=" + std::to_string(command_) + " snapin=" + std::to_string(snapInId_) +
                      " reply=" + std::to_string(replyFlag_) + " ";
    // The root has no name; its children are the message's fields.
    root_.DumpTo(out, maxText);
    if (root_.ChildCount() == 0)
        out += "{}";
    return out;
}

}  // namespace vantrel::host
