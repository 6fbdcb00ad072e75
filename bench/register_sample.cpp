// Writes a class register as the game writes it, one appendToRegister a
// game, for trying the register window by hand and for its screenshots:
//   register_sample FOLDER [GAMES] [DAYS] [PUPILS]
// Six pupils (or PUPILS, the others with long names) over the last three
// weeks (or DAYS days) up to now, some of them typing their names in other
// ways. Over a school year nobody plays on Saturdays, Sundays, in July or
// in August.
#include "record/RecordFolder.h"
#include "record/Register.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>

namespace {

QStringList pupilNames(int pupils)
{
    QStringList names{QStringLiteral("Bea"), QStringLiteral("bea "), QStringLiteral("Ugo"),
                      QStringLiteral("Niccolò"), QStringLiteral("Anna \"la rossa\""), QStringLiteral("=Leo"),
                      QStringLiteral("Sara"), QStringLiteral("SARA")};
    const QStringList first{QStringLiteral("Maria Vittoria"), QStringLiteral("Gianluca"), QStringLiteral("Francesca"),
                            QStringLiteral("Pierpaolo"), QStringLiteral("Giovanni Battista")};
    const QStringList last{QStringLiteral("Lombardi Benedetti"), QStringLiteral("Esposito"),
                           QStringLiteral("Dell'Acqua Bianchi"), QStringLiteral("Ricci"), QStringLiteral("Colombo")};
    for (int i = 6; i < pupils; ++i)
        names.append(QStringLiteral("%1 %2 %3").arg(first[i % first.size()], last[(i / first.size()) % last.size()]).arg(i));
    return names;
}

bool schoolDay(const QDate &day) { return day.dayOfWeek() < 6 && day.month() != 7 && day.month() != 8; }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("uso: register_sample CARTELLA [PARTITE] [GIORNI] [ALUNNI]\n", stderr);
        return 2;
    }
    recordio::RecordFolder folder{QByteArray(argv[1])};
    if (folder.make(recordio::RecordFolder::Making::WithParents) != 0 || folder.open() != 0) {
        std::fputs("la cartella non si può usare\n", stderr);
        return 1;
    }
    const int games = argc > 2 ? std::atoi(argv[2]) : 120;
    const int days = argc > 3 ? qMax(1, std::atoi(argv[3])) : 21;
    const QStringList names = pupilNames(argc > 4 ? std::atoi(argv[4]) : 6);
    QRandomGenerator random(22);
    const QDateTime now = QDateTime::currentDateTime();
    QList<QDate> schoolDays;
    for (QDate day = now.date().addDays(1 - days); days > 60 && day < now.date(); day = day.addDays(1))
        if (schoolDay(day))
            schoolDays.append(day);
    int record = 0;
    for (int i = 0; i < games; ++i) {
        const QString name = names[random.bounded(int(names.size()))];
        // Each pupil a little better with practice; Ugo a little worse.
        const int skill = 4 + (name.startsWith(u'U') ? -i * 120 / games / 40 : i * 120 / games / 30) + int(name.size() % 3);
        const int right = qMax(0, skill + random.bounded(-2, 4));
        const int wrong = random.bounded(0, 5);
        QDateTime when = now.addSecs(-qint64(games - i) * days * 86'400 / games);
        // A school year: games in school hours of school days only.
        if (!schoolDays.isEmpty())
            when = QDateTime(schoolDays[qsizetype(i) * schoolDays.size() / games], QTime(8, 0).addSecs(random.bounded(6 * 3600)));
        RegisterEntry entry{when, name, right, wrong, right + wrong, right > record,
                            QStringLiteral("alunno%1").arg(names.indexOf(name) % 6 + 1)};
        record = qMax(record, right);
        if (appendToRegister(folder, entry).happened != record::Happened::Added) {
            std::fputs("il registro non si può scrivere\n", stderr);
            return 1;
        }
    }
    return 0;
}
