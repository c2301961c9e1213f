#include "ui/ElidingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace {
// The room a button's frame and margins leave around its caption.
constexpr int CaptionPadding = 12;
} // namespace

int ElidingButton::textRoom() const
{
    return std::max(0, width() - CaptionPadding);
}

bool ElidingButton::isElided() const
{
    return fontMetrics().horizontalAdvance(text()) > textRoom();
}

void ElidingButton::updateElidedToolTip()
{
    const QString tip = isElided() ? text() : QString();
    if (toolTip() != tip)
        setToolTip(tip);
}

// Any width will do: the caption is shortened to fit.
QSize ElidingButton::minimumSizeHint() const
{
    return {CaptionPadding, QPushButton::minimumSizeHint().height()};
}

void ElidingButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text =
        fontMetrics().elidedText(text(), Qt::ElideRight, textRoom(), Qt::TextShowMnemonic);
    painter.drawControl(QStyle::CE_PushButton, option);
}

void ElidingButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    updateElidedToolTip();
}
