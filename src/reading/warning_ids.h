// The short, stable names of the warnings the readers give.  Authors look
// them up with `scenario-tool explain`, and scripts match on them, so a name
// never changes once given out.
#ifndef SCENARIO_READING_WARNING_IDS_H_
#define SCENARIO_READING_WARNING_IDS_H_

#include <array>
#include <string_view>

namespace scenario::warning_id {

inline constexpr std::string_view kUnknownEntry = "unknown-entry";
inline constexpr std::string_view kMisspeltSection = "misspelt-section";
inline constexpr std::string_view kExtraValues = "extra-values";
inline constexpr std::string_view kValuesFromNextLine = "values-from-next-line";
inline constexpr std::string_view kOverridden = "overridden";
inline constexpr std::string_view kValueWrapped = "value-wrapped";
inline constexpr std::string_view kValueRounded = "value-rounded";
inline constexpr std::string_view kPositionSnapped = "position-snapped";
inline constexpr std::string_view kBeyondLineEnd = "beyond-line-end";
inline constexpr std::string_view kOutOfOrder = "out-of-order";
inline constexpr std::string_view kCurveShortened = "curve-shortened";
inline constexpr std::string_view kCurveIgnored = "curve-ignored";
inline constexpr std::string_view kTunnelJoined = "tunnel-joined";
inline constexpr std::string_view kTunnelReversed = "tunnel-reversed";
inline constexpr std::string_view kMarkOverwritten = "mark-overwritten";
inline constexpr std::string_view kLeadInIgnored = "lead-in-ignored";
inline constexpr std::string_view kSlowdownInOneSegment = "slowdown-in-one-segment";
inline constexpr std::string_view kEncoding = "encoding";
inline constexpr std::string_view kNoGeneralSection = "no-general-section";
inline constexpr std::string_view kTempoRaised = "tempo-raised";
inline constexpr std::string_view kDigitCarried = "digit-carried";
inline constexpr std::string_view kStationTypeUnknown = "station-type-unknown";
inline constexpr std::string_view kTunnelTypeUnknown = "tunnel-type-unknown";
inline constexpr std::string_view kStationOptionCleared = "station-option-cleared";
inline constexpr std::string_view kTimesBackwards = "times-backwards";
inline constexpr std::string_view kStopWithoutTime = "stop-without-time";
inline constexpr std::string_view kTimeWithoutStop = "time-without-stop";
inline constexpr std::string_view kSpeedLimitImplausible = "speed-limit-implausible";
inline constexpr std::string_view kSlowdownAboveLimit = "slowdown-above-limit";
inline constexpr std::string_view kSlowdownPastEnd = "slowdown-past-end";
inline constexpr std::string_view kSignalInStation = "signal-in-station";
inline constexpr std::string_view kTempoUnused = "tempo-unused";
inline constexpr std::string_view kQuoteOverLines = "quote-over-lines";
inline constexpr std::string_view kSplitNumber = "split-number";
// Given by the driver's documents, not by the readers.
inline constexpr std::string_view kNameCut = "name-cut";

// One row per group of ids, each group appended as it is given out.
// clang-format off
inline constexpr std::array kAll = {
    kUnknownEntry,   kMisspeltSection,      kExtraValues,     kValuesFromNextLine, kOverridden,
    kValueWrapped,   kValueRounded,         kPositionSnapped, kBeyondLineEnd,      kOutOfOrder,
    kCurveShortened, kCurveIgnored,         kTunnelJoined,    kTunnelReversed,     kMarkOverwritten,
    kLeadInIgnored,  kSlowdownInOneSegment, kEncoding,        kNoGeneralSection,
    kTempoRaised, kDigitCarried, kStationTypeUnknown, kTunnelTypeUnknown, kStationOptionCleared,
    kTimesBackwards, kStopWithoutTime, kTimeWithoutStop, kSpeedLimitImplausible,
    kSlowdownAboveLimit, kSlowdownPastEnd, kSignalInStation,
    kTempoUnused,
    kQuoteOverLines, kSplitNumber,
};
// clang-format on

// The ids the driver's documents give (the encoding of a text given beside
// the source texts is told by kEncoding).
inline constexpr std::array kDocumentIds = {kNameCut};

}  // namespace scenario::warning_id

#endif  // SCENARIO_READING_WARNING_IDS_H_
