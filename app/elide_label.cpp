#include "app/elide_label.h"

#include <QPainter>
#include <QStyle>

namespace torvel {

namespace {

constexpr int kMinimumCharacters = 6;

}  // namespace

TElideLabel::TElideLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize TElideLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    return {
        fontMetrics().averageCharWidth() * kMinimumCharacters + margins.left() + margins.right(),
        QLabel::minimumSizeHint().height()};
}

QString TElideLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

bool TElideLabel::IsElided() const {
    return ShownText() != text();
}

void TElideLabel::UpdateToolTip() {
    const QString tip = IsElided() ? text() : QString();
    if (toolTip() != tip) setToolTip(tip);
}

void TElideLabel::paintEvent(QPaintEvent*) {
    // The text may have changed since the last resize.
    UpdateToolTip();
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

void TElideLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    UpdateToolTip();
}

}  // namespace torvel
