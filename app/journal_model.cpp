#include "app/journal_model.h"

namespace torvel {

namespace {

enum Column { kTime, kTitle, kDescription, kColumnCount };

}  // namespace

JournalModel::JournalModel(QList<TLogRecord> entries, QObject* parent)
    : QAbstractTableModel(parent), entries_(std::move(entries)) {}

int JournalModel::rowCount(const QModelIndex& parent) const {
    // A view can address at most INT_MAX rows; no journal comes near that.
    return parent.isValid() ? 0 : int(qMin<qsizetype>(entries_.size(), INT_MAX));
}

int JournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entries_.size()) return {};
    const TLogRecord& entry = entries_[index.row()];
    switch (index.column()) {
        case kTime:
            return entry.Time;
        case kTitle:
            return entry.Title;
        case kDescription:
            return entry.Description;
        default:
            return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
        case kTime:
            return QStringLiteral("Время");
        case kTitle:
            return QStringLiteral("Событие");
        case kDescription:
            return QStringLiteral("Примечание");
        default:
            return {};
    }
}

}  // namespace torvel
