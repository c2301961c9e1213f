#pragma once
// A place in a layout for a label whose text changes all the time, such as the progress text.

#include <QWidget>

class QLabel;

// Holds one label and gives it the whole of its own area. The slot's size never depends on the
// label's text, so a new text repaints the label alone. A label placed straight in the layout
// would have the window laid out and repainted again for every change, which took milliseconds
// at each progress report.
class LabelSlot : public QWidget
{
public:
    // lines > 1 lets the label wrap its text at blanks onto that many lines.
    LabelSlot(QLabel *label, QWidget *parent, int lines = 1);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label;
    int m_lines;
};
