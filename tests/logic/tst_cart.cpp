// The cart through its own interface, on a temporary program folder: MyOrder.dat and the totals
// as the lines change, the lines a confirmed order takes away, the saved order read back at
// start-up with over-long lines set aside, a save that fails, and the order number.
#include "logic/cart/cart.h"
#include "support/filebytes.h"
#include "support/orderlines.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Filter =
    lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s);
const QString Pump = lineOf(u"3"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s, u"45.00"_s);
const QString HalfPump =
    lineOf(u"1.5"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s, u"22.50"_s);

} // namespace

class TestCart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fileAndTotalsFollowTheLines();
    void removeSentLines();
    void loadSavedOrder_data();
    void loadSavedOrder();
    void damagedCopiesKeptApart();
    void failedSaveIsSignalled();
    void failedSaveKeepsOldFile();
    void confirmation();

private:
    [[nodiscard]] QString folder() const { return m_dir->path() + u'/'; }
    [[nodiscard]] QByteArray orderFile() const { return fileBytes(folder() + u"MyOrder.dat"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCart::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCart::fileAndTotalsFollowTheLines()
{
    Cart cart(folder(), nullptr);
    const auto totals = [&cart] { return cart.itemCountText() + u'|' + cart.subTotalText(); };
    cart.SaveOrderFile(); // an empty cart writes nothing
    QVERIFY(orderFile().isNull());
    QCOMPARE(totals(), u" 0|.00"_s);
    cart.addLines({Filter, Filter}, {u"19.95"_s}); // the same part twice: two lines
    QCOMPARE(orderFile(), fileOf({Filter, Filter}));
    QCOMPARE(totals(), u" 2|50.00"_s);
    cart.append(HalfPump, u"11.00"_s);
    QCOMPARE(orderFile(), fileOf({Filter, Filter})); // until SaveOrderFile
    cart.removeLine(1);
    cart.removeLine(2); // none there: nothing happens
    cart.append(Pump);
    cart.SaveOrderFile();
    QCOMPARE(orderFile(), fileOf({Filter, HalfPump, Pump}));
    QCOMPARE(cart.listPrices(), (QStringList{u"19.95"_s, u"11.00"_s, QString()}));
    QCOMPARE(totals(), u" 3|92.50"_s);
    cart.removeAll();
    QCOMPARE(cart.count(), 0);
    const QByteArray emptied = orderFile();
    QVERIFY(!emptied.isNull() && emptied.isEmpty()); // emptied, not removed
}

void TestCart::removeSentLines()
{
    // One line equal to each line the order carried leaves; lines added since stay.
    Cart cart(folder(), nullptr);
    cart.addLines({Filter, Pump, Filter}, {u"F1"_s, u"P"_s, u"F2"_s});
    QVERIFY(cart.removeSentLines({Filter, HalfPump})); // the half pump was removed meanwhile
    QCOMPARE(cart.lines(), (QStringList{Pump, Filter}));
    QCOMPARE(orderFile(), fileOf({Pump, Filter}));
    // The list prices must stay beside their lines: the next order's history takes them.
    QCOMPARE(cart.listPrices(), (QStringList{u"P"_s, u"F2"_s}));
}

void TestCart::loadSavedOrder_data()
{
    QTest::addColumn<QByteArray>("saved"); // null: no MyOrder.dat
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<int>("damaged");
    QTest::addColumn<QByteArray>("after");
    const QString overlong(300, u'x');
    QTest::newRow("missing: created empty") << QByteArray() << QStringList() << 0 << QByteArray("");
    QTest::newRow("empty") << QByteArray("") << QStringList() << 0 << QByteArray("");
    QTest::newRow("4 bytes stay as they are")
        << QByteArray("ab\r\n") << QStringList() << 0 << QByteArray("ab\r\n");
    QTest::newRow("an over-long line left out, the good ones kept")
        << fileOf({Filter, overlong, Pump}) << QStringList{Filter, Pump} << 1
        << fileOf({Filter, Pump});
    QTest::newRow("256 characters still a line, 257 too long")
        << fileOf({QString(256, u'a'), QString(257, u'b')}) << QStringList{QString(256, u'a')} << 1
        << fileOf({QString(256, u'a')});
    QTest::newRow("only over-long lines: nothing loaded, the file emptied")
        << fileOf({overlong, overlong}) << QStringList() << 2 << QByteArray("");
}

void TestCart::loadSavedOrder()
{
    QFETCH(QByteArray, saved);
    QFETCH(QStringList, loaded);
    QFETCH(int, damaged);
    QFETCH(QByteArray, after);
    putFile(folder() + u"MyOrder.dat"_s, saved);
    Cart cart(folder(), nullptr);
    const Cart::SavedOrder read = cart.loadSavedOrder();
    QCOMPARE(read.loaded, !loaded.isEmpty());
    QCOMPARE(cart.lines(), loaded);
    QCOMPARE(cart.listPrices(), QStringList(loaded.size(), QString()));
    QCOMPARE(read.damaged, damaged);
    QCOMPARE(read.keptAs.value_or(QString()), damaged ? u"MyOrder.dat.damaged"_s : QString());
    QCOMPARE(orderFile(), after);
    QVERIFY(!orderFile().isNull()); // MyOrder.dat is there afterwards, whatever it held
    // The file as it was is kept beside it, byte for byte.
    QCOMPARE(fileBytes(folder() + u"MyOrder.dat.damaged"_s), damaged ? saved : QByteArray());
    // Told once: the next start finds only the good lines.
    Cart next(folder(), nullptr);
    QCOMPARE(next.loadSavedOrder().damaged, 0);
    QCOMPARE(next.lines(), loaded);
}

void TestCart::damagedCopiesKeptApart()
{
    const QByteArray damaged = fileOf({QString(400, u'y'), Pump});
    putFile(folder() + u"MyOrder.dat.damaged"_s, "an earlier copy");
    putFile(folder() + u"MyOrder.dat"_s, damaged);
    QCOMPARE(Cart(folder(), nullptr).loadSavedOrder().keptAs, u"MyOrder.dat.damaged-2"_s);
    QCOMPARE(fileBytes(folder() + u"MyOrder.dat.damaged"_s), QByteArray("an earlier copy"));
    QCOMPARE(fileBytes(folder() + u"MyOrder.dat.damaged-2"_s), damaged);
}

void TestCart::failedSaveIsSignalled()
{
    QVERIFY(QDir(m_dir->path()).mkdir(u"MyOrder.dat"_s)); // nothing can be written in its place
    Cart cart(folder(), nullptr);
    QSignalSpy failed(&cart, &Cart::saveFailed);
    cart.addLines({Filter, Pump}, {});
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.takeFirst().first().toBool(), false); // the lines were not emptied
    QCOMPARE(cart.lines(), (QStringList{Filter, Pump}));  // they stay as they are
    QVERIFY(!cart.removeSentLines({Filter}));
    QVERIFY(!cart.clear());
    QVERIFY(failed.isEmpty()); // their callers tell it
    cart.removeAll();
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.takeFirst().first().toBool(), true); // the file still holds removed lines
}

void TestCart::failedSaveKeepsOldFile()
{
    if (::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    Cart cart(folder(), nullptr);
    cart.addLines({Filter}, {});
    QFile dir(m_dir->path());
    const auto permissions = dir.permissions();
    QVERIFY(dir.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    cart.addLines({Pump}, {});
    QVERIFY(dir.setPermissions(permissions));
    QCOMPARE(orderFile(), fileOf({Filter})); // whole, not truncated
}

void TestCart::confirmation()
{
    Cart cart(folder(), nullptr);
    QCOMPARE(cart.takeConfirmation(u"<O>,40000"_s).value_or(-1), 40000); // above 16 bits
    QCOMPARE(cart.orderNumber(), 40000);
    QVERIFY(!cart.takeConfirmation(u"<O>"_s));            // no number: the last one stays
    QVERIFY(!cart.takeConfirmation(u"<O>,9999999999"_s)); // nor beyond 32 bits
    QCOMPARE(cart.orderNumber(), 40000);
    QCOMPARE(cart.takeConfirmation(u"<O>,0"_s).value_or(-1), 0); // zero is a number too
    QCOMPARE(cart.orderNumber(), 0);
}

QTEST_GUILESS_MAIN(TestCart)
#include "tst_cart.moc"
