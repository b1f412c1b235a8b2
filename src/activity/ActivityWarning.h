#pragma once
// The doubts about a shower's peak and fit, one value each: a kind with the
// times and numbers it names, so that the window can word it in its own
// language, and an English text for the command line. activityWarnings finds
// them on a finished analysis; computeShowerActivity stores them.

#include <cstdint>
#include <string>
#include <vector>

struct ShowerActivity;
struct ActivityOptions;

enum class ActivityWarningKind {
    // Two hours' running means of the excess are equal: firstHour (the peak
    // given, the earlier) and secondHour; firstValue the mean excess.
    PeakTie,
    // Another candidate, a separate local maximum of the running mean, lies
    // within the errors of the difference: firstHour the peak (firstValue its
    // excess), secondHour the candidate (secondValue its excess), thirdValue
    // the difference's error, count the further candidates within errors.
    PeakNearTie,
    // The peak's excess is below weakSignificance sigma: firstValue sigma.
    WeakPeak,
    // The fitted amplitude is below weakSignificance sigma: firstValue sigma.
    WeakFit,
    // count of the 24 hours within 12 hours of a maximum (subject, at
    // firstHour) were not observed, from secondHour (the first) to thirdHour
    // (the end of the last).
    MaximumUnobserved,
    // The fitted maximum (firstHour) falls in unobserved hours, from
    // secondHour to thirdHour (the first hour and the first observed after).
    FitMaximumInGap,
    // The fitted maximum (firstHour) falls while the radiant is below the
    // horizon (firstValue its elevation): the station sees none of it then.
    FitMaximumRadiantDown,
    // The chi-square profile has another minimum of similar depth: firstValue
    // the fitted maximum's longitude, secondValue the other's, thirdValue its
    // chi-square above the best (scaled), count the further ones.
    TwoMinima,
    // The maximum's interval reaches the end of the hours searched on side
    // (Before: its lower end, After: its upper), at firstValue.
    IntervalOpen,
    // The fitted rise (side Before) or fall (After) is as steep as the fit
    // allows (firstValue, per degree): a cliff whose place a few hours
    // decide, so the maximum is no surer than they are.
    SlopeAtCeiling,
    // The background comes from the days on one side of the period only
    // (side), days.
    OneSidedBackground,
    // Too few reference days: the background comes from the quiet days of the
    // period, days.
    QuietDaysBackground,
};

enum class ActivityMaximum { Catalogue, Peak, Fit };
enum class ActivitySide { Before, After };

struct ActivityWarning {
    ActivityWarningKind kind = ActivityWarningKind::WeakPeak;
    ActivityMaximum subject = ActivityMaximum::Catalogue;
    ActivitySide side = ActivitySide::Before;
    double firstHour = 0, secondHour = 0, thirdHour = 0; // UT, hours since 1970 with fraction
    double firstValue = 0, secondValue = 0, thirdValue = 0;
    int count = 0;
    std::vector<std::int64_t> days; // days since 1970-01-01
    std::string text;               // English, for the command line
};

std::vector<ActivityWarning> activityWarnings(const ShowerActivity& activity,
                                              const ActivityOptions& options);
