#pragma once

#include "rules/Rule.h"

#include <memory>
#include <vector>

class QIODevice;

namespace wv {

// The ordered list of rules; it owns them. Also reads and writes the binary
// rules file:
//
//   "Quillmark"            9 bytes, no length prefix
//   version                uint32 LE, 12457
//   count C                int32 LE
//   C records              WhoKind, EventKind, PortKind (1 byte each),
//                          Actions (uint16 LE), Enabled (1 byte),
//                          Number (int32 LE), then the texts Address,
//                          LaunchFile, Port, Message, EmailTo, WavFile,
//                          ReservedText, each an int32 LE length 0..32768
//                          and that many bytes
//   "End"                  3 bytes
class TRuleList
{
public:
    using Storage = std::vector<std::unique_ptr<TRule>>;

    static constexpr quint32 FileVersion = 12457;
    static constexpr qint32 MaxTextLength = 32768;

    TRuleList() = default;
    ~TRuleList();
    TRuleList(const TRuleList &) = delete;
    TRuleList &operator=(const TRuleList &) = delete;

    int Count() const { return static_cast<int>(m_items.size()); }
    // Callers add, remove and reorder rules through the list itself.
    Storage &Items() { return m_items; }
    const Storage &Items() const { return m_items; }

    // The N-th rule, from 0; ERuleError for a number outside the list.
    TRule *Rule(int n) const;
    // Appends a rule (a new one with the defaults when none is given).
    TRule *Add(std::unique_ptr<TRule> rule = std::make_unique<TRule>());

    // Destroys every rule. An empty entry does not stop the others from being
    // destroyed, but is reported afterwards as an internal error.
    void Clear();

    // Writes the whole list; ERuleError "String too long" for a text over the
    // limit, "Error saving to stream" for anything else. Nothing is written
    // to the stream unless the whole list could be encoded.
    bool SaveToStream(QIODevice *stream) const;
    // Replaces the list by the rules in the stream. On failure the rules read
    // before it stay in the list.
    bool LoadFromStream(QIODevice *stream);

private:
    Storage m_items;
};

} // namespace wv
