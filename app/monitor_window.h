#pragma once
// "Монитор обмена": a non-modal window over the traffic of the exchange. While it is shown,
// its recorder is the exchange's observer; closed, it detaches and the exchange pays nothing.
// Closing it ends nothing: the rows stay for the next time it is opened.

#include <QDialog>
#include <functional>

#include "app/dialog_seam.h"
#include "protocol/traffic.h"

class QCheckBox;
class QLabel;
class QTableView;
class QTimer;

namespace torvel {

class TExchange;
class TrafficModel;

class TMonitorWindow : public QDialog {
    Q_OBJECT
public:
    // `clock`: the session's monotonic clock in nanoseconds. `exchange` must outlive the window.
    TMonitorWindow(TExchange& exchange, std::function<qint64()> clock, QWidget* parent = nullptr,
                   std::size_t capacity = kDefaultTrafficRows);
    ~TMonitorWindow() override;

    // "Сохранить ...": the rows shown as text (a tab between columns) or as ".csv", by the
    // filter chosen; Windows-1251, CR LF.
    void SaveExecute();
    // Catches the view and the statistics up with the recorder (the window does it five times
    // a second while shown).
    void Refresh();

    TrafficRecorder& Recorder() { return recorder_; }
    TrafficModel* Model() const { return model_; }
    QTableView* View() const { return view_; }
    DialogSeam& Dialogs() { return dialogs_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void CreateToolBar();
    void CreateView();
    void CreateStats();
    void ClearRows();
    void ShowStats();
    void RefreshWhenQuiet();

    TExchange& exchange_;
    TrafficRecorder recorder_;
    DialogSeam dialogs_;
    TrafficModel* model_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* counters_ = nullptr;
    QLabel* roundTrips_ = nullptr;
    QLabel* volume_ = nullptr;
    QTimer* refresh_ = nullptr;
    // A refresh waits for the next request to go out.
    bool refreshDue_ = false;
};

// The rows of `model` as one Windows-1251 line each, CR LF ended: columns joined by a tab, or
// as ".csv" values.
QByteArray TrafficExport(const TrafficModel& model, bool csv);

}  // namespace torvel
