// The order history through its own interface: recording, confirming, reading back, the filter,
// the re-send check, printing, the faults of its file; in the window, the older orders coming in.
#include "gui/listcontrol.h"
#include "gui/orderprint.h"
#include "logic/history/orderhistory.h"
#include "support/formfixture.h"
#include "support/orderlines.h"
#include "support/sqlrows.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTabWidget>
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

// Newest first, as listed.
QStringList statuses(OrderHistory& history)
{
    QStringList texts;
    for (const history::Summary& summary : history.summaries())
        texts.prepend(summary.status + u' ' + QString::number(summary.number));
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
    void recentlySent_data();
    void recentlySent();
    void olderOrdersComeInBelowTheSelection();
    void printedDocumentHoldsTheOrder();
    void pdfFileIsWritten();
    void damagedFileIsKeptAsideAndANewOneStarted_data();
    void damagedFileIsKeptAsideAndANewOneStarted();
    void firstLayoutIsAdoptedAndStamped();
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
    QCOMPARE(again.summaries().first().sentAt, Morning);
    QCOMPARE(again.summaries().first().sentAt.timeSpec(), Qt::UTC);
    QCOMPARE(again.summaries().first().lineCount, 2);
    QCOMPARE(again.summaries().first().subTotal, 50.0F);
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
    QTest::newRow("description") << u"filt"_s << QStringList{u"PO3"_s, u"PO2"_s, u"Po-1"_s};
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
    for (const qint32 at : history.find(filter))
        found << history.order(history.summaries().at(at).id)->purchaseOrder;
    QCOMPARE(found, pos);
}

void TestOrderHistory::recentlySent_data()
{
    QTest::addColumn<int>("minutesLater");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QStringList>("cartParts");
    QTest::addColumn<QString>("asks"); // the status asked about; empty: no question
    QTest::newRow("same lines 29 minutes later")
        << 29 << false << QStringList{u"A1"_s, u"B2"_s} << history::StatusSent;
    QTest::newRow("same lines 31 minutes later")
        << 31 << false << QStringList{u"A1"_s, u"B2"_s} << QString();
    QTest::newRow("confirmed meanwhile: asked with its number")
        << 5 << true << QStringList{u"A1"_s, u"B2"_s} << history::StatusConfirmed;
    QTest::newRow("other lines") << 5 << false << QStringList{u"A1"_s} << QString();
    QTest::newRow("clock before the sending")
        << -5 << false << QStringList{u"A1"_s, u"B2"_s} << QString();
}

void TestOrderHistory::recentlySent()
{
    QFETCH(int, minutesLater);
    QFETCH(bool, confirmed);
    QFETCH(QStringList, cartParts);
    QFETCH(QString, asks);
    OrderHistory history(m_folder->path());
    // The same order once before, long enough ago to be out of the question.
    history.record(orderOf(u"PO1"_s, {u"A1"_s, u"B2"_s}, Morning.addSecs(-40 * 60)));
    const qint64 id = history.record(orderOf(u"PO1"_s, {u"A1"_s, u"B2"_s}, Morning));
    if (confirmed)
        history.confirm(id, 5);
    // The cart's fields are empty, as after a restart.
    const auto sent =
        history.recentlySent(orderOf(QString(), cartParts, {}), Morning.addSecs(minutesLater * 60));
    QCOMPARE(sent ? sent->status : QString(), asks);
    if (sent) {
        QCOMPARE(sent->sentAt, Morning);
        QCOMPARE(sent->number, confirmed ? 5 : 0);
    }
}

void TestOrderHistory::olderOrdersComeInBelowTheSelection()
{
    // In the window: 4,106 orders, two full blocks and the newest 10; only the orders 3, 2000,
    // 4103 and 4105 hold "ZQ".
    FormFixture fx;
    OrderHistory(fx.folder.path()).record(orderOf(u"PO1"_s, {u"AB1"_s}, Morning));
    QCOMPARE(sqlRows(fx.folder.filePath(OrderHistory::FileName),
                     u"WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 4106) INSERT INTO orders(id, sent_at, account, login, "
                     "ordered_by, purchase_order, notes, status, number, search, lines_key, "
                     "line_count, sub_total) SELECT i, sent_at, account, login, ordered_by, "
                     "'PO' || i, notes, status, number, search || CASE WHEN i IN (3, 2000, "
                     "4103, 4105) THEN ' ZQ' ELSE '' END, lines_key, line_count, sub_total FROM n, "
                     "orders WHERE orders.id = 1"_s),
             QStringList());
    const MainForm& form = fx.start();
    auto* orders = control<ListView>(form, "OrderHistoryList");
    auto* filter = control<QLineEdit>(form, "HistoryFilterTxt");
    // The selected order's details: these orders have no lines, the fields follow the sub-total.
    auto* details = control<ListControl>(form, "OrderDetailsList");
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(1);
    QCOMPARE(orders->rowCount(), 10);
    QCOMPARE(details->rows().value(1), u"By: JOE  PO: PO4106  Notes: RUSH"_s);
    // A filter typed meanwhile covers what is read, and what it finds later comes in below
    // without moving the selection the user made.
    moveFocus(filter);
    QTest::keyClicks(filter, u"zq"_s);
    QCOMPARE(details->rows().value(1), u"By: JOE  PO: PO4105  Notes: RUSH"_s);
    moveFocus(orders);
    QTest::keyClick(orders, Qt::Key_Down);
    QCOMPARE(orders->rowCount(), 2);
    QTRY_COMPARE(orders->rowCount(), 4);
    QCOMPARE(orders->selectedIndex(), 1);
    QCOMPARE(details->rows().value(1), u"By: JOE  PO: PO4103  Notes: RUSH"_s);
    QCOMPARE(QApplication::focusWidget(), orders);
    QTest::keyClick(orders, Qt::Key_Down);
    moveFocus(filter);
    QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(filter, Qt::Key_Backspace);
    QCOMPARE(orders->rowCount(), 4106);
    QCOMPARE(details->rows().value(1), u"By: JOE  PO: PO2000  Notes: RUSH"_s);
    QCOMPARE(orders->selectedIndex(), 4106 - 2000);
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
    QCOMPARE(orderprint::withPdfSuffix(u"/x/order"_s), u"/x/order.pdf"_s);
    QCOMPARE(orderprint::withPdfSuffix(u"/x/ORDER.PDF"_s), u"/x/ORDER.PDF"_s);
    QCOMPARE(orderprint::pageSizeFor(QLocale(QLocale::English, QLocale::UnitedStates)),
             QPageSize::Letter);
    QCOMPARE(orderprint::pageSizeFor(QLocale(QLocale::German, QLocale::Germany)), QPageSize::A4);
}

void TestOrderHistory::damagedFileIsKeptAsideAndANewOneStarted_data()
{
    QTest::addColumn<QByteArray>("content"); // a statement: a database made with it
    QTest::addColumn<QString>("keptAs");
    const QString damaged = u"OrderHistory-damaged.sqlite"_s;
    const QString other = u"OrderHistory-other.sqlite"_s;
    QTest::newRow("not a database") << QByteArray(4096, 'x') << damaged;
    QTest::newRow("SQLite header, damaged pages")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff') << damaged;
    QTest::newRow("our table names, another layout")
        << QByteArray("CREATE TABLE orders(x)") << other;
    QTest::newRow("other tables, user_version 0")
        << QByteArray("CREATE TABLE customers(id, name)") << other;
    QTest::newRow("another program's application id")
        << QByteArray("PRAGMA application_id = 1234") << other;
}

void TestOrderHistory::damagedFileIsKeptAsideAndANewOneStarted()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, keptAs);
    if (content.startsWith("CREATE") || content.startsWith("PRAGMA")) {
        QCOMPARE(sqlRows(path(OrderHistory::FileName), QString::fromLatin1(content)),
                 QStringList());
        content = readFile(path(OrderHistory::FileName));
        QVERIFY(!content.isEmpty()); // the file was opened and written
    } else {
        writeFile(path(OrderHistory::FileName), content);
    }
    OrderHistory history(m_folder->path());
    QSignalSpy trouble(&history, &OrderHistory::trouble);
    QVERIFY(history.summaries().isEmpty());
    QCOMPARE(trouble.size(), 1);
    const QString told = trouble.first().first().toString();
    QVERIFY2(told.contains(keptAs), qPrintable(told));
    // A file of another program is not called damaged.
    QCOMPARE(told.contains(u"damaged"_s), keptAs.contains(u"damaged"_s));
    QCOMPARE(readFile(path(keptAs)), content);
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
    QVERIFY(!history.recentlySent(orderOf(u"PO1"_s, {u"A1"_s}, {}), Morning));
    QCOMPARE(trouble.size(), 1);
    // The folder in its way is not taken for a damaged file.
    QVERIFY(QFileInfo(path(OrderHistory::FileName)).isDir());
    // Once it is gone, reading (a keystroke in the filter) does not try again; opening the tab
    // does.
    QVERIFY(QDir(m_folder->path()).rmdir(OrderHistory::FileName));
    QVERIFY(history.find(u"A1").isEmpty());
    QVERIFY(!history.isOpen());
    history.retryOpen();
    QVERIFY(history.summaries().isEmpty());
    QVERIFY(history.isOpen());
}

void TestOrderHistory::firstLayoutIsAdoptedAndStamped()
{
    // A history as the first version wrote it: local times, no application id.
    const QString file = path(OrderHistory::FileName);
    const QString line =
        lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"OIL FILTER"_s, u"12.50"_s, QString(), u"25.00"_s);
    for (const QString& statement :
         {u"CREATE TABLE orders(id INTEGER PRIMARY KEY, sent_at TEXT NOT NULL, account TEXT NOT "
          "NULL, login TEXT NOT NULL, ordered_by TEXT NOT NULL, purchase_order TEXT NOT NULL, "
          "notes TEXT NOT NULL, status TEXT NOT NULL, number INTEGER NOT NULL, search TEXT NOT "
          "NULL)"_s,
          u"CREATE TABLE lines(order_id INTEGER NOT NULL, position INTEGER NOT NULL, quantity "
          "TEXT NOT NULL, line_code TEXT NOT NULL, part_number TEXT NOT NULL, description TEXT "
          "NOT NULL, net TEXT NOT NULL, core TEXT NOT NULL, total TEXT NOT NULL, list TEXT NOT "
          "NULL, cart_line TEXT NOT NULL, PRIMARY KEY(order_id, position))"_s,
          u"INSERT INTO orders VALUES(7, '2026-12-08T10:00:00', '1234', 'JSMITH', 'JOE', 'PO1', "
          "'', 'Confirmed', 4711, '4711\nPO1\nABC123')"_s,
          u"INSERT INTO lines VALUES(7, 0, '2', 'XYZ', 'ABC123', 'OIL FILTER', '12.50', '', "
          "'25.00', '', '"_s
              + line + u"')"_s,
          u"PRAGMA user_version = 1"_s})
        QCOMPARE(sqlRows(file, statement), QStringList());
    OrderHistory history(m_folder->path());
    QSignalSpy trouble(&history, &OrderHistory::trouble);
    QCOMPARE(history.summaries().size(), 1);
    const history::Summary summary = history.summaries().first();
    QCOMPARE(summary.sentAt, Morning); // read as local time
    QCOMPARE(summary.lineCount, 1);
    QCOMPARE(summary.subTotal, 25.0F);
    QCOMPARE(history.find(u"oil"_s), QList<qint32>{0});
    const history::Order cart = history::orderFromCart(u"1234"_s, u"JSMITH"_s, QString(), QString(),
                                                       QString(), {line}, Morning);
    QCOMPARE(history.sentBefore(cart).value_or(history::Summary()).id, 7);
    QCOMPARE(trouble.size(), 0);
    QCOMPARE(sqlRows(file, u"PRAGMA application_id"_s), QStringList{u"1448234571"_s});
    QCOMPARE(sqlRows(file, u"PRAGMA user_version"_s), QStringList{u"2"_s});
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
