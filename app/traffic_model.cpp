#include "app/traffic_model.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>
#include <algorithm>

#include "protocol/traffic_text.h"

namespace torvel {

namespace {

// Faults stand out; leftovers and noise are worth a look but are not failures.
const QColor kErrorText(0x9C, 0x00, 0x06);
const QColor kErrorBack(0xFF, 0xC7, 0xCE);
const QColor kOddBack(0xFF, 0xF2, 0xCC);

bool IsOdd(const TrafficRow& row) {
    return row.state == TrafficState::tsLeftover || row.state == TrafficState::tsNoise;
}

}  // namespace

TrafficModel::TrafficModel(const TrafficRing& ring, QObject* parent)
    : QAbstractTableModel(parent),
      ring_(ring),
      first_(ring.First()),
      end_(ring.First()),
      scanned_(ring.First()),
      frameFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {}

void TrafficModel::SetErrorsOnly(bool errorsOnly) {
    if (errorsOnly == errorsOnly_) return;
    beginResetModel();
    errorsOnly_ = errorsOnly;
    errors_.clear();
    first_ = end_ = scanned_ = ring_.First();
    endResetModel();
    Refresh();
}

void TrafficModel::Refresh() {
    if (errorsOnly_)
        RefreshErrors();
    else
        RefreshAll();
}

void TrafficModel::RefreshAll() {
    const quint64 first = ring_.First();
    const quint64 end = ring_.End();
    if (first >= end_) {
        // Nothing shown survives (a clear, or more new rows than the ring holds).
        if (end_ > first_) {
            beginResetModel();
            first_ = end_ = first;
            endResetModel();
        }
        first_ = end_ = first;
    }
    // A full ring drops as many rows as it takes: the rows shown slide by that many instead
    // of being removed and inserted, which would make the view lay out every row again.
    const quint64 slide = std::min(first - first_, end - end_);
    if (slide > 0) {
        first_ += slide;
        end_ += slide;
        emit dataChanged(index(0, 0), index(rowCount() - 1, tcColumnCount - 1));
    }
    if (first > first_) {
        beginRemoveRows({}, 0, static_cast<int>(first - first_) - 1);
        first_ = first;
        endRemoveRows();
    }
    if (end > end_) {
        const int shown = static_cast<int>(end_ - first_);
        beginInsertRows({}, shown, shown + static_cast<int>(end - end_) - 1);
        end_ = end;
        endInsertRows();
    }
}

void TrafficModel::RefreshErrors() {
    const quint64 first = ring_.First();
    int gone = 0;
    for (auto it = errors_.begin(); it != errors_.end() && *it < first; ++it) ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, gone - 1);
        errors_.erase(errors_.begin(), errors_.begin() + gone);
        endRemoveRows();
    }
    std::vector<quint64> found;
    for (quint64 sequence = std::max(scanned_, first); sequence < ring_.End(); ++sequence) {
        const TrafficRow* row = ring_.Find(sequence);
        if (row && IsTrafficError(*row)) found.push_back(sequence);
    }
    scanned_ = ring_.End();
    if (found.empty()) return;
    const int shown = static_cast<int>(errors_.size());
    beginInsertRows({}, shown, shown + static_cast<int>(found.size()) - 1);
    errors_.insert(errors_.end(), found.begin(), found.end());
    endInsertRows();
}

const TrafficRow* TrafficModel::RowAt(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    const auto index = static_cast<std::size_t>(row);
    return ring_.Find(errorsOnly_ ? errors_[index] : first_ + index);
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return errorsOnly_ ? static_cast<int>(errors_.size()) : static_cast<int>(end_ - first_);
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : tcColumnCount;
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    const TrafficRow* row = RowAt(index.row());
    if (!row) return {};
    switch (role) {
        case Qt::DisplayRole:
            return TrafficCell(*row, index.column());
        case Qt::ForegroundRole:
            if (IsTrafficError(*row) && !IsOdd(*row)) return QBrush(kErrorText);
            return {};
        case Qt::BackgroundRole:
            if (IsOdd(*row)) return QBrush(kOddBack);
            if (IsTrafficError(*row)) return QBrush(kErrorBack);
            return {};
        case Qt::FontRole:
            if (index.column() == tcFrame) return frameFont_;
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == tcTime || index.column() == tcRoundTrip)
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return TrafficColumnTitle(section);
}

}  // namespace torvel
