#include "ui/LabelSlot.h"

#include <QLabel>

#include <algorithm>

LabelSlot::LabelSlot(QLabel *label, QWidget *parent, int lines)
    : QWidget(parent), m_label(label), m_lines(std::max(1, lines))
{
    label->setParent(this);
    if (m_lines > 1) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// Its lines of the label's font, as wide as the layout makes it.
QSize LabelSlot::sizeHint() const
{
    return {0, m_lines * m_label->fontMetrics().lineSpacing() + 2 * m_label->margin()};
}

QSize LabelSlot::minimumSizeHint() const
{
    return sizeHint();
}

void LabelSlot::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_label->setGeometry(rect());
}
