#include "app/ShowerTexts.h"

#include "activity/ActivityWarning.h"
#include "activity/ShowerActivity.h"

#include <QRegularExpression>

#include <array>

namespace {

QString utText(double hour) {
    return QString::fromStdString(formatUtTime(hour)) + QStringLiteral(" UT");
}

QString fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

// Runs of consecutive numbers joined: "2015, 2018-2020". The numbers ascend.
template <typename Number, typename Show>
QString runsText(const std::vector<Number>& numbers, Show show) {
    QStringList runs;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) {
            ++j;
        }
        runs << (j > i ? show(numbers[i]) + QStringLiteral("-") + show(numbers[j])
                       : show(numbers[i]));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

QString daysText(const std::vector<std::int64_t>& days) {
    return runsText(days, [](std::int64_t day) {
        return QString::fromStdString(formatUtTime(static_cast<double>(day * 24)).substr(0, 10));
    });
}

// The core's reasons as it words them, with the window's source text.
struct KnownReason {
    const char* english;
    const char* source;
};
constexpr std::array kReasons = {
    KnownReason{"no observed hours with a background in the activity period",
                QT_TRANSLATE_NOOP("ShowerTexts",
                                  "活動期間にバックグラウンドを求められた観測時間がありません")},
    KnownReason{"no observed reference days for the background",
                QT_TRANSLATE_NOOP("ShowerTexts", "バックグラウンドを求める観測日がありません")},
    KnownReason{
        "no excess over the background in the activity period",
        QT_TRANSLATE_NOOP("ShowerTexts", "活動期間にバックグラウンドを超える時間がありません")},
    KnownReason{"no peak", QT_TRANSLATE_NOOP("ShowerTexts", "ピークがありません")},
    KnownReason{"no excess over the background to fit",
                QT_TRANSLATE_NOOP("ShowerTexts", "当てはめるバックグラウンド超過がありません")},
    KnownReason{"a point without a usable error",
                QT_TRANSLATE_NOOP("ShowerTexts", "誤差を求められない時間があります")},
    KnownReason{"the radiant stayed below the horizon in every observed hour",
                QT_TRANSLATE_NOOP("ShowerTexts", "どの観測時間も放射点が地平線の下でした")},
    KnownReason{"the fit gave no finite values",
                QT_TRANSLATE_NOOP("ShowerTexts", "当てはめの値が有限になりません")},
    KnownReason{"the data show no rise and fall that the profile could follow",
                QT_TRANSLATE_NOOP("ShowerTexts", "データにプロファイルで表せる増減がありません")},
    KnownReason{"the fit did not converge",
                QT_TRANSLATE_NOOP("ShowerTexts", "当てはめが収束しませんでした")},
    KnownReason{"the maximum lies beyond the observed hours (the fit improves up to their end)",
                QT_TRANSLATE_NOOP("ShowerTexts", "極大は観測時間の外にあります "
                                                 "(端に近づくほど当てはまりが良くなります)")},
    KnownReason{"the fit's parameters could not be told apart",
                QT_TRANSLATE_NOOP("ShowerTexts", "当てはめのパラメータを区別できません")},
};

QString maximumName(ActivityMaximum subject) {
    switch (subject) {
    case ActivityMaximum::Catalogue:
        return ShowerTexts::tr("カタログの極大");
    case ActivityMaximum::Peak:
        return ShowerTexts::tr("ピーク");
    case ActivityMaximum::Fit:
        return ShowerTexts::tr("当てはめの極大");
    }
    return {};
}

QString moreText(int count) {
    return count > 0 ? ShowerTexts::tr(" (ほかに %1 個)").arg(count) : QString();
}

// The doubts about the peak and the fit.
QString peakOrFitWarning(const ActivityWarning& w) {
    const bool before = w.side == ActivitySide::Before;
    switch (w.kind) {
    case ActivityWarningKind::PeakTie:
        return ShowerTexts::tr("ピークが同点です: %1 と %2 の移動平均の超過がどちらも %3。"
                               "早い方をピークとしています")
            .arg(utText(w.firstHour), utText(w.secondHour), fixed(w.firstValue, 1));
    case ActivityWarningKind::PeakNearTie:
        return ShowerTexts::tr("ピーク %1 (超過 %2) と別の候補 %3 (超過 %4) の差 %5 ± %6 は"
                               "誤差の範囲内です")
                   .arg(utText(w.firstHour), fixed(w.firstValue, 1), utText(w.secondHour),
                        fixed(w.secondValue, 1), fixed(w.firstValue - w.secondValue, 1),
                        fixed(w.thirdValue, 1)) +
               moreText(w.count);
    case ActivityWarningKind::WeakPeak:
        return ShowerTexts::tr("ピークはバックグラウンドの %1σ 上にすぎません")
            .arg(fixed(w.firstValue, 1));
    case ActivityWarningKind::WeakFit:
        return ShowerTexts::tr("当てはめの振幅は %1σ にすぎません").arg(fixed(w.firstValue, 1));
    case ActivityWarningKind::FitMaximumInGap:
        return ShowerTexts::tr("当てはめの極大 (%1) は観測のない時間 (%2 ～ %3) にあります。"
                               "時刻は前後から推定したものです")
            .arg(utText(w.firstHour), utText(w.secondHour), utText(w.thirdHour));
    case ActivityWarningKind::FitMaximumRadiantDown:
        return ShowerTexts::tr("当てはめの極大 (%1) は放射点が地平線の下 (%2°) にある時刻です。"
                               "時刻は前後から推定したものです")
            .arg(utText(w.firstHour), fixed(w.firstValue, 1));
    case ActivityWarningKind::TwoMinima:
        return ShowerTexts::tr("当てはめに同じくらいの深さの極小が2つあります: 太陽黄経 %1° "
                               "(最良) と %2° (カイ二乗が %3 大きい)")
                   .arg(fixed(w.firstValue, 3), fixed(w.secondValue, 3), fixed(w.thirdValue, 1)) +
               moreText(w.count);
    case ActivityWarningKind::IntervalOpen:
        return (before ? ShowerTexts::tr("極大の範囲が観測時間の始まり (%1°) に届いています。"
                                         "もっと前まで広がるかもしれません")
                       : ShowerTexts::tr("極大の範囲が観測時間の終わり (%1°) に届いています。"
                                         "もっと後まで広がるかもしれません"))
            .arg(fixed(w.firstValue, 3));
    case ActivityWarningKind::SlopeAtCeiling:
        return (before ? ShowerTexts::tr("当てはめの立ち上がりが上限の急さ (%1 /度) です。"
                                         "極大の位置は少数の時間で決まっています")
                       : ShowerTexts::tr("当てはめの立ち下がりが上限の急さ (%1 /度) です。"
                                         "極大の位置は少数の時間で決まっています"))
            .arg(fixed(w.firstValue, 1));
    default:
        return {};
    }
}

// The doubts about what was observed and about the background.
QString coverageWarning(const ActivityWarning& w) {
    switch (w.kind) {
    case ActivityWarningKind::MaximumUnobserved:
        return ShowerTexts::tr("%1 (%2) の前後12時間のうち %3 時間は観測がありません (%4 ～ %5)")
            .arg(maximumName(w.subject), utText(w.firstHour))
            .arg(w.count)
            .arg(utText(w.secondHour), utText(w.thirdHour));
    case ActivityWarningKind::OneSidedBackground:
        return (w.side == ActivitySide::Before
                    ? ShowerTexts::tr(
                          "バックグラウンドは活動期間の前の日 (%1) だけから求めています。"
                          "期間中の散在流星の変化には追随できません")
                    : ShowerTexts::tr(
                          "バックグラウンドは活動期間の後の日 (%1) だけから求めています。"
                          "期間中の散在流星の変化には追随できません"))
            .arg(daysText(w.days));
    case ActivityWarningKind::QuietDaysBackground:
        return ShowerTexts::tr("期間外の参照日が足りないため、バックグラウンドは極大から最も遠い"
                               "観測日 (%1) から求めています")
            .arg(daysText(w.days));
    default:
        return peakOrFitWarning(w);
    }
}

QString fitLine(const ShowerActivity& a) {
    const ProfileFit& f = a.fit;
    if (!f.fitted) {
        return ShowerTexts::tr("当てはめなし: %1").arg(ShowerTexts::reason(f.problem));
    }
    const QString when = a.fitPeakHour ? utText(*a.fitPeakHour) : QString();
    return ShowerTexts::tr("極大 (当てはめ) %1  太陽黄経 %2° (範囲 %3° ～ %4°)  "
                           "超過 %5 ± %6 /時  振幅 %7σ")
        .arg(when, fixed(f.peakSolarLongitude, 3), fixed(f.peakSolarLongitudeLow, 3),
             fixed(f.peakSolarLongitudeHigh, 3), fixed(f.peakExcess, 1),
             fixed(f.peakExcessError, 1), fixed(f.amplitudeSignificance, 1));
}

QString peakLine(const ShowerActivity& a) {
    if (!a.peak) {
        return ShowerTexts::tr("ピークなし: %1").arg(ShowerTexts::reason(a.peakProblem));
    }
    return ShowerTexts::tr("ピーク (移動平均) %1  太陽黄経 %2°  超過 %3 /時  有意度 %4σ  "
                           "参照日 %5 日")
        .arg(utText(a.peak->hour), fixed(a.peak->solarLongitude, 2), fixed(a.peak->excess, 1),
             fixed(a.peak->significance, 1))
        .arg(a.referenceDays.size());
}

} // namespace

QStringList ShowerTexts::summary(const ShowerActivity& a) {
    QStringList lines{fitLine(a), peakLine(a)};
    if (a.fit.fitted && a.fit.withElevation) {
        const ElevationResponse& r = a.fit.response;
        lines << tr("放射点高度 h への応答 sin(h)^%1 cos(h)^%2 (最大 %3°)  換算カイ二乗 %4")
                     .arg(fixed(r.sinePower, 2), fixed(r.cosinePower, 2), fixed(r.bestElevation, 1),
                          fixed(a.fit.reducedChiSquare, 2));
    }
    if (!a.hasCoordinates) {
        lines << tr("観測局の緯度経度がないため放射点高度はありません (設定 > 観測局情報)");
    }
    for (const ActivityWarning& w : a.warnings) {
        lines << tr("注意: %1").arg(warning(w));
    }
    return lines;
}

QString ShowerTexts::warning(const ActivityWarning& w) {
    const QString text = coverageWarning(w);
    return text.isEmpty() ? QString::fromStdString(w.text) : text;
}

QString ShowerTexts::reason(const std::string& english) {
    for (const KnownReason& r : kReasons) {
        if (english == r.english) {
            return tr(r.source);
        }
    }
    static const QRegularExpression tooFew(
        QStringLiteral(R"(^too few observed hours for a fit \((\d+), need (\d+)\)$)"));
    if (const QRegularExpressionMatch m = tooFew.match(QString::fromStdString(english));
        m.hasMatch()) {
        return tr("当てはめには観測時間が足りません (%1 時間、%2 時間必要)")
            .arg(m.captured(1), m.captured(2));
    }
    return QString::fromStdString(english);
}

QString ShowerTexts::years(const std::vector<int>& years) {
    return runsText(years, [](int year) { return QString::number(year); });
}
