#include "registerview/PupilColumns.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace {

QString number(int value) { return QString::number(value); }

QString shareText(const PupilSummary &p)
{
    const auto share = p.rightShare();
    return share ? QStringLiteral("%1 %").arg(std::lround(*share * 100)) : QStringLiteral("–");
}

QString trendText(const PupilSummary &p)
{
    if (!p.trend)
        return QStringLiteral("–");
    const QString figure = decimal(*p.trend);
    return (*p.trend > 0 && figure != decimal(0) ? QStringLiteral("+") : QString()) + figure;
}

QString variantsText(const PupilSummary &p)
{
    QStringList quoted;
    for (const QString &variant : p.variants)
        quoted.append(QStringLiteral("«%1»").arg(variant));
    return quoted.join(QStringLiteral(", "));
}

double noTrendLast(const PupilSummary &p) { return p.trend.value_or(-1e9); }

const PupilColumn kColumns[] = {
    {"Alunno", [](const PupilSummary &p) { return shownName(p.name); }, nullptr, false},
    // Who played, as the computer knows them: registers older than this
    // column leave it empty.
    {"Account", [](const PupilSummary &p) { return p.accounts.join(QStringLiteral(", ")); }, nullptr, false},
    {"Partite", [](const PupilSummary &p) { return number(p.games); }, [](const PupilSummary &p) { return double(p.games); }, true},
    {"Ultima partita", [](const PupilSummary &p) { return momentText(p.lastMoment); }, [](const PupilSummary &p) { return double(p.lastMoment); }, false},
    {"Record", [](const PupilSummary &p) { return number(p.best); }, [](const PupilSummary &p) { return double(p.best); }, true},
    {"Media", [](const PupilSummary &p) { return decimal(p.average); }, [](const PupilSummary &p) { return p.average; }, true},
    {"Esatte", shareText, [](const PupilSummary &p) { return p.rightShare().value_or(-1); }, true},
    {"Andamento", trendText, noTrendLast, true},
    {"Scritto anche", variantsText, [](const PupilSummary &p) { return double(p.variants.size()); }, false},
};

} // namespace

std::span<const PupilColumn> pupilColumns() { return kColumns; }

QString decimal(double value)
{
    // "-0,0" would read as a fall.
    const double rounded = std::round(value * 10) / 10;
    static const QLocale italian = [] {
        QLocale locale(QLocale::Italian);
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale;
    }();
    return italian.toString(rounded == 0 ? 0.0 : rounded, 'f', 1);
}

QString shownName(const QString &name)
{
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("(senza nome)") : trimmed;
}

QString momentText(qint64 moment, const QString &format)
{
    const QDate date = QDate::fromJulianDay(moment / 86'400);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(moment % 86'400) * 1000);
    return date.toString(format.section(u' ', 0, 0)) + u' ' + time.toString(format.section(u' ', 1));
}

QString pupilSentence(const PupilSummary &p)
{
    QString trend = QStringLiteral("andamento non ancora calcolabile");
    if (p.trend && decimal(*p.trend) == decimal(0))
        trend = QStringLiteral("andamento stabile");
    else if (p.trend)
        trend = QStringLiteral("%1 di %2 punti")
                    .arg(*p.trend > 0 ? QStringLiteral("in crescita") : QStringLiteral("in calo"), decimal(std::abs(*p.trend)));
    const QString last = momentText(p.lastMoment);
    QString sentence =
        QStringLiteral("%1: %2 %3, record %4, media %5, %6, ultima partita il %7 alle %8, %9")
            .arg(shownName(p.name), number(p.games), p.games == 1 ? QStringLiteral("partita") : QStringLiteral("partite"),
                 number(p.best), decimal(p.average),
                 p.rightShare() ? shareText(p) + QStringLiteral(" di risposte esatte") : QStringLiteral("nessuna risposta"),
                 last.left(10), last.mid(11), trend);
    if (!p.variants.isEmpty())
        sentence += QStringLiteral(", scritto anche ") + variantsText(p);
    return sentence;
}
