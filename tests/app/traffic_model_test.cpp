// The monitor's model over a small ring: it shows the newest rows, slides when the ring is
// full instead of removing and inserting (which would lay out every row of the view again),
// and its errors-only view forgets rows the ring has dropped.
#include "app/traffic_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "protocol/traffic_text.h"

namespace {

using namespace torvel;

TrafficRow Row(qint64 n, TrafficState state = TrafficState::tsSent) {
    TrafficRow row;
    row.at = n * 1'000'000;
    row.state = state;
    return row;
}

QStringList Times(const TrafficModel& model) {
    QStringList times;
    for (int row = 0; row < model.rowCount(); ++row)
        times.append(model.data(model.index(row, tcTime)).toString());
    return times;
}

TEST(TrafficModel, ShowsTheNewestRowsAndSlidesOnceTheRingIsFull) {
    TrafficRing ring(4);
    TrafficModel model(ring);
    for (int n = 1; n <= 3; ++n) ring.Append(Row(n));
    model.Refresh();
    EXPECT_EQ(Times(model), (QStringList{"1.000", "2.000", "3.000"}));

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int n = 4; n <= 6; ++n) ring.Append(Row(n));
    model.Refresh();
    EXPECT_EQ(Times(model), (QStringList{"3.000", "4.000", "5.000", "6.000"}));
    // Two rows slid through, one joined the bottom; none was removed.
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(inserted.count(), 1);

    // More new rows than the ring holds between two refreshes: only the newest are shown.
    for (int n = 7; n <= 16; ++n) ring.Append(Row(n));
    model.Refresh();
    EXPECT_EQ(Times(model), (QStringList{"13.000", "14.000", "15.000", "16.000"}));

    ring.Clear();
    model.Refresh();
    EXPECT_EQ(model.rowCount(), 0);
    ring.Append(Row(20));
    model.Refresh();
    EXPECT_EQ(Times(model), QStringList{"20.000"});
}

TEST(TrafficModel, ErrorsOnlyKeepsFaultRowsTheRingStillHolds) {
    TrafficRing ring(4);
    TrafficModel model(ring);
    ring.Append(Row(1, TrafficState::tsTimeout));
    ring.Append(Row(2, TrafficState::tsOk));
    ring.Append(Row(3, TrafficState::tsBadLrc));
    model.SetErrorsOnly(true);
    EXPECT_EQ(Times(model), (QStringList{"1.000", "3.000"}));
    EXPECT_EQ(model.data(model.index(0, tcState), Qt::BackgroundRole).isValid(), true);

    ring.Append(Row(4, TrafficState::tsSent));
    ring.Append(Row(5, TrafficState::tsNoise));  // pushes row 1 out
    model.Refresh();
    EXPECT_EQ(Times(model), (QStringList{"3.000", "5.000"}));

    model.SetErrorsOnly(false);
    EXPECT_EQ(Times(model), (QStringList{"2.000", "3.000", "4.000", "5.000"}));
    EXPECT_FALSE(model.data(model.index(0, tcState), Qt::BackgroundRole).isValid());
}

}  // namespace
