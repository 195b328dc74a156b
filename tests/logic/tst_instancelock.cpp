// The lock that keeps one running window per program folder: a second holder is refused while the
// first lives, a file left behind by an ended run is no obstacle, and a folder where the lock
// cannot be made lets the program run without it.
#include "app/instancelock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void secondHolderRefused();
    void leftoverFileTakenOver();
    void unwritableFolderRunsWithout();
};

void TestInstanceLock::secondHolderRefused()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"vornik.lock"_s);
    auto first = std::make_unique<InstanceLock>(path);
    QCOMPARE(first->state(), InstanceLock::State::Held);
    QCOMPARE(InstanceLock(path).state(), InstanceLock::State::HeldByOther);
    first.reset(); // the first window ends: the next start gets the lock
    QCOMPARE(InstanceLock(path).state(), InstanceLock::State::Held);
}

void TestInstanceLock::leftoverFileTakenOver()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"vornik.lock"_s);
    QFile leftover(path); // as a crashed run leaves it, with a pid that cannot be alive
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.write("2147483600\nvornik\nhost\n");
    leftover.close();
    QCOMPARE(InstanceLock(path).state(), InstanceLock::State::Held);
}

void TestInstanceLock::unwritableFolderRunsWithout()
{
    QTemporaryDir outer; // a folder whose parent is a file: nothing can be made in it
    QFile blocker(outer.filePath(u"file"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QCOMPARE(InstanceLock(outer.filePath(u"file/program/vornik.lock"_s)).state(),
             InstanceLock::State::Unavailable);
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
