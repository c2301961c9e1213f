#pragma once
// A push button that shortens a caption too long for it with "…" and shows it whole as a tooltip.

#include <QPushButton>

// The caption itself (text()) stays as it is, since the commands read their buttons' captions;
// only the painting shortens it.
class ElidingButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

    // Whether the caption is wider than the room the button has for it.
    bool isElided() const;
    // The tooltip is the whole caption while it is shortened, else none.
    void updateElidedToolTip();

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int textRoom() const;
};
