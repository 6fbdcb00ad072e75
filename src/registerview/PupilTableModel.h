#pragma once

#include "registerview/ClassSummary.h"

#include <QAbstractTableModel>

// One row per pupil, the columns of pupilColumns(). Sorted and filtered by a
// QSortFilterProxyModel through kSortRole; each row reads, for a screen
// reader, as one sentence.
class PupilTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kKeyRole = Qt::UserRole + 1;
    static constexpr int kSearchRole = Qt::UserRole + 2; // the name and every form typed

    using QAbstractTableModel::QAbstractTableModel;

    // New figures. Pupils already shown keep their rows (and so the
    // selection), gone ones are removed and new ones added at the end.
    void setPupils(const QList<PupilSummary> &pupils);
    const QList<PupilSummary> &pupils() const { return m_pupils; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<PupilSummary> m_pupils;
};
