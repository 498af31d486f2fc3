// Message and settings objects that a console hands to the snap-in module.
//
// These are binary interfaces: both sides call them by position in the table,
// so the order of the operations below must never change. They hold no
// standard-library types, throw nothing, and have no virtual destructor (the
// owner releases an object through the operation meant for it).
//
// This header is free of <windows.h> so that message handling can be built and
// tested on any platform.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VANTREL_CALL __stdcall
#else
#define VANTREL_CALL
#endif

// One named value in a message. Names and texts are 8-bit; a text that may hold
// any character travels as Base64 of its UTF-16LE bytes.
struct IMessageNode {
    // The child of that name: created on a request, looked up on an answer.
    // Never null; a child that an answer lacks reads as 0 or an empty text.
    virtual IMessageNode* VANTREL_CALL Child(const char* name) = 0;
    virtual void VANTREL_CALL SetString(const char* text) = 0;
    virtual void VANTREL_CALL SetBool(int32_t value) = 0;
    virtual void VANTREL_CALL SetShort(int16_t value) = 0;
    virtual void VANTREL_CALL SetLong(int32_t value) = 0;
    virtual int32_t VANTREL_CALL GetLong() = 0;
    virtual int16_t VANTREL_CALL GetShort() = 0;
    virtual int32_t VANTREL_CALL GetBool() = 0;
    // May be null; callers treat null as an empty text.
    virtual const char* VANTREL_CALL GetString() = 0;

protected:
    ~IMessageNode() = default;
};

// A request (built by a snap-in, then owned by the host once sent) or an answer
// (owned by the snap-in that receives it, which releases it exactly once).
struct IHostMessage {
    virtual uint32_t VANTREL_CALL GetCommand() = 0;
    virtual void VANTREL_CALL SetCommand(uint32_t command) = 0;
    virtual void VANTREL_CALL SetSnapInId(uint32_t snapInId) = 0;
    virtual void VANTREL_CALL SetReplyFlag(int32_t reply) = 0;
    virtual IMessageNode* VANTREL_CALL GetRoot() = 0;
    virtual void VANTREL_CALL Release() = 0;

protected:
    ~IHostMessage() = default;
};

struct ISettingsList;

// One entry of the settings store: an index, a value and a list of sub-entries.
struct ISettingsNode {
    virtual int32_t VANTREL_CALL GetIndex() = 0;
    virtual int32_t VANTREL_CALL GetValue() = 0;
    virtual ISettingsList* VANTREL_CALL Items() = 0;

protected:
    ~ISettingsNode() = default;
};

// The sub-entries of a settings entry. Names are wide (UTF-16 on Windows).
// Every node returned stays owned by the store.
struct ISettingsList {
    virtual int32_t VANTREL_CALL Count() = 0;
    virtual ISettingsNode* VANTREL_CALL Find(const wchar_t* name) = 0;
    virtual ISettingsNode* VANTREL_CALL At(int32_t position) = 0;
    // 0 when no entry of that name exists.
    virtual int32_t VANTREL_CALL GetNamedValue(const wchar_t* name) = 0;
    // Adds a named entry; an entry of the same name is replaced (it and its
    // sub-entries are dropped).
    virtual ISettingsNode* VANTREL_CALL AddChild(const wchar_t* name, int32_t value) = 0;
    // Appends an unnamed entry with this index and value.
    virtual ISettingsNode* VANTREL_CALL AddAt(int32_t index, int32_t value) = 0;
    // Sets the value of the named entry, creating it if needed; keeps its sub-entries.
    virtual ISettingsNode* VANTREL_CALL SetNamedValue(const wchar_t* name, int32_t value) = 0;
    virtual void VANTREL_CALL RemoveNamed(const wchar_t* name) = 0;
    // Later entries move up by one.
    virtual void VANTREL_CALL RemoveAt(int32_t position) = 0;

protected:
    ~ISettingsList() = default;
};
