#pragma once
// The exchange monitor's rows, read straight from the recorder's ring. The model follows the
// ring in batches (Refresh): rows the ring dropped leave the top, new ones join the bottom,
// so a full ring of 100,000 rows costs the view no more than a short one.

#include <QAbstractTableModel>
#include <QFont>
#include <deque>

#include "protocol/traffic.h"

namespace torvel {

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TrafficModel(const TrafficRing& ring, QObject* parent = nullptr);

    // Only rows that are not a request or a sound reply.
    void SetErrorsOnly(bool errorsOnly);
    bool ErrorsOnly() const { return errorsOnly_; }
    // Catches up with the ring.
    void Refresh();
    // Null when the ring has dropped the row since the last Refresh.
    const TrafficRow* RowAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void RefreshAll();
    void RefreshErrors();

    const TrafficRing& ring_;
    bool errorsOnly_ = false;
    // All rows: the sequence numbers [first_, end_) are shown.
    quint64 first_ = 0;
    quint64 end_ = 0;
    // Errors only: the numbers shown, and how far the ring has been looked through.
    std::deque<quint64> errors_;
    quint64 scanned_ = 0;
    QFont frameFont_;
};

}  // namespace torvel
