#pragma once
// The knobs of the shower analysis, with the values the program uses. Callers
// pass one record to computeShowerActivity; the command line sets the window.

struct ActivityOptions {
    int windowDays = 7; // reference days on each side of the period
    // Observed reference days wanted on each side before its window stops
    // widening; fewer than this on both sides together sends the background
    // to the quiet days of the period.
    int minimumReferenceDays = 3;
    int maximumWindowDays = 30;
    // Another shower's period keeps its days out of the reference days only
    // when its ZHR is above this (or the list gives none: nothing says it is
    // weak). A shower of ZHR 10 or less adds less to a radio station's hourly
    // rate than the sporadic rate's own scatter, and the median shrugs off the
    // few such days; leaving them out as well would empty the window of the
    // Geminids (Northern Taurids, Puppid-Velids, sigma-Hydrids before it,
    // Ursids after it) and push the reference days weeks away.
    double interferingZhrAbove = 10;
    // The quiet days of the fallback lie wholly at least this far (degrees of
    // solar longitude) from the catalogue's maximum.
    double quietDaysDistance = 3.0;
    int smoothingHours = 5;         // odd; the running mean that finds the peak
    double minimumElevation = 10.0; // degrees; below it no radiant-corrected excess
    int minimumFitHours = 12;
    // Without the fit (a few tenths of a second), for views that show the
    // excess alone, such as years overlaid.
    bool fitModel = true;
    double searchStep = 0.02; // degrees of solar longitude between the maxima tried
    // Below this many sigma a peak or a fitted amplitude is called weak.
    double weakSignificance = 3.0;
    // Unobserved hours within 12 hours of a maximum that earn a warning.
    int unobservedHoursNearMaximum = 3;
};
