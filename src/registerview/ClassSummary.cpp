#include "registerview/ClassSummary.h"

#include <QHash>
#include <QMap>

#include <algorithm>

namespace {

// The games in the period, oldest first (a register edited in a
// spreadsheet may be out of order).
QList<RegisterGame> inPeriod(const QList<RegisterGame> &games, const Period &period, const QDate &today)
{
    const qint64 first = period.firstDay(today);
    const qint64 last = period.lastDay(today);
    QList<RegisterGame> kept;
    kept.reserve(games.size());
    for (const RegisterGame &game : games)
        if (game.day >= first && game.day <= last)
            kept.append(game);
    const auto earlier = [](const RegisterGame &a, const RegisterGame &b) { return a.moment() < b.moment(); };
    if (!std::is_sorted(kept.cbegin(), kept.cend(), earlier))
        std::stable_sort(kept.begin(), kept.end(), earlier);
    return kept;
}

double mean(const QList<int> &scores, qsizetype from, qsizetype count)
{
    double sum = 0;
    for (qsizetype i = from; i < from + count; ++i)
        sum += scores[i];
    return sum / double(count);
}

std::optional<double> trendOf(const QList<int> &scores)
{
    const qsizetype span = qMin<qsizetype>(5, scores.size() / 2);
    if (span == 0)
        return std::nullopt;
    const qsizetype n = scores.size();
    return mean(scores, n - span, span) - mean(scores, n - 2 * span, span);
}

struct Forms
{
    QList<int> names; // name indices in order of first use
    QHash<int, int> uses;
};

} // namespace

QString pupilKey(const QString &name) { return name.trimmed().toCaseFolded(); }

std::optional<double> PupilSummary::rightShare() const
{
    if (answers == 0)
        return std::nullopt;
    return double(right) / double(answers);
}

ClassSummary summarize(const QList<RegisterGame> &games, const QStringList &names, const Period &period,
                       const QDate &today, const QStringList &accounts)
{
    ClassSummary summary;
    QList<int> pupilOfName(names.size(), -1);
    QHash<QString, int> pupilOfKey;
    QList<QList<int>> scores;
    QList<Forms> forms;
    QMap<qint64, DayAverage> days;
    for (const RegisterGame &game : inPeriod(games, period, today)) {
        int &pupil = pupilOfName[game.name];
        if (pupil < 0) {
            const QString key = pupilKey(names[game.name]);
            pupil = pupilOfKey.value(key, -1);
            if (pupil < 0) {
                pupil = int(summary.pupils.size());
                pupilOfKey.insert(key, pupil);
                summary.pupils.append(PupilSummary());
                summary.pupils.back().key = key;
                scores.append(QList<int>());
                forms.append(Forms());
            }
        }
        PupilSummary &row = summary.pupils[pupil];
        if (row.games++ == 0)
            row.firstMoment = game.moment();
        row.lastMoment = game.moment();
        row.best = qMax(row.best, game.right);
        row.right += game.right;
        row.answers += game.total;
        scores[pupil].append(game.right);
        if (game.account >= 0 && game.account < accounts.size() && !row.accounts.contains(accounts[game.account]))
            row.accounts.append(accounts[game.account]);
        Forms &used = forms[pupil];
        if (!used.uses.contains(game.name))
            used.names.append(game.name);
        ++used.uses[game.name];

        DayAverage &day = days[game.day];
        day.day = game.day;
        day.average += game.right; // the sum, until divided below
        ++day.games;
        ++summary.games;
        summary.best = qMax(summary.best, game.right);
    }
    for (qsizetype i = 0; i < summary.pupils.size(); ++i) {
        PupilSummary &row = summary.pupils[i];
        row.average = mean(scores[i], 0, scores[i].size());
        row.trend = trendOf(scores[i]);
        const Forms &used = forms[i];
        // The first of the forms typed most often.
        const int shown = *std::max_element(used.names.cbegin(), used.names.cend(),
                                            [&used](int a, int b) { return used.uses[a] < used.uses[b]; });
        row.name = names[shown];
        for (const int form : used.names)
            if (form != shown)
                row.variants.append(names[form]);
    }
    for (DayAverage day : days) {
        day.average /= day.games;
        summary.days.append(day);
    }
    return summary;
}

QList<RegisterGame> pupilGames(const QList<RegisterGame> &games, const QStringList &names, const QString &key,
                               const Period &period, const QDate &today)
{
    QList<bool> isTheirs(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        isTheirs[i] = pupilKey(names[i]) == key;
    QList<RegisterGame> mine;
    for (const RegisterGame &game : inPeriod(games, period, today))
        if (isTheirs[game.name])
            mine.append(game);
    return mine;
}
