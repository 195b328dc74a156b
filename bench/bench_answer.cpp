// A long inquiry answer: 2,000 display records parsed and shown in the real window, against the
// same finished rows inserted into a plain list. Prints milliseconds and their ratio.
#include "benchsupport.h"
#include "gui/listcontrol.h"
#include "gui/mainform.h"
#include "logic/replies/replydispatcher.h"
#include "support/controls.h"
#include "support/fakes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int Records = 2000;
constexpr int Runs = 5;

QString longAnswer()
{
    const QStringList tags{u"P>"_s, u"S>"_s, u"A>"_s, u"NS>"_s};
    QString reply;
    for (int i = 0; i < Records; ++i) {
        reply += u'<' + tags.at(i % tags.size()) + u",XYZ,PF"_s + QString::number(i)
            + u",OIL FILTER,"_s + QString::number(i % 97) + u',' + QString::number(8.95 + i, 'f', 2)
            + u",,,"_s + QString::number(5.37 + i, 'f', 2) + u',' + QString::number(i % 3)
            + u",0.5,"_s;
    }
    return reply;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QTemporaryDir desktop;
    FakeSeams fakes;
    const Seams seams = fakes.seams(desktop.path());
    MainForm form(seams, folder.path(), QString());
    showStill(form);
    auto* answerList = control<ListControl>(form, "AnswerList");

    const QString reply = longAnswer();
    QList<double> windowMs;
    QStringList rows;
    QList<QColor> colours;
    for (int run = 0; run < Runs; ++run) {
        answerList->clear();
        QElapsedTimer timer;
        timer.start();
        subsystem<ReplyDispatcher>(form).GetInquiry(reply);
        windowMs << double(timer.nsecsElapsed()) / 1e6;
    }
    for (int i = 0; i < answerList->rowCount(); ++i) {
        rows << answerList->rowText(i);
        colours << answerList->rowColour(i);
    }

    // The reference: the same finished rows, in colour, into a plain list in the same window.
    QList<double> plainMs;
    for (int run = 0; run < Runs; ++run) {
        auto* plain = new QListWidget(&form);
        plain->setFont(answerList->font());
        plain->setGeometry(answerList->geometry());
        plain->show();
        QElapsedTimer timer;
        timer.start();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            auto* item = new QListWidgetItem(rows.at(i));
            item->setForeground(colours.at(i));
            plain->addItem(item);
        }
        plain->setCurrentRow(0);
        plain->repaint();
        plainMs << double(timer.nsecsElapsed()) / 1e6;
        delete plain;
    }

    const double shown = median(windowMs);
    const double reference = median(plainMs);
    std::printf("answer of %d display records: %lld rows, %s\n", Records,
                static_cast<long long>(rows.size()),
                fakes.prompter.boxes.isEmpty() ? "no boxes" : "BOXES");
    std::printf("parsed and shown in the window: %.1f ms (median of %d)\n", shown, Runs);
    std::printf("same rows into a plain list:    %.1f ms (median of %d)\n", reference, Runs);
    std::printf("ratio window / plain:           %.2f\n", shown / reference);
    return 0;
}
