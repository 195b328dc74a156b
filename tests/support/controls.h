#pragma once
// Finds the window's controls the way assistive technology and UI automation do, by objectName
// ("Parttxt", array elements "OrderInfoTxt(1)"), and drives them as a user and the timer do.

#include <QObject>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

template <class Control>
Control* control(const QObject& form, const char* name, qsizetype index = -1)
{
    QString objectName = QString::fromLatin1(name);
    if (index >= 0)
        objectName += u'(' + QString::number(index) + u')';
    auto* found = form.findChild<Control*>(objectName);
    if (!found)
        qFatal("no control %s", qPrintable(objectName));
    return found;
}

// Moves the focus to the control from whichever control had it, as a click or Tab does, in the
// active window: the window's focus handlers run as for a user's move.
inline void moveFocus(QWidget* control)
{
    QWidget* window = control->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window not active");
    control->setFocus(Qt::OtherFocusReason);
}

// One tick of the window's timer ("MiscTimer"), as when it times out: the first one reads the
// settings, every one does the housekeeping. Window tests stop the timer and tick by hand.
inline void tick(const QObject& form)
{
    auto* timer = control<QTimer>(form, "MiscTimer");
    if (!QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection))
        qFatal("MiscTimer did not tick");
}
