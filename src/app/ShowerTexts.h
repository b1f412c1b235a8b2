#pragma once
// The shower page's words for the core's analysis, in the window's language:
// the lines beside the chart (the fitted maximum as the headline, the peak of
// the running mean with its significance, every warning) and the reasons why
// there is no peak or no fit. The core gives the warnings as values (kind,
// times, numbers) and its reasons in English for the command line; the page
// words them here, so a change of language needs only a new call.

#include <QCoreApplication>
#include <QStringList>

#include <string>

struct ActivityWarning;
struct ShowerActivity;

class ShowerTexts {
    Q_DECLARE_TR_FUNCTIONS(ShowerTexts)
public:
    // The headline, the peak, the response to the radiant's elevation and one
    // line per warning; a note when the station's place is unknown.
    static QStringList summary(const ShowerActivity& activity);
    static QString warning(const ActivityWarning& warning);
    // A reason the core gives in English, in the window's language; a reason
    // not known here is shown as the core wrote it.
    static QString reason(const std::string& english);
    // "2015, 2016, 2018-2020": the years, runs joined.
    static QString years(const std::vector<int>& years);
};
