// The cart under load, without a window: 500 order lines added one by one as ORDER adds them
// (the 66-column line made from an answer row, the totals recomputed, MyOrder.dat replaced
// whole). Prints the total and per-line time.
#include "core/history.h"
#include "logic/cart/cart.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    Cart cart(folder.path() + u'/', nullptr);
    int failedSaves = 0;
    QObject::connect(&cart, &Cart::saveFailed, [&failedSaves] { ++failedSaves; });

    constexpr int Lines = 500;
    QStringList answerRows;
    for (int i = 0; i < 5; ++i)
        answerRows << u"*      XYZ PF"_s + QString::number(1000 + i)
                + u"       OIL FILTER            8.95    5.37    1.50e    12"_s;

    // Every add rewrites the whole file and re-adds every line's total, so the cost of one add
    // grows with the cart: the first and the last hundred lines are timed apart.
    QElapsedTimer timer;
    timer.start();
    double firstHundred = 0;
    qint64 lastHundredStart = 0;
    QString count;
    QString subTotal;
    for (int i = 0; i < Lines; ++i) {
        if (i == 100)
            firstHundred = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (i == Lines - 100)
            lastHundredStart = timer.nsecsElapsed();
        const QString& row = answerRows.at(i % 5);
        const Cart::Line line = Cart::orderLine(row, i % 99 + 1);
        if (!line.line)
            return 1;
        cart.append(*line.line, history::listPriceOf(row));
        count = cart.itemCountText();
        subTotal = cart.subTotalText();
        cart.SaveOrderFile();
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double lastHundred = static_cast<double>(timer.nsecsElapsed() - lastHundredStart) / 1e6;

    const qint64 fileSize = QFile(cart.orderFile()).size();
    std::printf("bench_cart: %d lines added with MyOrder.dat saved each time\n", Lines);
    std::printf("  total %.1f ms, %.3f ms per line\n", ms, ms / Lines);
    std::printf("  lines 1-100: %.3f ms per line; lines 401-500: %.3f ms per line\n",
                firstHundred / 100, lastHundred / 100);
    std::printf("  cart %lld lines, count%s, sub-total %s, MyOrder.dat %lld bytes\n",
                static_cast<long long>(cart.count()), qPrintable(count), qPrintable(subTotal),
                static_cast<long long>(fileSize));
    if (failedSaves > 0)
        std::fprintf(stderr, "MyOrder.dat could not be saved %d times\n", failedSaves);
    return cart.count() == Lines && failedSaves == 0 ? 0 : 1;
}
