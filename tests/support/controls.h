#pragma once
// Finds the window's parts the way assistive technology and UI automation do: a control by its
// objectName ("Parttxt", array elements "OrderInfoTxt(1)"), a subsystem by its class.

#include <QCoreApplication>
#include <QFocusEvent>
#include <QObject>
#include <QString>
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

// A focus change as the window system sends it, also when the window is not the active one.
inline void sendFocus(QWidget* control, bool in)
{
    QFocusEvent event(in ? QEvent::FocusIn : QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(control, &event);
}

template <class Subsystem> Subsystem& subsystem(const QObject& form)
{
    auto* found = form.findChild<Subsystem*>();
    if (!found)
        qFatal("no subsystem %s", Subsystem::staticMetaObject.className());
    return *found;
}
