#pragma once
// The borderless splash window that covers Tevo's start-up.

#include <QWidget>

class QLabel;

class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    QLabel *Image1;
};
