#include "registerview/SummaryCsv.h"

#include "fileformats/RegisterFormat.h"
#include "registerview/PupilColumns.h"


QByteArray summaryCsv(const QList<PupilSummary> &pupils)
{
    QByteArray text = "Nome;Partite;Ultima partita;Record;Media;Esatte (%);Andamento;Scritto anche\r\n";
    for (const PupilSummary &p : pupils) {
        const auto share = p.rightShare();
        const QByteArray fields[] = {
            registerField(shownName(p.name)),
            QByteArray::number(p.games),
            momentText(p.lastMoment, QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8(),
            QByteArray::number(p.best),
            decimal(p.average).toUtf8(),
            share ? decimal(*share * 100).toUtf8() : QByteArray(),
            p.trend ? decimal(*p.trend).toUtf8() : QByteArray(),
            registerField(pupilColumns()[kVariantsColumn].text(p)),
        };
        for (const QByteArray &field : fields)
            text += field + ';';
        text.chop(1);
        text += "\r\n";
    }
    return text;
}
