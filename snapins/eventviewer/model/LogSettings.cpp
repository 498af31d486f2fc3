#include "snapins/eventviewer/model/LogSettings.h"

#include <algorithm>

namespace vantrel::eventviewer {
namespace {

std::u16string Decimal(uint64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string SizeText(uint64_t bytes, std::u16string_view kb, std::u16string_view bytesWord) {
    std::u16string text = Decimal(bytes >> 10);
    text += u' ';
    text += kb;
    text += u" (";
    text += Decimal(bytes);
    text += u' ';
    text += bytesWord;
    text += u')';
    return text;
}

uint32_t MaxSizeKb(uint64_t maxSizeBytes) {
    return static_cast<uint32_t>(std::clamp<uint64_t>(maxSizeBytes >> 10, kMinSizeKb, kMaxSizeKb));
}

RetentionChoice RetentionChoiceOf(uint32_t seconds) {
    if (seconds == 0) return {Retention::OverwriteAsNeeded, 7};
    if (seconds == kNeverOverwrite) return {Retention::Never, 7};
    return {Retention::OlderThan, std::clamp(seconds / kSecondsPerDay, kMinDays, kMaxDays)};
}

uint32_t RetentionSeconds(const RetentionChoice& choice) {
    switch (choice.kind) {
    case Retention::OverwriteAsNeeded:
        return 0;
    case Retention::Never:
        return kNeverOverwrite;
    case Retention::OlderThan:
        break;
    }
    return std::clamp(choice.days, kMinDays, kMaxDays) * kSecondsPerDay;
}

}  // namespace vantrel::eventviewer
