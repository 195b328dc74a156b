// The cart under load: 500 order lines added one by one through AddItemToOrder, each add
// recomputing the totals and replacing MyOrder.dat whole. Prints the total and per-line time.
#include "benchsupport.h"
#include "gui/listcontrol.h"
#include "gui/mainform.h"
#include "logic/cart/cart.h"
#include "support/controls.h"
#include "support/fakes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    // Seams that answer at once, so that only the cart's own work is measured (the one slide of
    // the order frame at the first add costs no real pause).
    FakeSeams fakes;
    const Seams seams = fakes.seams(folder.path());
    MainForm form(seams, folder.path(), QString());
    showStill(form);
    // Found once: the timed loop below measures the adds, not the look-ups.
    auto* answerList = control<ListControl>(form, "AnswerList");
    auto* quantity = control<QLineEdit>(form, "Qtytxt");
    auto* orderList = control<ListControl>(form, "OrderList");

    constexpr int Lines = 500;
    for (int i = 0; i < 5; ++i)
        answerList->addRow(u"*      XYZ PF"_s + QString::number(1000 + i)
                           + u"       OIL FILTER            8.95    5.37    1.50e    12"_s);

    // Every add rewrites the whole file and re-adds every line's total, so the cost of one add
    // grows with the cart: the first and the last hundred lines are timed apart.
    QElapsedTimer timer;
    timer.start();
    double firstHundred = 0;
    qint64 lastHundredStart = 0;
    for (int i = 0; i < Lines; ++i) {
        if (i == 100)
            firstHundred = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (i == Lines - 100)
            lastHundredStart = timer.nsecsElapsed();
        answerList->setSelectedIndex(i % 5);
        quantity->setText(QString::number(i % 99 + 1));
        form.AddItemToOrder();
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double lastHundred = static_cast<double>(timer.nsecsElapsed() - lastHundredStart) / 1e6;

    const qint64 fileSize = QFile(subsystem<Cart>(form).orderFile()).size();
    std::printf("bench_cart: %d lines added with MyOrder.dat saved each time\n", Lines);
    std::printf("  total %.1f ms, %.3f ms per line\n", ms, ms / Lines);
    std::printf("  lines 1-100: %.3f ms per line; lines 401-500: %.3f ms per line\n",
                firstHundred / 100, lastHundred / 100);
    std::printf("  cart %d lines, count%s, sub-total %s, MyOrder.dat %lld bytes\n",
                orderList->rowCount(), qPrintable(control<QLabel>(form, "ItemCountLbl")->text()),
                qPrintable(control<QLabel>(form, "OrderTotalLbl")->text()),
                static_cast<long long>(fileSize));
    for (const ShownBox& box : fakes.prompter.boxes)
        std::fprintf(stderr, "unexpected box: %s %s\n", qPrintable(box.title),
                     qPrintable(box.text));
    return orderList->rowCount() == Lines && fakes.prompter.boxes.isEmpty() ? 0 : 1;
}
