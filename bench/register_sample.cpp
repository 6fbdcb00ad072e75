// Writes a class register as the game writes it, one appendToRegister a
// game, for trying the register window by hand and for its screenshots:
//   register_sample FOLDER [GAMES]
// Six pupils over the last three weeks up to now, some of them typing
// their names in other ways.
#include "record/RecordFolder.h"
#include "record/Register.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("uso: register_sample CARTELLA [PARTITE]\n", stderr);
        return 2;
    }
    recordio::RecordFolder folder{QByteArray(argv[1])};
    if (folder.make(recordio::RecordFolder::Making::WithParents) != 0 || folder.open() != 0) {
        std::fputs("la cartella non si può usare\n", stderr);
        return 1;
    }
    const int games = argc > 2 ? std::atoi(argv[2]) : 120;
    const QStringList names{QStringLiteral("Bea"), QStringLiteral("bea "), QStringLiteral("Ugo"),
                            QStringLiteral("Niccolò"), QStringLiteral("Anna \"la rossa\""), QStringLiteral("=Leo"),
                            QStringLiteral("Sara"), QStringLiteral("SARA")};
    QRandomGenerator random(22);
    const QDateTime now = QDateTime::currentDateTime();
    int record = 0;
    for (int i = 0; i < games; ++i) {
        const QString name = names[random.bounded(int(names.size()))];
        // Each pupil a little better with practice; Ugo a little worse.
        const int skill = 4 + (name.startsWith(u'U') ? -i / 40 : i / 30) + int(name.size() % 3);
        const int right = qMax(0, skill + random.bounded(-2, 4));
        const int wrong = random.bounded(0, 5);
        const QDateTime when = now.addSecs(-qint64(games - i) * 21 * 86'400 / games);
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
