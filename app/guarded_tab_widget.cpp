#include "app/guarded_tab_widget.h"

#include <QKeyEvent>

namespace torvel {

namespace {

constexpr int kTabWidth = 100;

bool IsUserSwitchRequest(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::Shortcut:  // a tab caption's accelerator
            return true;
        default:
            return false;
    }
}

bool IsPageSwitchKey(const QKeyEvent& key) {
    if (!key.modifiers().testFlag(Qt::ControlModifier)) return false;
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

}  // namespace

GuardedTabBar::GuardedTabBar(QWidget* parent) : QTabBar(parent) {}

bool GuardedTabBar::event(QEvent* event) {
    if (IsUserSwitchRequest(event->type()) && !SwitchAllowed()) {
        event->accept();
        return true;
    }
    return QTabBar::event(event);
}

QSize GuardedTabBar::tabSizeHint(int index) const {
    QSize size = QTabBar::tabSizeHint(index);
    if (shape() == QTabBar::RoundedNorth || shape() == QTabBar::TriangularNorth)
        size.setWidth(qMax(size.width(), kTabWidth));
    return size;
}

GuardedTabWidget::GuardedTabWidget(QWidget* parent)
    : QTabWidget(parent), bar_(new GuardedTabBar(this)) {
    bar_->setObjectName(QStringLiteral("PageControlTabBar"));
    setTabBar(bar_);
}

void GuardedTabWidget::SetChangeGuard(GuardedTabBar::Guard guard) {
    bar_->SetGuard(std::move(guard));
}

void GuardedTabWidget::keyPressEvent(QKeyEvent* event) {
    if (IsPageSwitchKey(*event) && !bar_->SwitchAllowed()) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

}  // namespace torvel
