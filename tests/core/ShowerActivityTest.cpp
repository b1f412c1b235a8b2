// Shower activity from synthetic counts: a diurnal sporadic background and an
// injected shower of known maximum, plain (the background and the table's
// rules) or seen through a forward-scatter station's response to the
// radiant's elevation (SyntheticStation.h: the maximum, its interval and the
// warnings).

#include "activity/ShowerActivity.h"
#include "SyntheticStation.h"
#include "activity/ShowerCatalog.h"
#include "activity/StationCoordinates.h"
#include "activity/UtHourCounts.h"
#include "hourly/HourTable.h"
#include "hourly/UtHourList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>

namespace {

constexpr double kPi = 3.14159265358979323846;

Shower geminids() {
    return parseShowerCatalog(
        "code,name,start,end,peak_solar_longitude,ra,dec,ra_drift_per_day,dec_drift_per_day\n"
        "GEM,Geminids,12-04,12-20,262.2,112,33,1.00,-0.10\n",
        "test")[0];
}

double sporadicRate(int utHour) {
    return 40.0 + 20.0 * std::sin(2 * kPi * (utHour - 0) / 24.0);
}

struct InjectedShower {
    double peak = 262.05; // not the catalogue's 262.2: the profile must find its own
    double height = 150;
    double rise = 0.4;
    double fall = 0.8;
};

// Hourly counts from from to to (unix hours), each hour observed for an hour,
// Poisson with a fixed seed.
std::vector<UtHourCount> plainCounts(std::int64_t from, std::int64_t to,
                                     const std::optional<InjectedShower>& shower,
                                     unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::vector<UtHourCount> out;
    for (std::int64_t h = from; h < to; ++h) {
        double rate = sporadicRate(static_cast<int>(h % 24));
        if (shower) {
            const double l = solarLongitude(julianDateOfUnixHours(static_cast<double>(h) + 0.5));
            rate += activityProfile(std::remainder(l - shower->peak, 360.0), 0, shower->height,
                                    shower->rise, shower->fall);
        }
        std::poisson_distribution<std::int64_t> draw(rate);
        out.push_back({h, 60, draw(rng), true});
    }
    return out;
}

// One slot standing for its whole hour, on the data file's clock.
TenMinuteRow hourSlot(int year, int month, int day, int hour, std::int64_t echo,
                      std::int64_t observedMinutes) {
    TenMinuteRow r;
    r.time = makeTimestamp(year, month, day, hour, 0, 0).value();
    r.echo = echo;
    r.observedMinutes = observedMinutes;
    return r;
}

struct ShowerActivityFixture : ::testing::Test {
    Shower gem = geminids();
    std::vector<Shower> catalog{gem};
    std::int64_t from = unixHourOf(2016, 11, 1, 0);
    std::int64_t to = unixHourOf(2017, 1, 31, 0);
};

} // namespace

using ComputeShowerActivity = ShowerActivityFixture;

TEST_F(ComputeShowerActivity, RecoversTheBackgroundOnShowerFreeDays) {
    ActivityOptions noFit;
    noFit.fitModel = false;
    const ShowerActivity a = computeShowerActivity(plainCounts(from, to, InjectedShower{}), catalog,
                                                   gem, 2016, {}, noFit);
    ASSERT_EQ(a.referenceDays.size(), 14u);
    EXPECT_EQ(a.windowDays, 7);
    EXPECT_EQ(a.background.source, BackgroundSource::BothSides);
    for (const ReferenceSide* side : {&a.background.before, &a.background.after}) {
        ASSERT_EQ(side->days.size(), 7u);
        for (int h = 0; h < 24; ++h) {
            ASSERT_TRUE(side->hours[h]) << h;
            EXPECT_EQ(side->hours[h]->days, 7);
            EXPECT_NEAR(side->hours[h]->rate, sporadicRate(h), 3 * side->hours[h]->error + 1)
                << "UT hour " << h;
        }
    }
    EXPECT_TRUE(a.warnings.empty());
}

// The sporadic rate climbs 2% a day; the background must climb with it
// through the period, where one median of both sides would leave the
// period's first days 5 echoes an hour below it and its last days above.
TEST_F(ComputeShowerActivity, BackgroundFollowsTheTrendBetweenTheSides) {
    synthetic::Station station;
    station.driftPerDay = 0.02;
    station.driftOrigin = unixHourOf(2016, 12, 12, 12);
    ActivityOptions noFit;
    noFit.fitModel = false;
    const ShowerActivity a = computeShowerActivity(synthetic::counts(station, gem, {}, from, to),
                                                   catalog, gem, 2016, station.place, noFit);
    const auto meanExcess = [&](int firstDay, int lastDay) {
        double sum = 0;
        int n = 0;
        for (const ActivityHour& h : a.hours) {
            const int day = utDateHourOf(h.hour).day;
            if (h.inPeriod && h.excess && day >= firstDay && day <= lastDay) {
                sum += *h.excess;
                ++n;
            }
        }
        return sum / n;
    };
    EXPECT_NEAR(meanExcess(4, 6), 0.0, 2.5);
    EXPECT_NEAR(meanExcess(18, 20), 0.0, 2.5);
    // Midway, the mean of the two sides' medians.
    const std::int64_t noon = unixHourOf(2016, 12, 12, 12);
    const auto& before = a.background.before.hours[12];
    const auto& after = a.background.after.hours[12];
    ASSERT_TRUE(before && after);
    const double w =
        (static_cast<double>(noon) + 0.5 - before->meanHour) / (after->meanHour - before->meanHour);
    EXPECT_NEAR(a.background.at(noon)->rate, (1 - w) * before->rate + w * after->rate, 1e-9);
    EXPECT_GT(w, 0.4);
    EXPECT_LT(w, 0.6);
}

// A strong shower seen through a response that dips towards the zenith: the
// maximum within 0.05 deg, inside its interval, the response's best
// elevation found, and nothing to doubt.
TEST_F(ComputeShowerActivity, RecoversAStrongMaximumSeenThroughTheElevation) {
    const synthetic::Station station;
    synthetic::ShowerTruth truth;
    truth.peakExcess = 200;
    const ShowerActivity a = computeShowerActivity(
        synthetic::counts(station, gem, {truth}, from, to), catalog, gem, 2016, station.place);
    ASSERT_TRUE(a.fit.fitted) << a.fit.problem;
    const ProfileFit& f = a.fit;
    EXPECT_NEAR(f.peakSolarLongitude, truth.peakSolarLongitude, 0.05);
    EXPECT_LE(f.peakSolarLongitudeLow, truth.peakSolarLongitude);
    EXPECT_GE(f.peakSolarLongitudeHigh, truth.peakSolarLongitude);
    EXPECT_LT(f.peakSolarLongitudeHigh - f.peakSolarLongitudeLow, 0.1);
    EXPECT_TRUE(f.withElevation);
    EXPECT_NEAR(f.response.bestElevation, 40.9, 8.0); // atan(sqrt(1.5 / 2))
    EXPECT_NEAR(f.peakExcess, truth.peakExcess, 3 * f.peakExcessError);
    EXPECT_GT(a.peak->significance, 10);
    EXPECT_GT(f.amplitudeSignificance, 10);
    EXPECT_LT(f.reducedChiSquare, 1.3);
    ASSERT_TRUE(a.fitPeakHour);
    EXPECT_NEAR(*a.fitPeakHour, static_cast<double>(unixHourOf(2016, 12, 13, 20)) + 0.8, 1.5);
    EXPECT_TRUE(a.warnings.empty()) << a.warnings.front().text;
    // Each hour carries the model over it: the activity times the factor.
    for (const ActivityHour& h : a.hours) {
        ASSERT_TRUE(h.fitExcess && h.elevationFactor && h.radiantElevation);
        EXPECT_DOUBLE_EQ(*h.elevationFactor, f.response.factor(*h.radiantElevation));
        EXPECT_EQ(*h.fitExcess == 0, *h.radiantElevation <= 0);
    }
}

// A shower barely above the sporadic scatter: the interval holds the true
// maximum and does not claim a precision the counts lack, or a warning says
// why the fit may be wrong.
TEST_F(ComputeShowerActivity, GivesAWeakShowerAnHonestInterval) {
    synthetic::ShowerTruth truth;
    truth.peakExcess = 15; // at best; the sporadic rate is 40 +- 20 an hour
    for (std::uint64_t seed : {1, 2, 3}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        synthetic::Station station;
        station.seed = seed;
        const ShowerActivity a = computeShowerActivity(
            synthetic::counts(station, gem, {truth}, from, to), catalog, gem, 2016, station.place);
        ASSERT_TRUE(a.fit.fitted) << a.fit.problem;
        const ProfileFit& f = a.fit;
        const bool inside = f.peakSolarLongitudeLow <= truth.peakSolarLongitude &&
                            truth.peakSolarLongitude <= f.peakSolarLongitudeHigh;
        const bool doubted = std::any_of(a.warnings.begin(), a.warnings.end(), [](auto& w) {
            return w.kind == ActivityWarningKind::WeakPeak ||
                   w.kind == ActivityWarningKind::WeakFit ||
                   w.kind == ActivityWarningKind::TwoMinima ||
                   w.kind == ActivityWarningKind::SlopeAtCeiling;
        });
        EXPECT_TRUE(inside || doubted)
            << f.peakSolarLongitudeLow << " " << f.peakSolarLongitudeHigh;
        EXPECT_TRUE(doubted || f.peakSolarLongitudeHigh - f.peakSolarLongitudeLow > 0.3);
    }
}

// Every warning where the data call for it and nowhere else.
TEST_F(ComputeShowerActivity, WarnsExactlyWhereTheDataCallForIt) {
    using Kind = ActivityWarningKind;
    const synthetic::Station station;
    synthetic::ShowerTruth strong;
    strong.peakExcess = 200;
    const std::vector<UtHourCount> year = synthetic::counts(station, gem, {strong}, from, to);
    // The ten hours around the true maximum (Dec 13 20:46 UT) unobserved.
    std::vector<UtHourCount> gap = year;
    std::erase_if(gap, [](const UtHourCount& c) {
        return c.hour >= unixHourOf(2016, 12, 13, 15) && c.hour < unixHourOf(2016, 12, 14, 1);
    });
    // Data ending in the period; data of the period alone.
    std::vector<UtHourCount> ending(year.begin(), year.end()), inside;
    std::erase_if(ending,
                  [](const UtHourCount& c) { return c.hour >= unixHourOf(2016, 12, 19, 12); });
    std::copy_if(year.begin(), year.end(), std::back_inserter(inside), [](const UtHourCount& c) {
        return c.hour >= unixHourOf(2016, 12, 4, 0) && c.hour < unixHourOf(2016, 12, 21, 0);
    });
    // The same counts a day after the peak's hours, on a background alike
    // every day: two running means tie exactly.
    synthetic::Station still = station;
    still.noiseless = true;
    std::vector<UtHourCount> tie = synthetic::counts(still, gem, {strong}, from, to);
    const std::int64_t peak = unixHourOf(2016, 12, 13, 20);
    for (UtHourCount& c : tie) {
        if (c.hour >= peak + 18 && c.hour <= peak + 30) {
            c.echoes = tie[static_cast<std::size_t>(c.hour - 24 - from)].echoes;
        }
    }
    const struct {
        const char* what;
        const std::vector<UtHourCount>& counts;
        std::vector<Kind> kinds;
    } cases[] = {
        {"clean", year, {}},
        {"maximum unobserved", gap, {Kind::FitMaximumInGap, Kind::MaximumUnobserved}},
        {"data end in the period", ending, {Kind::OneSidedBackground}},
        {"period alone", inside, {Kind::QuietDaysBackground}},
        {"tie", tie, {Kind::PeakTie}},
    };
    std::vector<ShowerActivity> results;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        results.push_back(computeShowerActivity(c.counts, catalog, gem, 2016, station.place));
        const ShowerActivity& a = results.back();
        std::vector<Kind> kinds;
        for (const ActivityWarning& w : a.warnings) {
            kinds.push_back(w.kind);
        }
        EXPECT_EQ(kinds, c.kinds) << (a.warnings.empty() ? "" : a.warnings.front().text);
        ASSERT_TRUE(a.fit.fitted) << a.fit.problem;
        if (&c.counts != &tie) { // two equal days: the fit may take either
            EXPECT_NEAR(a.fit.peakSolarLongitude, strong.peakSolarLongitude, 0.1);
        }
    }

    // What they name: the gap and the unobserved hours near the catalogue's
    // maximum (Dec 14 00:18 UT)...
    const ShowerActivity& unobserved = results[1];
    ASSERT_EQ(unobserved.warnings.size(), 2u);
    const ActivityWarning& inGap = unobserved.warnings[0];
    EXPECT_EQ(inGap.firstHour, *unobserved.fitPeakHour);
    EXPECT_EQ(inGap.secondHour, unixHourOf(2016, 12, 13, 15));
    EXPECT_EQ(inGap.thirdHour, unixHourOf(2016, 12, 14, 1));
    const ActivityWarning& near = unobserved.warnings[1];
    EXPECT_EQ(near.subject, ActivityMaximum::Catalogue);
    EXPECT_EQ(near.count, 10);
    EXPECT_EQ(near.text, "10 of the 24 hours within 12 hours of the catalogue maximum "
                         "(2016/12/14 00:18 UT) were not observed (2016/12/13 15:00 UT to "
                         "2016/12/14 01:00 UT)");
    // ... and the quiet days: wholly 3 deg and more from the maximum (up to
    // Dec 10, from Dec 17), the seven farthest on each side.
    const ActivityWarning& quiet = results[3].warnings[0];
    ASSERT_EQ(quiet.days.size(), 11u);
    EXPECT_EQ(utDateHourOf(quiet.days[0] * 24).day, 4);
    EXPECT_EQ(utDateHourOf(quiet.days[6] * 24).day, 10);
    EXPECT_EQ(utDateHourOf(quiet.days[7] * 24).day, 17);
    EXPECT_NE(quiet.text.find("(2016/12/04 to 2016/12/10, 2016/12/17 to 2016/12/20)"),
              std::string::npos)
        << quiet.text;
    EXPECT_EQ(results[2].warnings[0].side, ActivitySide::Before);
    const ActivityWarning& tied = results[4].warnings[0];
    EXPECT_EQ(tied.secondHour - tied.firstHour, 24.0);
}

TEST_F(ComputeShowerActivity, HourValuesFollowTheirDefinitions) {
    const GeoPosition tokyo{35.68, 139.76};
    ActivityOptions noFit;
    noFit.fitModel = false;
    const ShowerActivity a = computeShowerActivity(plainCounts(from, to, InjectedShower{}), catalog,
                                                   gem, 2016, tokyo, noFit);
    int corrected = 0, low = 0;
    for (const ActivityHour& h : a.hours) {
        ASSERT_TRUE(h.rate && h.background && h.excess && h.radiantElevation);
        EXPECT_DOUBLE_EQ(*h.rate, static_cast<double>(h.echoes));
        EXPECT_DOUBLE_EQ(*h.excess, *h.rate - *h.background);
        const BackgroundValue bg = *a.background.at(h.hour);
        EXPECT_DOUBLE_EQ(*h.background, bg.rate);
        EXPECT_DOUBLE_EQ(*h.backgroundError, bg.error);
        EXPECT_NEAR(*h.excessError, std::sqrt(std::max<double>(1, h.echoes) + bg.error * bg.error),
                    1e-9);
        EXPECT_DOUBLE_EQ(*h.ratio, *h.rate / *h.background);
        if (*h.radiantElevation >= 10) {
            ASSERT_TRUE(h.correctedExcess);
            EXPECT_NEAR(*h.correctedExcess, *h.excess / std::sin(*h.radiantElevation * kPi / 180),
                        1e-9);
            ++corrected;
        } else {
            EXPECT_FALSE(h.correctedExcess);
            ++low;
        }
    }
    // The Geminid radiant is up most of the night at 36 degrees north and
    // below the horizon around local noon.
    EXPECT_GT(corrected, 0);
    EXPECT_GT(low, 0);
}

TEST_F(ComputeShowerActivity, WithoutCoordinatesNoElevation) {
    const ShowerActivity a =
        computeShowerActivity(plainCounts(from, to, InjectedShower{}), catalog, gem, 2016, {});
    EXPECT_FALSE(a.hasCoordinates);
    for (const ActivityHour& h : a.hours) {
        EXPECT_FALSE(h.radiantElevation);
        EXPECT_FALSE(h.correctedExcess);
    }
    EXPECT_TRUE(a.fit.fitted); // the rest does not need the station's place
}

TEST_F(ComputeShowerActivity, LeavesOutOtherShowersNoiseAndGaps) {
    // Another shower over the last three days before the period; noise and
    // gaps on reference days.
    catalog.push_back(parseShowerCatalog("code,start,end,peak_solar_longitude,ra,dec\n"
                                         "XXX,11-29,12-01,250,0,0\n",
                                         "test")[0]);
    std::vector<UtHourCount> counts = plainCounts(from, to, InjectedShower{});
    const std::int64_t noiseDay = unixHourOf(2016, 11, 27, 0);
    const std::int64_t gapDay = unixHourOf(2016, 12, 22, 0);
    for (UtHourCount& c : counts) {
        if (c.hour >= noiseDay && c.hour < noiseDay + 24) {
            c.usable = false;
            c.echoes = 100000; // would spoil the median were it counted
        }
    }
    std::erase_if(counts,
                  [&](const UtHourCount& c) { return c.hour >= gapDay && c.hour < gapDay + 24; });
    ActivityOptions noFit;
    noFit.fitModel = false;
    const ShowerActivity a = computeShowerActivity(counts, catalog, gem, 2016, {}, noFit);
    // 14 days less 3 of the other shower, the noise day and the gap day.
    EXPECT_EQ(a.referenceDays.size(), 9u);
    for (std::int64_t d : a.referenceDays) {
        EXPECT_NE(d * 24, noiseDay);
        EXPECT_NE(d * 24, gapDay);
        EXPECT_FALSE(d * 24 >= unixHourOf(2016, 11, 29, 0) && d * 24 < unixHourOf(2016, 12, 2, 0));
    }
    EXPECT_LT(a.background.at(unixHourOf(2016, 12, 10, 3))->rate, 200);
}

TEST_F(ComputeShowerActivity, WidensTheWindowWhenNeighboursCoverIt) {
    catalog.push_back(parseShowerCatalog("code,start,end,peak_solar_longitude,ra,dec\n"
                                         "AAA,11-01,12-03,240,0,0\n"
                                         "BBB,12-21,12-30,270,0,0\n",
                                         "test")[0]);
    catalog.push_back(parseShowerCatalog("code,start,end,peak_solar_longitude,ra,dec\n"
                                         "BBB,12-21,12-30,270,0,0\n",
                                         "test")[0]);
    ActivityOptions noFit;
    noFit.fitModel = false;
    const ShowerActivity a = computeShowerActivity(plainCounts(from, to, InjectedShower{}), catalog,
                                                   gem, 2016, {}, noFit);
    // Each side widens on its own: before, every day back to Nov 4 is AAA's.
    EXPECT_TRUE(a.background.before.days.empty());
    EXPECT_EQ(a.background.before.windowDays, 30);
    EXPECT_EQ(a.background.after.windowDays, 13); // Dec 21 + 12 days = Dec 31, Jan 1, Jan 2
    ASSERT_EQ(a.referenceDays.size(), 3u);
    EXPECT_EQ(utDateHourOf(a.referenceDays.front() * 24).day, 31);
    EXPECT_EQ(a.background.source, BackgroundSource::AfterOnly);
}

TEST_F(ComputeShowerActivity, OnlyNeighboursAboveTheZhrThresholdKeepDaysOut) {
    // A neighbour over the last three days before the period.
    const struct {
        const char* zhr;
        double threshold;
        std::size_t days;
    } cases[] = {
        {"5", 10, 14},    // weak: its days stay
        {"10", 10, 14},   // at the threshold still weak
        {"10.5", 10, 11}, // above it: three days out
        {"", 10, 11},     // no ZHR given: nothing says it is weak
        {"10", 5, 11},    // a lower threshold
    };
    const std::vector<UtHourCount> counts = plainCounts(from, to, InjectedShower{});
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("zhr '") + c.zhr + "' threshold " + std::to_string(c.threshold));
        std::vector<Shower> list = catalog;
        list.push_back(parseShowerCatalog(
            std::string(
                "code,start,end,peak_solar_longitude,ra,dec,zhr\nXXX,11-29,12-01,250,0,0,") +
                c.zhr + "\n",
            "test")[0]);
        ActivityOptions options;
        options.interferingZhrAbove = c.threshold;
        options.fitModel = false;
        const ShowerActivity a = computeShowerActivity(counts, list, gem, 2016, {}, options);
        EXPECT_EQ(a.referenceDays.size(), c.days);
        EXPECT_EQ(a.windowDays, 7);
    }
}

TEST_F(ComputeShowerActivity, TheShippedListLeavesTheGeminidsNearbyReferenceDays) {
    // Leonids to Nov 30 and the Quadrantids from Dec 28 keep their days out;
    // Northern Taurids, Puppid-Velids, sigma-Hydrids and Ursids do not.
    const auto file = findShowerCatalogFile(VELK_DATA_DIR);
    ASSERT_TRUE(file);
    const std::vector<Shower> list = loadShowerCatalog(*file);
    const ShowerActivity a = computeShowerActivity(plainCounts(from, to, InjectedShower{}), list,
                                                   *findShower(list, "GEM"), 2016, {});
    EXPECT_EQ(a.windowDays, 7);
    ASSERT_EQ(a.referenceDays.size(), 10u); // Dec 1 to 3 and Dec 21 to 27
    EXPECT_EQ(utDateHourOf(a.referenceDays.front() * 24).day, 1);
    EXPECT_EQ(utDateHourOf(a.referenceDays.back() * 24).day, 27);
    ASSERT_TRUE(a.fit.fitted) << a.fit.problem;
    EXPECT_NEAR(a.fit.peakSolarLongitude, InjectedShower{}.peak, 0.1);
}

TEST_F(ComputeShowerActivity, AYearWithGapsStillGivesAProfile) {
    std::vector<UtHourCount> counts = plainCounts(from, to, InjectedShower{});
    // Every third day of the period lost, and the peak night itself.
    const auto [start, end] = activityPeriod(gem, 2016);
    std::erase_if(counts, [&, start = start, end = end](const UtHourCount& c) {
        return c.hour >= start && c.hour < end &&
               ((c.hour - start) / 24 % 3 == 0 ||
                (c.hour >= unixHourOf(2016, 12, 13, 18) && c.hour < unixHourOf(2016, 12, 14, 6)));
    });
    const ShowerActivity a = computeShowerActivity(counts, catalog, gem, 2016, {});
    ASSERT_EQ(a.hours.size(), static_cast<std::size_t>((end - start) + 14 * 24));
    int missing = 0;
    for (const ActivityHour& h : a.hours) {
        missing += h.observed ? 0 : 1;
        if (!h.observed) {
            EXPECT_FALSE(h.rate);
            EXPECT_FALSE(h.excess);
        }
    }
    EXPECT_GT(missing, 100);
    ASSERT_TRUE(a.fit.fitted) << a.fit.problem;
    EXPECT_NEAR(a.fit.peakSolarLongitude, 262.05, 3 * a.fit.peakSolarLongitudeError + 0.02);
}

TEST_F(ComputeShowerActivity, SaysWhyThereIsNoProfile) {
    struct Case {
        const char* what;
        std::vector<UtHourCount> counts;
        int year;
        const char* peakProblem;
        const char* fitProblem;
    };
    const std::int64_t dec15 = unixHourOf(2016, 12, 15, 0);
    std::vector<UtHourCount> fewHours = plainCounts(from, to, InjectedShower{});
    std::erase_if(fewHours, [&](const UtHourCount& c) {
        return c.hour >= unixHourOf(2016, 12, 4, 0) && c.hour < unixHourOf(2016, 12, 21, 0) &&
               (c.hour < dec15 || c.hour >= dec15 + 6);
    });
    const Case cases[] = {
        {"year not covered", plainCounts(from, to, InjectedShower{}), 2020,
         "no observed reference days", "no observed reference days"},
        {"six hours", fewHours, 2016, "", "too few observed hours"},
    };
    for (const Case& c : cases) {
        const ShowerActivity a = computeShowerActivity(c.counts, catalog, gem, c.year, {});
        EXPECT_FALSE(a.fit.fitted) << c.what;
        EXPECT_NE(a.fit.problem.find(c.fitProblem), std::string::npos)
            << c.what << ": " << a.fit.problem;
        if (*c.peakProblem) {
            EXPECT_FALSE(a.peak) << c.what;
            EXPECT_NE(a.peakProblem.find(c.peakProblem), std::string::npos) << c.what;
        }
    }
}

TEST_F(ComputeShowerActivity, NoShowerIsCalledWeak) {
    ActivityOptions noFit;
    noFit.fitModel = false;
    const ShowerActivity a = computeShowerActivity(plainCounts(from, to, std::nullopt, 3), catalog,
                                                   gem, 2016, {}, noFit);
    ASSERT_TRUE(a.peak);
    EXPECT_LT(a.peak->significance, 3);
    EXPECT_TRUE(std::any_of(a.warnings.begin(), a.warnings.end(), [](const ActivityWarning& w) {
        return w.kind == ActivityWarningKind::WeakPeak;
    }));
}

TEST(ShowerYears, OnlyYearsWithUsableHoursInThePeriod) {
    const Shower gem = geminids();
    const Shower qua = parseShowerCatalog("code,start,end,peak_solar_longitude,ra,dec\n"
                                          "QUA,12-28,01-12,283.15,230,49\n",
                                          "test")[0];
    std::vector<UtHourCount> counts;
    counts.push_back({unixHourOf(2015, 12, 10, 3), 60, 5, false}); // noise only
    counts.push_back({unixHourOf(2016, 12, 20, 23), 60, 5, true}); // last hour of 2016's
    counts.push_back({unixHourOf(2017, 12, 21, 0), 60, 5, true});  // one hour late
    counts.push_back({unixHourOf(2018, 12, 30, 0), 60, 5, true});  // the 2019 Quadrantids
    EXPECT_EQ(showerYears(counts, gem), std::vector<int>{2016});
    EXPECT_EQ(showerYears(counts, qua), std::vector<int>{2019});
    EXPECT_TRUE(showerYears({}, gem).empty());
    const auto [start, end] = activityPeriod(qua, 2019);
    EXPECT_EQ(start, unixHourOf(2018, 12, 28, 0));
    EXPECT_EQ(end, unixHourOf(2019, 1, 13, 0));
}

TEST(ActivityCsvLines, NamedColumnsAndEmptyCellsForMissingValues) {
    const Shower gem = geminids();
    std::vector<UtHourCount> counts =
        plainCounts(unixHourOf(2016, 11, 20, 0), unixHourOf(2017, 1, 5, 0), InjectedShower{});
    const std::int64_t noise = unixHourOf(2016, 11, 27, 0);
    for (UtHourCount& c : counts) {
        if (c.hour == noise) {
            c.usable = false;
            c.observedMinutes = 10;
        }
    }
    const ShowerActivity a = computeShowerActivity(counts, {gem}, gem, 2016, {});
    const std::vector<std::string> lines = activityCsvLines(a);
    ASSERT_EQ(lines.size(), a.hours.size() + 1);
    EXPECT_EQ(lines[0], "time_ut,solar_longitude,observed_minutes,echoes,rate,background,excess,"
                        "excess_error,ratio,radiant_elevation,corrected_excess,elevation_factor,"
                        "fit_excess");
    // The noise hour opens the table: minutes and count, nothing computed
    // from them; the model has a value there as everywhere.
    std::vector<std::string> cells;
    std::stringstream row(lines[1]);
    for (std::string cell; std::getline(row, cell, ',');) {
        cells.push_back(cell);
    }
    ASSERT_EQ(cells.size(), 13u);
    EXPECT_EQ(cells[11], "1.000"); // no station: no elevation factor
    EXPECT_EQ(cells[0], "2016/11/27 00:30");
    EXPECT_EQ(cells[1], "244.9549");
    EXPECT_EQ(cells[2], "10");
    EXPECT_EQ(cells[3],
              std::to_string(counts[static_cast<std::size_t>(noise - counts[0].hour)].echoes));
    for (std::size_t i = 4; i < 11; ++i) {
        EXPECT_EQ(cells[i], "") << i;
    }
    EXPECT_EQ(activityCsvFileName(a), "activity_GEM_2016.csv");
    const auto summary = activitySummaryLines(a);
    EXPECT_NE(std::find(summary.begin(), summary.end(), "Year=2016"), summary.end());
    for (const char* key : {"Peak=", "PeakSignificance=", "FitPeakSolarLongitudeLow=",
                            "FitPeakSolarLongitudeHigh=", "FitSignificance="}) {
        EXPECT_EQ(std::count_if(summary.begin(), summary.end(),
                                [&](const std::string& l) { return l.rfind(key, 0) == 0; }),
                  1)
            << key;
    }
}

TEST(FormatUtTime, RoundsToTheMinuteAcrossMidnight) {
    const double h = static_cast<double>(unixHourOf(2016, 12, 31, 23));
    EXPECT_EQ(formatUtTime(h + 0.5), "2016/12/31 23:30");
    EXPECT_EQ(formatUtTime(h + 59.9 / 60), "2017/01/01 00:00");
    EXPECT_EQ(formatUtTime(h + 59.4 / 60), "2016/12/31 23:59");
}

TEST(UtHourCounts, ShiftsToUtKeepsHourOrderAndLeavesOutGaps) {
    auto table = std::make_shared<HourTable>();
    table->add(hourSlot(2024, 2, 1, 9, 12, 60));
    table->add(hourSlot(2024, 2, 1, 10, 5, 20));                     // at the threshold: noise
    table->add(gapRow(makeTimestamp(2024, 2, 1, 11, 0, 0).value())); // gap only: left out
    table->add(hourSlot(2024, 2, 1, 5, 30, 60));                     // out of order
    const std::vector<UtHourCount> counts = utHourCounts(UtHourList(table, -9, 20));
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(counts[0].hour, unixHourOf(2024, 1, 31, 20));
    EXPECT_EQ(counts[0].echoes, 30);
    EXPECT_EQ(counts[1].hour, unixHourOf(2024, 2, 1, 0));
    EXPECT_TRUE(counts[1].usable);
    EXPECT_EQ(counts[2].observedMinutes, 20);
    EXPECT_FALSE(counts[2].usable);
}
