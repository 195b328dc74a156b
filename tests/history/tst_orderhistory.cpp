// The order history through its own interface: recording, confirming, reading back, the filter,
// the re-send check, the tab's controls, printing, and the faults of its file.
#include "history/historytab.h"
#include "history/orderhistory.h"
#include "history/orderprint.h"
#include "support/orderlines.h"
#include "support/sqlrows.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Morning(QDate(2026, 12, 8), QTime(10, 0));

history::Order orderOf(const QString& po, const QStringList& parts, const QDateTime& when)
{
    QStringList lines;
    for (const QString& part : parts)
        lines << lineOf(u"2"_s, u"XYZ"_s, part, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s);
    return history::orderFromCart(u"1234"_s, u"JSMITH"_s, u"JOE"_s, po, u"RUSH"_s, lines, when);
}

QStringList statuses(OrderHistory& history)
{
    QStringList texts;
    for (const history::Summary& summary : history.summaries())
        texts << summary.status + u' ' + QString::number(summary.number);
    return texts;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Makes a folder unwritable: without write permission, or immutable for root, who ignores
// permissions. False when neither works here.
bool setFolderWritable(const QString& path, bool writable)
{
    if (::geteuid() != 0)
        return QFile::setPermissions(path,
                                     writable
                                         ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                         : QFile::ReadOwner | QFile::ExeOwner);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = writable ? flags & ~FS_IMMUTABLE_FL : flags | FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

// The child of the kill test: records orders of 200 lines until it is killed, saying before and
// after each.
int recordUntilKilled(const QString& folder)
{
    int argc = 1;
    char name[] = "tst_orderhistory";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    OrderHistory history(folder);
    QStringList parts;
    for (int i = 0; i < 200; ++i)
        parts << u"P"_s + QString::number(i);
    for (int n = 1;; ++n) {
        const history::Order order = orderOf(u"PO"_s + QString::number(n), parts, Morning);
        QTextStream(stdout) << "recording " << n << Qt::endl;
        if (history.record(order) == 0)
            return 1;
        QTextStream(stdout) << "recorded " << n << Qt::endl;
    }
}

} // namespace

class TestOrderHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recordedOrdersReadBackNewestFirstAfterARestart();
    void confirmation_data();
    void confirmation();
    void confirmationGoesToItsOwnOrder();
    void find_data();
    void find();
    void unconfirmedDuplicate_data();
    void unconfirmedDuplicate();
    void tabKeepsTheSelectionAndFollowsNewOrders();
    void printedDocumentHoldsTheOrder();
    void pdfFileIsWritten();
    void damagedFileIsKeptAsideAndANewOneStarted_data();
    void damagedFileIsKeptAsideAndANewOneStarted();
    void fileThatCannotBeOpenedIsToldOnce();
    void readOnlyFolderKeepsTheHistoryReadable();
    void fullDiskLosesNothingRecorded();
    void killDuringRecordingLeavesAConsistentFile();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    [[nodiscard]] QString path(const QString& name) const { return m_folder->filePath(name); }
};

void TestOrderHistory::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestOrderHistory::cleanup()
{
    m_folder.reset();
}

void TestOrderHistory::recordedOrdersReadBackNewestFirstAfterARestart()
{
    history::Order first = orderOf(u"PO1"_s, {u"ABC123"_s, u"PF-9"_s}, Morning);
    first.lines[0].list = u"19.95"_s;
    const history::Order second = orderOf(u"PO2"_s, {u"XY1"_s}, Morning.addSecs(60));
    qint64 firstId = 0;
    {
        OrderHistory history(m_folder->path());
        // Nothing is opened before something is asked of the history.
        QVERIFY(!history.isOpen());
        QVERIFY(!QFile::exists(path(OrderHistory::FileName)));
        firstId = history.record(first);
        QVERIFY(firstId > 0);
        QVERIFY(history.confirm(history.record(second), 4711));
    }
    OrderHistory again(m_folder->path());
    QCOMPARE(statuses(again), (QStringList{u"Confirmed 4711"_s, u"Sent 0"_s}));
    QCOMPARE(again.summaries().last().sentAt, history::sentAtText(Morning));
    const auto read = again.order(firstId);
    QVERIFY(read);
    history::Order expected = first;
    expected.id = firstId;
    QCOMPARE(*read, expected);
    QVERIFY(!again.order(firstId + 100));
}

void TestOrderHistory::confirmation_data()
{
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a number") << 4711 << u"Confirmed 4711"_s;
    QTest::newRow("zero: no number") << 0 << u"Confirmed, no number 0"_s;
}

void TestOrderHistory::confirmation()
{
    QFETCH(qint32, number);
    QFETCH(QString, expected);
    OrderHistory history(m_folder->path());
    const qint64 id = history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning));
    QVERIFY(id > 0);
    QCOMPARE(statuses(history), QStringList{u"Sent 0"_s});
    QVERIFY(history.confirm(id, number));
    QCOMPARE(statuses(history), QStringList{expected});
    // A second confirmation changes nothing.
    QVERIFY(!history.confirm(id, 99));
    QCOMPARE(statuses(history), QStringList{expected});
    OrderHistory reread(m_folder->path());
    QCOMPARE(statuses(reread), QStringList{expected});
}

void TestOrderHistory::confirmationGoesToItsOwnOrder()
{
    OrderHistory history(m_folder->path());
    QVERIFY(!history.confirm(0, 1)); // an order that was never recorded
    const qint64 first = history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning));
    history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning.addSecs(30)));
    // The first order's confirmation, arriving after the second was sent.
    QVERIFY(history.confirm(first, 12));
    QCOMPARE(statuses(history), (QStringList{u"Sent 0"_s, u"Confirmed 12"_s}));
    QVERIFY(!history.confirm(first + 100, 13));
}

void TestOrderHistory::find_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("pos"); // the PO numbers found, newest first
    // The copy in memory: read before the last order was recorded, confirmed meanwhile.
    QTest::newRow("empty: all") << QString() << QStringList{u"PO3"_s, u"PO2"_s, u"Po-1"_s};
    QTest::newRow("number confirmed after reading") << u"4711"_s << QStringList{u"Po-1"_s};
    QTest::newRow("order recorded after reading")
        << u"shared"_s << QStringList{u"PO3"_s, u"Po-1"_s};
    QTest::newRow("no number to find without one") << u"0"_s << QStringList();
}

void TestOrderHistory::find()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, pos);
    OrderHistory history(m_folder->path());
    const qint64 first = history.record(orderOf(u"Po-1"_s, {u"X1"_s, u"SHARED-7"_s}, Morning));
    history.summaries();
    history.confirm(first, 4711);
    history.confirm(history.record(orderOf(u"PO2"_s, {u"AB-9"_s}, Morning.addSecs(60))), 0);
    history.record(orderOf(u"PO3"_s, {u"shared-7"_s}, Morning.addSecs(120)));
    QStringList found;
    for (const history::Summary& summary : history.find(filter))
        found << history.order(summary.id)->purchaseOrder;
    QCOMPARE(found, pos);
}

void TestOrderHistory::unconfirmedDuplicate_data()
{
    QTest::addColumn<int>("minutesLater");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("cartPo");
    QTest::addColumn<bool>("asks");
    QTest::newRow("same cart 29 minutes later") << 29 << false << u"PO1"_s << true;
    QTest::newRow("same cart 31 minutes later") << 31 << false << u"PO1"_s << false;
    QTest::newRow("confirmed meanwhile") << 5 << true << u"PO1"_s << false;
    QTest::newRow("another PO") << 5 << false << u"PO2"_s << false;
    QTest::newRow("clock before the sending") << -5 << false << u"PO1"_s << false;
}

void TestOrderHistory::unconfirmedDuplicate()
{
    QFETCH(int, minutesLater);
    QFETCH(bool, confirmed);
    QFETCH(QString, cartPo);
    QFETCH(bool, asks);
    OrderHistory history(m_folder->path());
    // The same order once before, long enough ago to be out of the question.
    history.record(orderOf(u"PO1"_s, {u"A1"_s, u"B2"_s}, Morning.addSecs(-40 * 60)));
    const qint64 id = history.record(orderOf(u"PO1"_s, {u"A1"_s, u"B2"_s}, Morning));
    if (confirmed)
        history.confirm(id, 5);
    const auto sentAt = history.unconfirmedDuplicate(orderOf(cartPo, {u"A1"_s, u"B2"_s}, {}),
                                                     Morning.addSecs(minutesLater * 60));
    QCOMPARE(sentAt.has_value(), asks);
    if (asks)
        QCOMPARE(*sentAt, Morning);
}

void TestOrderHistory::tabKeepsTheSelectionAndFollowsNewOrders()
{
    OrderHistory history(m_folder->path());
    history.confirm(history.record(orderOf(u"PO1"_s, {u"ABC123"_s, u"PF-9"_s}, Morning)), 4711);
    history.record(orderOf(u"PO2"_s, {u"XY1"_s}, Morning.addSecs(60)));

    QWidget window;
    HistoryControls controls{new QListWidget(&window), new QListWidget(&window),
                             new QLineEdit(&window), new QPushButton(&window),
                             new QPushButton(&window)};
    HistoryTab tab(history, controls);
    tab.showOrders();
    QCOMPARE(controls.orders->count(), 2);
    QCOMPARE(controls.orders->item(1)->text(), u"12/08/26    4711    Confirmed"_s);
    controls.orders->setCurrentRow(1);
    QCOMPARE(controls.details->count(), 3); // two lines and the fields with the sub-total

    // Filtering keeps the selected order selected while it is still found.
    controls.filter->setText(u"pf-"_s);
    QCOMPARE(controls.orders->count(), 1);
    QCOMPARE(controls.orders->currentRow(), 0);
    QCOMPARE(controls.details->count(), 3);
    controls.filter->setText(u"xy1"_s);
    QCOMPARE(controls.orders->count(), 1);
    QCOMPARE(controls.orders->currentRow(), -1);
    QCOMPARE(controls.details->count(), 0);
    QVERIFY(!controls.reorder->isEnabled());
    QVERIFY(!controls.print->isEnabled());
    controls.filter->clear();
    QCOMPARE(controls.orders->count(), 2);
    controls.orders->setCurrentRow(1);

    // An order recorded while the list is in view shows at once.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    history.record(orderOf(u"PO3"_s, {u"Z9"_s}, Morning.addSecs(120)));
    QCOMPARE(controls.orders->count(), 3);
    QCOMPARE(controls.orders->currentRow(), 2); // still the order 4711
}

void TestOrderHistory::printedDocumentHoldsTheOrder()
{
    history::Order order = orderOf(u"PO<77>"_s, {u"ABC123"_s, u"PF-9"_s, u"Q&A1"_s}, Morning);
    order.number = 4711;
    order.status = history::StatusConfirmed;
    const auto doc = orderprint::document(order, u"Quillane"_s, u"ACME Garage"_s);
    const QString text = doc->toPlainText();
    for (const QString& expected :
         {u"Quillane"_s, u"ACME Garage"_s, u"4711"_s, u"Confirmed"_s, u"PO<77>"_s, u"JOE"_s,
          u"RUSH"_s, u"ABC123"_s, u"PF-9"_s, u"Q&A1"_s, u"75.00"_s, u"12/08/2026 10:00"_s})
        QVERIFY2(text.contains(expected), qPrintable(expected));
}

void TestOrderHistory::pdfFileIsWritten()
{
    history::Order order = orderOf(u"PO1"_s, {u"ABC123"_s}, Morning);
    const auto doc = orderprint::document(order, u"Quillane"_s, QString());
    const QString pdf = path(orderprint::pdfName(order));
    QCOMPARE(QFileInfo(pdf).fileName(), u"Order-2026-12-08-1000.pdf"_s);
    QCOMPARE(orderprint::writePdf(*doc, pdf), QString());
    QVERIFY(readFile(pdf).startsWith("%PDF"));
    // A folder that does not exist: the reason comes back, nothing is left behind.
    QVERIFY(!orderprint::writePdf(*doc, path(u"missing/order.pdf"_s)).isEmpty());
}

void TestOrderHistory::damagedFileIsKeptAsideAndANewOneStarted_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a database") << QByteArray(4096, 'x');
    QTest::newRow("SQLite header, damaged pages")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff');
    QTest::newRow("another program's database") << QByteArray("other");
}

void TestOrderHistory::damagedFileIsKeptAsideAndANewOneStarted()
{
    QFETCH(QByteArray, content);
    if (content == "other") {
        QCOMPARE(sqlRows(path(OrderHistory::FileName), u"CREATE TABLE orders(x)"_s), QStringList());
        content = readFile(path(OrderHistory::FileName));
        QVERIFY(!content.isEmpty()); // the file was opened and written
    } else {
        writeFile(path(OrderHistory::FileName), content);
    }
    OrderHistory history(m_folder->path());
    QSignalSpy trouble(&history, &OrderHistory::trouble);
    QVERIFY(history.summaries().isEmpty());
    QCOMPARE(trouble.size(), 1);
    QVERIFY2(trouble.first().first().toString().contains(u"OrderHistory-damaged.sqlite"_s),
             qPrintable(trouble.first().first().toString()));
    QCOMPARE(readFile(path(u"OrderHistory-damaged.sqlite"_s)), content);
    QVERIFY(history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning)) > 0);
    QCOMPARE(OrderHistory(m_folder->path()).summaries().size(), 1);
    QCOMPARE(trouble.size(), 1);
}

void TestOrderHistory::fileThatCannotBeOpenedIsToldOnce()
{
    QVERIFY(QDir(m_folder->path()).mkdir(OrderHistory::FileName));
    OrderHistory history(m_folder->path());
    QSignalSpy trouble(&history, &OrderHistory::trouble);
    QCOMPARE(history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning)), 0);
    QVERIFY(!history.confirm(1, 1));
    QCOMPARE(history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning)), 0);
    QVERIFY(history.summaries().isEmpty());
    QVERIFY(!history.unconfirmedDuplicate(orderOf(u"PO1"_s, {u"A1"_s}, {}), Morning));
    QCOMPARE(trouble.size(), 1);
    // The folder in its way is not taken for a damaged file.
    QVERIFY(QFileInfo(path(OrderHistory::FileName)).isDir());
}

void TestOrderHistory::readOnlyFolderKeepsTheHistoryReadable()
{
    OrderHistory(m_folder->path()).record(orderOf(u"PO1"_s, {u"A1"_s}, Morning));
    if (!setFolderWritable(m_folder->path(), false))
        QSKIP("this file system cannot make a folder read-only");
    const auto restore = qScopeGuard([&] { setFolderWritable(m_folder->path(), true); });
    if (QFile(path(u"probe"_s)).open(QIODevice::WriteOnly))
        QSKIP("the folder is still writable here");
    OrderHistory history(m_folder->path());
    QSignalSpy trouble(&history, &OrderHistory::trouble);
    QCOMPARE(history.summaries().size(), 1);
    QCOMPARE(history.record(orderOf(u"PO2"_s, {u"A1"_s}, Morning)), 0);
    QCOMPARE(history.record(orderOf(u"PO3"_s, {u"A1"_s}, Morning)), 0);
    QCOMPARE(trouble.size(), 1);
    QCOMPARE(history.summaries().size(), 1);
}

void TestOrderHistory::fullDiskLosesNothingRecorded()
{
    OrderHistory history(m_folder->path());
    QSignalSpy trouble(&history, &OrderHistory::trouble);
    const qint64 first = history.record(orderOf(u"PO1"_s, {u"A1"_s}, Morning));
    QVERIFY(first > 0);
    // No file of this process may grow beyond the history's present size, as on a full disk.
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = old;
    full.rlim_cur = static_cast<rlim_t>(QFileInfo(path(OrderHistory::FileName)).size());
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
    const auto restore = qScopeGuard([&] {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    });
    QStringList parts;
    for (int i = 0; i < 500; ++i)
        parts << u"LONGPARTNO"_s + QString::number(i);
    QCOMPARE(history.record(orderOf(u"PO2"_s, parts, Morning)), 0);
    QCOMPARE(history.record(orderOf(u"PO3"_s, parts, Morning)), 0);
    // The failed order has no id a confirmation could reach.
    QVERIFY(!history.confirm(0, 4711));
    ::setrlimit(RLIMIT_FSIZE, &old);
    QCOMPARE(trouble.size(), 1);
    OrderHistory reread(m_folder->path());
    QCOMPARE(statuses(reread), QStringList{u"Sent 0"_s});
    QCOMPARE(reread.order(first)->lines.size(), 1);
    QVERIFY(reread.record(orderOf(u"PO4"_s, parts, Morning)) > 0);
}

void TestOrderHistory::killDuringRecordingLeavesAConsistentFile()
{
    // Once the child has recorded three orders it is killed as soon as the journal of a
    // transaction shows, that is in the middle of an order; each round goes on with the file the
    // round before left.
    const QString file = path(OrderHistory::FileName);
    int acknowledged = 0;
    int interrupted = 0;
    for (int round = 0; round < 4; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {u"--record-until-killed"_s, m_folder->path()});
        QVERIFY(child.waitForStarted());
        QByteArray out;
        while (!out.contains("recorded 3") && child.state() == QProcess::Running
               && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        const QDeadlineTimer deadline(10000);
        while (!QFile::exists(file + u"-journal"_s) && !deadline.hasExpired()
               && child.state() == QProcess::Running) { }
        child.kill(); // SIGKILL to our own child
        QVERIFY(child.waitForFinished(20000));
        out += child.readAllStandardOutput();
        QVERIFY2(out.count("recorded") >= 3, out.constData());
        acknowledged += static_cast<int>(out.count("recorded"));
        if (QFile::exists(file + u"-journal"_s))
            ++interrupted;

        QCOMPARE(sqlRows(file, u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});
        const QStringList recorded = sqlRows(file, u"SELECT COUNT(*) FROM orders"_s);
        QVERIFY2(recorded.value(0).toInt() >= acknowledged, qPrintable(recorded.join(u' ')));
        // Every order has all its lines; no line is without its order.
        QCOMPARE(sqlRows(file,
                         u"SELECT COUNT(*) FROM orders WHERE (SELECT COUNT(*) FROM lines "
                         "WHERE order_id = orders.id) <> 200"_s),
                 QStringList{u"0"_s});
        QCOMPARE(sqlRows(file,
                         u"SELECT COUNT(*) FROM lines WHERE order_id NOT IN "
                         "(SELECT id FROM orders)"_s),
                 QStringList{u"0"_s});
    }
    QVERIFY2(interrupted > 0, "no kill landed inside a transaction");
    OrderHistory history(m_folder->path());
    QVERIFY(history.summaries().size() >= acknowledged);
    QVERIFY(history.record(orderOf(u"PO"_s, {u"A1"_s}, Morning)) > 0);
}

int main(int argc, char* argv[])
{
    if (argc == 3 && QByteArrayView(argv[1]) == "--record-until-killed")
        return recordUntilKilled(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    TestOrderHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_orderhistory.moc"
