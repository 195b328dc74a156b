#pragma once
// Finds the window's parts the way assistive technology and UI automation do: a control by its
// objectName ("Parttxt", array elements "OrderInfoTxt(1)"), a subsystem by its class.

#include <QObject>
#include <QString>
#include <QTest>
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

template <class Subsystem> Subsystem& subsystem(const QObject& form)
{
    auto* found = form.findChild<Subsystem*>();
    if (!found)
        qFatal("no subsystem %s", Subsystem::staticMetaObject.className());
    return *found;
}
