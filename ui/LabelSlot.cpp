#include "ui/LabelSlot.h"

#include <QLabel>

LabelSlot::LabelSlot(QLabel *label, QWidget *parent) : QWidget(parent), m_label(label)
{
    label->setParent(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// One line of the label's font, as wide as the layout makes it.
QSize LabelSlot::sizeHint() const
{
    return {0, m_label->fontMetrics().height() + 2 * m_label->margin()};
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
