#include "registerview/PupilTableModel.h"

#include "registerview/PupilColumns.h"

#include <QHash>

void PupilTableModel::setPupils(const QList<PupilSummary> &pupils)
{
    QHash<QString, qsizetype> fresh;
    for (qsizetype i = 0; i < pupils.size(); ++i)
        fresh.insert(pupils[i].key, i);
    for (qsizetype row = m_pupils.size() - 1; row >= 0; --row) {
        if (!fresh.contains(m_pupils[row].key)) {
            beginRemoveRows({}, int(row), int(row));
            m_pupils.remove(row);
            endRemoveRows();
        }
    }
    QHash<QString, qsizetype> kept;
    for (qsizetype row = 0; row < m_pupils.size(); ++row) {
        kept.insert(m_pupils[row].key, row);
        m_pupils[row] = pupils[fresh.value(m_pupils[row].key)];
    }
    if (!m_pupils.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    for (const PupilSummary &pupil : pupils) {
        if (kept.contains(pupil.key))
            continue;
        beginInsertRows({}, rowCount(), rowCount());
        m_pupils.append(pupil);
        endInsertRows();
    }
}

int PupilTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_pupils.size()); }

int PupilTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(pupilColumns().size());
}

QVariant PupilTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_pupils.size())
        return {};
    const PupilSummary &pupil = m_pupils[index.row()];
    const PupilColumn &column = pupilColumns()[index.column()];
    switch (role) {
    case Qt::DisplayRole: return column.text(pupil);
    // A screen reader reads the row as one sentence where it enters it, at
    // the name; the other cells say their column and value.
    case Qt::AccessibleTextRole:
        return index.column() == kNameColumn ? pupilSentence(pupil)
                                             : QStringLiteral("%1: %2").arg(QLatin1StringView(column.header), column.text(pupil));
    case Qt::ToolTipRole: return pupilSentence(pupil);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (column.number ? Qt::AlignRight : Qt::AlignLeft));
    case kSortRole:
        return column.sortKey ? QVariant(column.sortKey(pupil)) : QVariant(shownName(pupil.name).toCaseFolded());
    case kKeyRole: return pupil.key;
    case kSearchRole: return (QStringList{pupil.name} + pupil.variants).join(u'\n');
    default: return {};
    }
}

QVariant PupilTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return QString::fromUtf8(pupilColumns()[section].header);
    return {};
}
