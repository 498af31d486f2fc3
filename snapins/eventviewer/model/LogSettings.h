// The General page of a log's properties: the size as it is shown, the
// maximum size in KB and the retention as the three choices with their days.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::eventviewer {

// "64 KB (65536 bytes)" with the words of the user's language.
std::u16string SizeText(uint64_t bytes, std::u16string_view kb, std::u16string_view bytesWord);

// The spin of the maximum size counts KB from 1 to 4194240.
constexpr uint32_t kMinSizeKb = 1;
constexpr uint32_t kMaxSizeKb = 4194240;
uint32_t MaxSizeKb(uint64_t maxSizeBytes);
constexpr uint32_t MaxSizeBytes(uint32_t kb) { return kb * 1024u; }

enum class Retention { OverwriteAsNeeded, OlderThan, Never };
constexpr uint32_t kNeverOverwrite = 0xFFFFFFFFu;
constexpr uint32_t kSecondsPerDay = 86400;
constexpr uint32_t kMinDays = 1;
constexpr uint32_t kMaxDays = 365;

struct RetentionChoice {
    Retention kind = Retention::OverwriteAsNeeded;
    uint32_t days = 7;  // shown for OlderThan; kept for the others
};
RetentionChoice RetentionChoiceOf(uint32_t seconds);
uint32_t RetentionSeconds(const RetentionChoice& choice);

}  // namespace vantrel::eventviewer
