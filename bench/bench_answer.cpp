// A long inquiry answer: 2,000 display records from a loopback server, from Enter in the part
// field to the rows shown in the real window, against the same finished rows inserted into a
// plain list. Prints milliseconds and their ratio.
#include "benchsupport.h"
#include "core/files.h"
#include "gui/listcontrol.h"
#include "gui/mainform.h"
#include "support/controls.h"
#include "support/fakes.h"
#include "support/loopbackserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
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
    // Answers at once and closes, so that the reply has ended as soon as it is all in.
    LoopbackServer server;
    const QByteArray reply = files::toAnsi(longAnswer());
    server.reply = [&reply](const QByteArray&) { return reply; };
    server.answerAfterMs = 0;
    server.closeAfterReply = true;
    if (!server.isListening() || !writeSettings(folder.path(), server.basePort(), u"JSMITH"))
        return 1;
    FakeSeams fakes;
    const Seams seams = fakes.seams(desktop.path());
    MainForm form(seams, folder.path(), QString());
    showStill(form);
    tick(form); // the first tick reads the settings
    auto* answerList = control<ListControl>(form, "AnswerList");
    auto* partField = control<QLineEdit>(form, "Parttxt");

    QList<double> windowMs;
    QStringList rows;
    QList<QColor> colours;
    for (int run = 0; run < Runs; ++run) {
        partField->setFocus(); // back in the part field, as a user is, outside the timing
        partField->setText(u"PF1"_s);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(partField, Qt::Key_Return);
        // The answer is complete when its first row is selected.
        while ((answerList->rowCount() == 0 || answerList->selectedIndex() != 0)
               && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        windowMs << double(timer.nsecsElapsed()) / 1e6;
    }
    if (server.requests.size() != Runs) {
        std::fprintf(stderr, "%lld inquiries reached the server, not %d\n",
                     static_cast<long long>(server.requests.size()), Runs);
        return 1;
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
    std::printf("Enter to rows shown in the window: %.1f ms (median of %d)\n", shown, Runs);
    std::printf("same rows into a plain list:       %.1f ms (median of %d)\n", reference, Runs);
    std::printf("ratio window / plain:              %.2f\n", shown / reference);
    return 0;
}
