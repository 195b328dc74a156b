// Start-up and layout: captions, design texts, control names for automation, the program folder,
// the logo and the single-instance lock.
#include "core/shellrules.h"
#include "gui/listcontrol.h"
#include "support/controls.h"
#include "support/filebytes.h"
#include "support/formfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QTabWidget>
#include <QTextEdit>

#include <array>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void captions();
    void controlTexts_data();
    void controlTexts();
    void listHeadings_data();
    void listHeadings();
    void headingStandsOverItsColumns_data();
    void headingStandsOverItsColumns();
    void everyNamedControlIsFindable();
    void informationTabOpenedBeforeFirstPaint();
    void labelsSpeakTheirCaption();
    void filePathsInProgramFolder_data();
    void filePathsInProgramFolder();
    void logoLoadedWhenPresent();
    void brokenLogoIgnored();
};

namespace {
const std::array<const char*, 8> InformationControls{
    "VersionInfo", "ForceUpdateCmd", "HistoryFilterTxt", "OrderHistoryList",
    "ReorderCmd",  "PrintOrderCmd",  "HistoryCsvCmd",    "OrderDetailsList"};
} // namespace

void TestStartup::captions()
{
    FormFixture fx;
    MainForm& f = fx.start();
    QCOMPARE(f.windowTitle(), u"Vornik         Quillane          Ver:23.07.13"_s);
    QCOMPARE(control<QLabel>(f, "VersionLbl")->text(), u"Version : 23.07.13"_s);
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 0);
    QCOMPARE(control<QTimer>(f, "MiscTimer")->interval(), 1000);
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->count(), 3);
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->tabText(0), u"INQUIRY / ORDERING"_s);
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->tabText(1), u"INFORMATION / ORDER  HISTORY"_s);
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->tabText(2), u"OPTIONS"_s);
}

void TestStartup::controlTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("OptionsCmd") << u"OptionsCmd"_s << u"Options"_s;
    QTest::newRow("VornikLbl(0)") << u"VornikLbl(0)"_s << u"Vornik"_s;
    QTest::newRow("VornikLbl(1)") << u"VornikLbl(1)"_s << u"V3"_s;
    QTest::newRow("SocketNumLbl(0) is 1") << u"SocketNumLbl(0)"_s << u"1"_s;
    QTest::newRow("SocketNumLbl(3) is 4") << u"SocketNumLbl(3)"_s << u"4"_s;
    QTest::newRow("ItemCountLbl has its leading blank") << u"ItemCountLbl"_s << u" 0"_s;
    QTest::newRow("OrderTotalLbl has its leading blank") << u"OrderTotalLbl"_s << u" 0.00"_s;
    QTest::newRow("Qtytxt") << u"Qtytxt"_s << u" 1"_s;
    QTest::newRow("NewVerLbl empty") << u"NewVerLbl"_s << QString();
    QTest::newRow("MessageLbl empty") << u"MessageLbl"_s << QString();
    QTest::newRow("ForceUpdateCmd") << u"ForceUpdateCmd"_s << u"Force Update"_s;
    QTest::newRow("Testcmd keeps its trailing blank") << u"Testcmd"_s << u"Test LOGIN "_s;
    QTest::newRow("SaveLoginInfoCmd(0)") << u"SaveLoginInfoCmd(0)"_s << u"SAVE"_s;
    QTest::newRow("txtHostAddress design blank") << u"txtHostAddress"_s << u" "_s;
    QTest::newRow("LoginNameTxt design blank") << u"LoginNameTxt"_s << u" "_s;
    QTest::newRow("AccNumTxt design blank") << u"AccNumTxt"_s << u" "_s;
    QTest::newRow("StandingPOtxt design blank") << u"StandingPOtxt"_s << u" "_s;
    QTest::newRow("AccNameTxt empty") << u"AccNameTxt"_s << QString();
    QTest::newRow("ServerSocketTxt") << u"ServerSocketTxt"_s << u"3300"_s;
    QTest::newRow("Label5") << u"Label5"_s << u"PASSED!"_s;
    QTest::newRow("VersionInfo") << u"VersionInfo"_s << u"Version Information About Vornik"_s;
    QTest::newRow("ItemOrderFrame") << u"ItemOrderFrame"_s << u"Item To Order"_s;
    QTest::newRow("OrderFrame") << u"OrderFrame"_s << u"My Order"_s;
    QTest::newRow("PoOptionCheck(0)")
        << u"PoOptionCheck(0)"_s << u"Check If PO# Required For Orders"_s;
    QTest::newRow("PoOptionCheck(1)")
        << u"PoOptionCheck(1)"_s << u"Use The Following PO# On My Orders ..."_s;
    QTest::newRow("RepNameOptCheck")
        << u"RepNameOptCheck"_s << u"Check YES If Sales Rep Name Required"_s;
}

static QString textOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    if (auto* rich = qobject_cast<QTextEdit*>(widget))
        return rich->toPlainText();
    return u"<no text>"_s;
}

void TestStartup::controlTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    FormFixture fx;
    MainForm& f = fx.start();
    auto* widget = f.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(textOf(widget), text);
}

void TestStartup::listHeadings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("heading");
    QTest::newRow("AnswerList")
        << u"AnswerList"_s
        << u"NOTES  LIN PART#        DESCRIPTION           LIST     NET  Cor/Env  AVAIL"_s;
    QTest::newRow("OrderList")
        << u"OrderList"_s
        << u" QTY LIN PART#        DESCRIPTION           NET    CORE/e    TOTAL"_s;
    QTest::newRow("OrderHistoryList")
        << u"OrderHistoryList"_s << u"Date     Time      Order#  Lines     Total  Status"_s;
    QTest::newRow("OrderDetailsList")
        << u"OrderDetailsList"_s << u" QTY  Part Number   Description        LIST      Cost"_s;
}

void TestStartup::listHeadings()
{
    QFETCH(QString, name);
    QFETCH(QString, heading);
    FormFixture fx;
    MainForm& f = fx.start();
    auto* list = f.findChild<QAbstractItemView*>(name);
    QVERIFY(list);
    // The long order history list is drawn from a model, the others hold their rows.
    auto* rows = qobject_cast<ListControl*>(list);
    auto* view = qobject_cast<ListView*>(list);
    QVERIFY(rows || view);
    QCOMPARE(rows ? rows->heading() : view->heading(), heading);
    // The face drawn, whichever stands in for Courier New here, keeps the columns in line.
    QVERIFY(QFontInfo(list->font()).fixedPitch());
    QVERIFY(list->font().bold());
}

namespace {
// The leftmost and rightmost columns of the viewport's width in which the band of rows
// [top, bottom) holds solid ink; {-1, -1} when it holds none.
std::pair<int, int> inkSpan(const QImage& image, int left, int right, int top, int bottom)
{
    int first = -1;
    int last = -1;
    for (int x = left; x < right; ++x)
        for (int y = top; y < bottom; ++y)
            if (qGray(image.pixel(x, y)) < 80) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}
} // namespace

void TestStartup::headingStandsOverItsColumns_data()
{
    listHeadings_data();
}

void TestStartup::headingStandsOverItsColumns()
{
    // A row holding the heading's own text must be drawn exactly under it, also when the list
    // is scrolled sideways.
    QFETCH(QString, heading);
    ListControl list(heading);
    // Narrower than the text, so that it scrolls sideways.
    list.resize(QFontMetrics(list.font()).horizontalAdvance(heading) / 2 + 40, 160);
    list.addRow(heading);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QRect rows = list.viewport()->geometry();
    const QRect row = list.visualItemRect(list.item(0)).translated(rows.topLeft());
    auto* bar = list.horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    for (const int scroll : {0, 7, bar->maximum()}) {
        bar->setValue(scroll);
        const QImage image = list.grab().toImage();
        const auto headingInk =
            inkSpan(image, rows.left(), rows.right(), list.frameWidth(), rows.top());
        const auto rowInk = inkSpan(image, rows.left(), rows.right(), row.top(), row.bottom());
        QVERIFY(headingInk.first >= 0);
        // Within a pixel: a glyph after blanks may fall between pixels, and the row's highlight
        // shades the edges of its glyphs differently from the heading's background.
        const QString found = u"heading %1-%2, row %3-%4 at scroll %5"_s.arg(headingInk.first)
                                  .arg(headingInk.second)
                                  .arg(rowInk.first)
                                  .arg(rowInk.second)
                                  .arg(scroll);
        QVERIFY2(qAbs(headingInk.first - rowInk.first) <= 1, qPrintable(found));
        QVERIFY2(qAbs(headingInk.second - rowInk.second) <= 1, qPrintable(found));
    }
}

void TestStartup::everyNamedControlIsFindable()
{
    FormFixture fx;
    MainForm& f = fx.start();
    const QStringList names{
        u"SSTab1"_s,          u"InquiryPic"_s,      u"Picture1"_s,     u"Picture2"_s,
        u"InquiryFrame"_s,    u"Parttxt"_s,         u"InquiryCmd"_s,   u"LightBox"_s,
        u"ViewOrderCmd"_s,    u"OrderCmd"_s,        u"OrderPNumLbl"_s, u"OrderList"_s,
        u"RemoveItemCmd"_s,   u"RemoveAllCmd"_s,    u"SendOrderCmd"_s, u"OrderInfoTxt(0)"_s,
        u"OrderInfoTxt(1)"_s, u"OrderInfoTxt(2)"_s, u"MyLogoPic"_s,    u"VersionLbl"_s,
        u"ErrorPic"_s,        u"PassedPic"_s,       u"SavedPic"_s,     u"OptionsHelpInfo"_s,
        u"LoginHelpInfo"_s,   u"LedLight(0)"_s,     u"LedLight(3)"_s};
    for (const QString& name : names) {
        auto* widget = f.findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->accessibleDescription(), name);
    }
    for (int i = 0; i < 4; ++i)
        QVERIFY(!control<QLabel>(f, "LedLight", i)->isVisibleTo(&f));
    QVERIFY(!control<QFrame>(f, "PassedPic")->isVisibleTo(&f));
    QVERIFY(!control<QFrame>(f, "ErrorPic")->isVisibleTo(&f));
    QVERIFY(!control<QFrame>(f, "SavedPic")->isVisibleTo(&f));
    QVERIFY(!control<QLabel>(f, "Label5")->isVisibleTo(&f));
    // Inputs and lists have spoken names too.
    const auto edits = f.findChildren<QLineEdit*>();
    QVERIFY(edits.size() >= 11);
    for (const QLineEdit* edit : edits)
        QVERIFY2(!edit->accessibleName().isEmpty(), qPrintable(edit->objectName()));
    for (const ListControl* list : f.findChildren<ListControl*>())
        QVERIFY2(!list->accessibleName().isEmpty(), qPrintable(list->objectName()));
}

void TestStartup::informationTabOpenedBeforeFirstPaint()
{
    FormFixture fx;
    MainForm& f = fx.start({}, false);
    f.show();
    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(1);
    for (const char* name : InformationControls)
        QVERIFY2(control<QWidget>(f, name)->isVisible(), name);
    // The build due after the first paint finds the tab there and adds nothing.
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTest::qWait(50);
    QCOMPARE(f.findChildren<QWidget*>(u"ForceUpdateCmd"_s).size(), 1);
}

void TestStartup::labelsSpeakTheirCaption()
{
    FormFixture fx;
    MainForm& f = fx.start();
    const auto spokenName = [](QWidget* widget) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        return iface ? iface->text(QAccessible::Name) : u"(no interface)"_s;
    };
    // Every text label, named or not, is read out as the caption it shows now.
    int checked = 0;
    for (QLabel* label : f.findChildren<QLabel*>()) {
        if (!label->accessibleName().isEmpty())
            continue; // pictures (the logo, the lamps) keep their description
        label->setText(u"changed caption "_s + QString::number(checked++));
        QCOMPARE(spokenName(label), label->text());
    }
    QVERIFY(checked > 40);

    // The changing values are labelled by the caption beside them.
    const QList<std::pair<QString, QString>> labelled{
        {u"OrderPNumLbl"_s, u"Part Number To Order"_s},
        {u"ItemCountLbl"_s, u" Line Items:"_s},
        {u"OrderTotalLbl"_s, u"Sub-Total:"_s}};
    FormFixture fresh;
    MainForm& g = fresh.start();
    for (const auto& [name, captionText] : labelled) {
        QAccessibleInterface* iface =
            QAccessible::queryAccessibleInterface(g.findChild<QLabel*>(name));
        QVERIFY2(iface, qPrintable(name));
        QStringList labels;
        for (const auto& relation : iface->relations(QAccessible::Label))
            labels << relation.first->text(QAccessible::Name);
        QVERIFY2(labels.contains(captionText), qPrintable(labels.join(u'|')));
    }

    // The status line as the window itself changes it.
    auto* part = g.findChild<QLineEdit*>(u"Parttxt"_s);
    part->setText(u"ABCDEFGHIJKLM"_s); // one character too long
    QTest::mouseClick(g.findChild<QPushButton*>(u"InquiryCmd"_s), Qt::LeftButton);
    auto* status = g.findChild<QLabel*>(u"MessageLbl"_s);
    QCOMPARE(status->text(), u"Invalid Part Number"_s);
    QCOMPARE(spokenName(status), u"Invalid Part Number"_s);
}

void TestStartup::filePathsInProgramFolder_data()
{
    QTest::addColumn<bool>("trailingSeparator");
    QTest::newRow("folder without separator gains one") << false;
    QTest::newRow("folder ending in the separator gains no second") << true;
}

void TestStartup::filePathsInProgramFolder()
{
    // However the folder is given, the settings and the saved order are read from it, the first
    // run is marked in it and the launcher points into it.
    QFETCH(bool, trailingSeparator);
    FormFixture fx;
    fx.writeSettings(3300, QByteArray()); // a first run
    fx.write(u"shortcut.inf"_s, "T=vornik\r\nx\r\nN=Desk\r\n");
    fx.write(u"MyOrder.dat"_s,
             "   2 ACM PH3600       OIL FILTER            4.95      0.00      9.90\r\n");
    fx.prompter.answers << QMessageBox::Yes; // keep the saved order
    const QString folder = fx.folder.path() + u'/';
    MainForm f(Seams{&fx.clock, &fx.prompter, &fx.sounds, fx.desktop.path()},
               trailingSeparator ? folder : fx.folder.path(), {});
    control<QTimer>(f, "MiscTimer")->stop();
    tick(f);
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), u"JSMITH"_s);
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), 1);
    QCOMPARE(fx.read(u"Options.Inf"_s), QByteArray("       \r\n"));
    QCOMPARE(fileBytes(QDir(fx.desktop.path()).filePath(u"Desk.desktop"_s)),
             shellrules::launcherText(u"Desk", folder + u"vornik"_s, folder, {}).toUtf8());
}

void TestStartup::logoLoadedWhenPresent()
{
    FormFixture fx;
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    QVERIFY(logo.save(fx.folder.filePath(u"mylogo.jpg"_s), "JPG"));
    MainForm& f = fx.start();
    QVERIFY(!control<QLabel>(f, "MyLogoPic")->pixmap().isNull());
}

void TestStartup::brokenLogoIgnored()
{
    FormFixture fx;
    fx.write(u"mylogo.jpg"_s, "not a picture");
    MainForm& f = fx.start();
    QVERIFY(control<QLabel>(f, "MyLogoPic")->pixmap().isNull());
    QVERIFY(fx.prompter.boxes.isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
