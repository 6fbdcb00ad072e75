#include "fileformats/RegisterFormat.h"

namespace registerformat {

namespace {
const QString &formulaStarts()
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return starts;
}
} // namespace

bool startsLikeFormula(const QString &text) { return !text.isEmpty() && formulaStarts().contains(text.front()); }

QString withoutFormulaGuard(QString text)
{
    if (text.size() >= 2 && text.front() == u'\'' && formulaStarts().contains(text[1]))
        text.remove(0, 1);
    return text;
}

} // namespace registerformat

using namespace registerformat;

QByteArray registerField(const QString &given)
{
    QString text = given;
    if (startsLikeFormula(text))
        text.prepend(u'\'');
    const bool quoted = text.contains(u';') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')
                        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (quoted)
        text = u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return text.toUtf8();
}

QByteArray registerHeader() { return QByteArrayLiteral("Data;Ora;Nome;Esatte;Errate;Totali;Record;Account\r\n"); }

QByteArray registerLine(const RegisterEntry &entry)
{
    QByteArray fields[ColumnCount];
    fields[Date] = entry.endedAt.toString(QLatin1String(kDateFormat)).toUtf8();
    fields[Time] = entry.endedAt.toString(QLatin1String(kTimeFormat)).toUtf8();
    fields[Name] = registerField(entry.name);
    fields[Right] = QByteArray::number(entry.right);
    fields[Wrong] = QByteArray::number(entry.wrong);
    fields[Total] = QByteArray::number(entry.total);
    fields[Record] = entry.newRecord ? QByteArray(kYes) : QByteArray(kNo);
    fields[Account] = registerField(entry.account);
    QByteArray line;
    for (const QByteArray &field : fields)
        line += field + kSeparator;
    line.chop(1);
    return line + "\r\n";
}
