#pragma once
// A tab widget whose user-driven page switches (click, wheel, arrow keys, Ctrl+Tab, the tab
// captions' accelerators) ask a guard first; setCurrentIndex from code is never refused.
// QTabWidget itself has no veto on a change, hence the tab bar that swallows the request.

#include <QTabBar>
#include <QTabWidget>
#include <functional>

namespace torvel {

class GuardedTabBar : public QTabBar {
    Q_OBJECT
public:
    using Guard = std::function<bool()>;

    explicit GuardedTabBar(QWidget* parent = nullptr);
    void SetGuard(Guard guard) { guard_ = std::move(guard); }
    bool SwitchAllowed() const { return !guard_ || guard_(); }

protected:
    bool event(QEvent* event) override;
    QSize tabSizeHint(int index) const override;

private:
    Guard guard_;
};

class GuardedTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit GuardedTabWidget(QWidget* parent = nullptr);
    // Asked before every page switch the user starts; true allows it.
    void SetChangeGuard(GuardedTabBar::Guard guard);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    GuardedTabBar* bar_;
};

}  // namespace torvel
