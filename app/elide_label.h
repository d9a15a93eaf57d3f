#pragma once
// TElideLabel: a one-line label that never asks its window for more room than a few
// characters. A text too long for the width it gets is shown cut with "…", and the whole text
// is its tool tip; a short text shows as in any label.

#include <QLabel>

namespace torvel {

class TElideLabel : public QLabel {
    Q_OBJECT

public:
    explicit TElideLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    // Whether the text is shown cut at the present width.
    bool IsElided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString ShownText() const;
    void UpdateToolTip();
};

}  // namespace torvel
