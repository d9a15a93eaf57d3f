#pragma once
// The journal viewer's rows, read straight from a snapshot of the entries so that a million
// of them cost no widget items.

#include <QAbstractTableModel>
#include <QList>

#include "session/log_file.h"

namespace torvel {

class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit JournalModel(QList<TLogRecord> entries, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const QList<TLogRecord>& Entries() const { return entries_; }

private:
    QList<TLogRecord> entries_;
};

}  // namespace torvel
