// The profile fit on its own: hourly points of a known activity, without the
// station's geometry, where the chi-square profile's shape is known.

#include "activity/ActivityProfileFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Hours a twenty-fourth of a degree apart from -3 to +3 deg, their excess
// the given activity exactly over a background of 20 an hour.
template <typename Activity> std::vector<ProfilePoint> hours(Activity activity) {
    std::vector<ProfilePoint> points;
    for (int k = -72; k <= 72; ++k) {
        const double l = k / 24.0;
        points.push_back({l, activity(l), 20, 1, 60, std::nullopt, 1 / 24.0});
    }
    return points;
}

ProfileSearch wholeStretch(double startExcess) {
    ProfileSearch search;
    search.from = -3;
    search.to = 3;
    search.startPeakExcess = startExcess;
    return search;
}

} // namespace

TEST(FitActivityProfile, FindsAMaximumBetweenHoursWithItsInterval) {
    // The maximum a third of an hour after an hour's middle; each hour holds
    // the activity's mean over it, as a count does.
    const double peak = 0.5 / 24 + 1.0 / 72;
    const auto points = hours([&](double l) {
        constexpr double kHalf = 1 / 48.0;
        double sum = 0;
        for (int i = 0; i < 100; ++i) {
            const double x = l - kHalf + (i + 0.5) * 2 * kHalf / 100;
            sum += activityProfile(x, peak, 60, 1.0, 2.0);
        }
        return sum / 100;
    });
    const ProfileFit fit = fitActivityProfile(points, wholeStretch(50));
    ASSERT_TRUE(fit.fitted) << fit.problem;
    EXPECT_NEAR(fit.peakSolarLongitude, peak, 0.002);
    EXPECT_NEAR(fit.peakExcess, 60, 0.5);
    EXPECT_NEAR(fit.riseSlope, 1.0, 0.02);
    EXPECT_NEAR(fit.fallSlope, 2.0, 0.05);
    EXPECT_LT(fit.peakSolarLongitudeLow, fit.peakSolarLongitude);
    EXPECT_GT(fit.peakSolarLongitudeHigh, fit.peakSolarLongitude);
    EXPECT_FALSE(fit.secondMinimum);
    EXPECT_FALSE(fit.withElevation);
    // Far from the maximum the profile rises well above its least.
    EXPECT_GT(fit.chiSquareProfile.front().chiSquare, fit.chiSquare + 100);
    EXPECT_GT(fit.chiSquareProfile.back().chiSquare, fit.chiSquare + 100);
}

TEST(FitActivityProfile, TwoEqualMaximaGiveTwoMinimaAndAWideInterval) {
    // Mirror images about 0: the one-peaked model fits either equally.
    const auto points = hours([](double l) {
        return activityProfile(l, -1, 40, 3, 3) + activityProfile(l, 1, 40, 3, 3);
    });
    const ProfileFit fit = fitActivityProfile(points, wholeStretch(40));
    ASSERT_TRUE(fit.fitted) << fit.problem;
    ASSERT_TRUE(fit.secondMinimum);
    EXPECT_NEAR(std::fabs(fit.peakSolarLongitude), 1.0, 0.2);
    EXPECT_NEAR(fit.secondMinimum->solarLongitude, -fit.peakSolarLongitude, 0.03);
    EXPECT_LT(fit.secondMinimum->chiSquareAbove, 0.5);
    // Both lie inside the interval: it says where the maximum may be.
    EXPECT_LT(fit.peakSolarLongitudeLow, -0.95);
    EXPECT_GT(fit.peakSolarLongitudeHigh, 0.95);
}

TEST(FitActivityProfile, SaysWhyNot) {
    const auto flat = hours([](double) { return 0.0; });
    EXPECT_EQ(fitActivityProfile({flat.begin(), flat.begin() + 7}, wholeStretch(5)).problem,
              "too few observed hours for a fit (7, need 12)");
    EXPECT_EQ(fitActivityProfile(flat, wholeStretch(0)).problem,
              "no excess over the background to fit");
    auto down = flat;
    for (ProfilePoint& p : down) {
        p.elevation = -5;
    }
    EXPECT_EQ(fitActivityProfile(down, wholeStretch(5)).problem,
              "the radiant stayed below the horizon in every observed hour");
}
