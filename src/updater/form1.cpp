// The update utility's window: the caption and the one label.
#include "form1.h"

#include "updater/replace.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

Form1::Form1(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(QString::fromLatin1(ostrel::WindowTitle));
    setAccessibleDescription(u"Form1"_s);

    Label1 = new QLabel(u"Update In Process ...."_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setAccessibleDescription(u"Label1"_s);
    Label1->setAlignment(Qt::AlignCenter);
    QFont font = Label1->font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    font.setBold(true);
    Label1->setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(Label1);
    setMinimumSize(420, 120);
}
