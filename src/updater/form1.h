#pragma once
// The update utility's only window: it tells the user that an update is running.

#include <QWidget>

class QLabel;

class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    QLabel* Label1 = nullptr;
};
