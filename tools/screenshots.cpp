// vornik-screenshots: drives the real window against a running demo server and saves a PNG of
// each tab in a meaningful state (coloured answer rows, a cart with lines, the order history,
// the options tab) and of the quick order.
// Usage: vornik-screenshots PROGRAM_FOLDER OUTPUT_FOLDER (the folder holds Login.Inf and
// Options.Inf for the demo server). Message boxes are answered Yes and printed.
// vornik-screenshots PROGRAM_FOLDER OUTPUT_FILE PART saves one picture instead: the window with
// the server's answer for PART (the demo's picture where there is no display).
#include "gui/listcontrol.h"
#include "gui/mainform.h"
#include "logic/history/orderhistory.h"
#include "support/controls.h"
#include "toolarguments.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextStream>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

class PrintingPrompter final : public Prompter
{
public:
    QMessageBox::StandardButton ask(QWidget*, QMessageBox::Icon, const QString& title,
                                    const QString& text,
                                    QMessageBox::StandardButtons buttons) override
    {
        QTextStream(stdout) << "box [" << title << "] " << text << '\n';
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    // The pictures need no file: every file dialog is cancelled.
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

class SilentSounds final : public Sounds
{
public:
    void play(const QString&) override { }
};

bool waitFor(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

bool save(MainForm& form, const QString& path)
{
    QTest::qWait(200); // let the last repaint land
    const bool ok = form.grab().save(path, "PNG");
    QTextStream(stdout) << (ok ? "saved " : "could not save ") << path << '\n';
    return ok;
}

void inquire(MainForm& form, const QString& part)
{
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(0);
    auto* partField = control<QLineEdit>(form, "Parttxt");
    partField->setFocus();
    partField->clear();
    QTest::keyClicks(partField, part);
    QTest::keyClick(partField, Qt::Key_Return);
    auto* answerList = control<ListControl>(form, "AnswerList");
    waitFor([answerList] { return answerList->rowCount() > 0; });
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool onePart = QCoreApplication::arguments().size() == 4;
    const auto arguments =
        toolArguments(onePart ? 3 : 2,
                      "vornik-screenshots PROGRAM_FOLDER OUTPUT_FOLDER\n"
                      "       vornik-screenshots PROGRAM_FOLDER OUTPUT_FILE PART");
    if (!arguments)
        return 2;
    SystemClock clock;
    PrintingPrompter prompter;
    SilentSounds sounds;
    Seams seams{&clock, &prompter, &sounds, {}};
    MainForm form(seams, arguments->at(0), {});
    control<QTimer>(form, "MiscTimer")->stop();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    tick(form); // the first tick reads the settings

    if (onePart) {
        inquire(form, arguments->at(2));
        return control<ListControl>(form, "AnswerList")->rowCount() > 0
                && save(form, arguments->at(1))
            ? 0
            : 1;
    }
    const QDir out(arguments->at(1));
    bool ok = true;
    // A cart with lines from two answers.
    auto* orderButton = control<QPushButton>(form, "OrderCmd");
    inquire(form, u"PH3600"_s);
    control<QLineEdit>(form, "Qtytxt")->setText(u"2"_s);
    orderButton->click();
    inquire(form, u"B7721"_s);
    control<QLineEdit>(form, "Qtytxt")->setText(u"1"_s);
    orderButton->click();
    control<QLineEdit>(form, "OrderInfoTxt", 0)->setText(u"JOE"_s);
    control<QLineEdit>(form, "OrderInfoTxt", 1)->setText(u"PO-4471"_s);
    control<QLineEdit>(form, "OrderInfoTxt", 2)->setText(u"DELIVER BEFORE NOON"_s);
    ok = save(form, out.filePath(u"cart.png"_s)) && ok;

    // An answer with coloured rows: the part, what it can use and an availability note.
    inquire(form, u"PF1234A"_s);
    ok = save(form, out.filePath(u"inquiry.png"_s)) && ok;

    // The order history: the cart above sent and confirmed, and two orders more.
    const auto send = [&form] {
        control<QPushButton>(form, "SendOrderCmd")->click();
        return waitFor([&] { return control<ListControl>(form, "OrderList")->rowCount() == 0; });
    };
    ok = send() && ok;
    for (const auto& [part, po] :
         {std::pair{u"PF1234A"_s, u"PO-4472"_s}, std::pair{u"B7721"_s, u"PO-4480"_s}}) {
        inquire(form, part);
        control<QLineEdit>(form, "Qtytxt")->setText(u"4"_s);
        orderButton->click();
        control<QLineEdit>(form, "OrderInfoTxt", 1)->setText(po);
        ok = send() && ok;
    }
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(1);
    control<ListView>(form, "OrderHistoryList")->setSelectedIndex(2);
    ok = save(form, out.filePath(u"history.png"_s)) && ok;

    // The quick order: a pasted list checked, the superseded part accepted.
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(0);
    form.findChild<QPushButton*>(u"QuickOrderCmd"_s)->click();
    if (auto* pad = form.findChild<QDialog*>(u"QuickOrderDlg"_s)) {
        QGuiApplication::clipboard()->setText(
            u"Part\tQty\nPF1234\t2\nPF1100\t3\nB7721\t6\nAF2210\t1\nZZ999\t1\nPF1234\t1\nX<1\t2\n"_s);
        control<QPushButton>(*pad, "PasteCmd")->click();
        control<QPushButton>(*pad, "CheckCmd")->click();
        auto* progress = control<QLabel>(*pad, "ProgressLbl");
        waitFor([progress] { return progress->text().startsWith(u"Checked"_s); });
        auto* table = control<QTableWidget>(*pad, "QuickOrderTable");
        table->setCurrentCell(1, 0);
        auto* choice = control<QComboBox>(*pad, "ChoiceCmb");
        choice->setCurrentIndex(1);
        emit choice->activated(1);
        QTest::qWait(200);
        const bool saved = pad->grab().save(out.filePath(u"quickorder.png"_s), "PNG");
        QTextStream(stdout) << (saved ? "saved " : "could not save ")
                            << out.filePath(u"quickorder.png"_s) << '\n';
        ok = saved && ok;
        pad->reject();
    } else {
        ok = false;
    }

    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(2);
    // The help note shows when the focus moves into the field from another control.
    moveFocus(control<QLineEdit>(form, "AccNameTxt"));
    moveFocus(control<QLineEdit>(form, "StandingPOtxt"));
    ok = save(form, out.filePath(u"options.png"_s)) && ok;

    // Leave the demo folder as it was: no cart or order history kept for the next run.
    QFile cart(QDir(arguments->at(0)).filePath(u"MyOrder.dat"_s));
    ok = cart.open(QIODevice::WriteOnly | QIODevice::Truncate) && ok;
    QFile::remove(QDir(arguments->at(0)).filePath(OrderHistory::FileName));
    return ok ? 0 : 1;
}
