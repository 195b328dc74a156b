// The window: its controls and layout, start-up, and the routing of window events to handlers.
#include "gui/mainform.h"

#include "core/history.h"
#include "core/version.h"
#include "gui/artwork.h"
#include "gui/listcontrol.h"
#include "gui/quickorderdlg.h"
#include "gui/twips.h"
#include "gui/typefaces.h"
#include "logic/cart/cart.h"
#include "logic/quickorder/partlookups.h"
#include "logic/replies/replydispatcher.h"
#include "logic/settings/settings.h"
#include "logic/tick/ticker.h"
#include "logic/tracelog/tracelog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;
using twips::place;

namespace {

template <class Widget>
Widget* named(Widget* widget, const QString& name, const QString& spoken = {})
{
    widget->setObjectName(name);
    widget->setAccessibleDescription(name);
    if (!spoken.isEmpty())
        widget->setAccessibleName(spoken);
    return widget;
}

QString indexed(const QString& name, int index)
{
    return name + u'(' + QString::number(index) + u')';
}

void makeBold(QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QLabel* caption(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    place(label, left, top, width, height);
    return label;
}

QLineEdit* textBox(QWidget* parent, const QString& name, const QString& spoken,
                   const QString& design, int left, int top, int width, int height = 375)
{
    auto* box = named(new QLineEdit(design, parent), name, spoken);
    place(box, left, top, width, height);
    return box;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, int left, int top,
                    int width, int height)
{
    auto* cmd = named(new QPushButton(text, parent), name, text.trimmed());
    place(cmd, left, top, width, height);
    return cmd;
}

// A picture button, and its caption as a label beside or under it. Geometries in twips (left,
// top, width, height).
QPushButton* pictureButton(QWidget* parent, const QString& name, artwork::Picture icon,
                           const QString& label, QRect at, QRect labelAt)
{
    auto* cmd = named(new QPushButton(parent), name, label.trimmed());
    const QSize iconSize(twips::px(at.width()) - 10, twips::px(at.height()) - 10);
    cmd->setIcon(artwork::picture(icon, qMin(iconSize.width(), iconSize.height()),
                                  qApp->devicePixelRatio()));
    cmd->setIconSize(iconSize);
    cmd->setToolTip(label.trimmed());
    place(cmd, at.x(), at.y(), at.width(), at.height());
    caption(parent, label, labelAt.x(), labelAt.y(), labelAt.width(), labelAt.height());
    return cmd;
}

QFrame* picture(QWidget* parent, const QString& name, artwork::Picture icon, const QString& text,
                int left, int top, int width, int height, QLabel** textLabel = nullptr)
{
    auto* frame = named(new QFrame(parent), name);
    place(frame, left, top, width, height);
    auto* image = new PictureBox(icon, frame);
    image->setGeometry(2, 2, twips::px(height) - 4, twips::px(height) - 4);
    auto* label = new QLabel(text, frame);
    label->setTextFormat(Qt::PlainText);
    makeBold(label);
    label->setGeometry(twips::px(height) + 2, 0, twips::px(width) - twips::px(height) - 2,
                       twips::px(height));
    if (textLabel)
        *textLabel = label;
    frame->hide();
    return frame;
}

QTextEdit* helpBox(QWidget* parent, const QString& name, const QString& spoken, int left, int top,
                   int width, int height)
{
    auto* box = named(new QTextEdit(parent), name, spoken);
    box->setReadOnly(true);
    box->setAcceptRichText(false);
    box->setFocusPolicy(Qt::NoFocus);
    place(box, left, top, width, height);
    return box;
}

} // namespace

MainForm::MainForm(const Seams& seams, const QString& programFolder, const QString& commandLine,
                   QWidget* parent)
    : QMainWindow(parent)
    , m_seams(seams)
    , m_folder(QDir::toNativeSeparators(programFolder))
{
    if (!m_folder.endsWith(QDir::separator()))
        m_folder += QDir::separator();
    m_settings = new Settings(m_folder, this);
    m_dispatcher = new ReplyDispatcher(this);
    m_cart = new Cart(m_folder, this);
    m_ticker = new Ticker(this);
    m_traceLog = std::make_unique<TraceLog>(m_folder, commandLine);
    m_serverLink = new ServerLink(*m_seams.clock, this);
    buildLayout();
    wireSubsystems();
    routeEvents();
    Form_Load();
}

MainForm::~MainForm()
{
    // Deleting the controls moves the focus and the current tab; no handler may run on a window
    // being destroyed.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    disconnect(m_ui.SSTab1, &QTabWidget::currentChanged, this, nullptr);
    // The quick order's check cancels its look-ups, which end with m_lookups, before the
    // children go.
    delete m_quickOrder;
}

void MainForm::buildLayout()
{
    setObjectName(u"MainForm"_s);
    setWindowTitle(u"Vornik         Quillane          Ver:"_s);
    auto* central = new QWidget(this);
    setCentralWidget(central);
    setFixedSize(twips::px(12300), twips::px(9100));

    m_ui.SSTab1 = named(new QTabWidget(central), u"SSTab1"_s);
    place(m_ui.SSTab1, 0, 0, 12300, 9100);
    m_ui.InquiryPic = named(new QWidget, u"InquiryPic"_s);
    m_ui.Picture2 = named(new QWidget, u"Picture2"_s);
    m_ui.Picture1 = named(new QWidget, u"Picture1"_s);
    auto wrap = [](QWidget* content) {
        auto* page = new QWidget;
        content->setParent(page);
        return page;
    };
    m_ui.SSTab1->addTab(wrap(m_ui.InquiryPic), u"INQUIRY / ORDERING"_s);
    m_ui.SSTab1->addTab(wrap(m_ui.Picture2), u"INFORMATION / ORDER  HISTORY"_s);
    m_ui.SSTab1->addTab(wrap(m_ui.Picture1), u"OPTIONS"_s);
    // The inquiry tab's picture ends above 8500 twips, where the order frame waits out of view.
    place(m_ui.InquiryPic, 60, 20, 12100, 8480);
    place(m_ui.Picture2, 60, 20, 12100, 8480);
    place(m_ui.Picture1, 60, 20, 12100, 8480);

    buildInquiryTab();
    buildOptionsTab();
    // The information tab follows once the window is on screen (ensureInformationTab).
}

void MainForm::buildInquiryTab()
{
    QWidget* tab = m_ui.InquiryPic;

    m_ui.MyLogoPic = named(new QLabel(tab), u"MyLogoPic"_s, u"Company logo"_s);
    m_ui.MyLogoPic->setScaledContents(true);
    place(m_ui.MyLogoPic, 120, 60, 2400, 1100);

    const QFont product = typefaces::productName();
    for (int i = 0; i < 2; ++i) {
        m_ui.VornikLbl[size_t(i)] =
            named(new QLabel(i == 0 ? u"Vornik"_s : u"V3"_s, tab), indexed(u"VornikLbl"_s, i));
        m_ui.VornikLbl[size_t(i)]->setFont(product);
    }
    place(m_ui.VornikLbl[0], 2700, 60, 2600, 650);
    place(m_ui.VornikLbl[1], 5300, 60, 900, 650);

    m_ui.VersionLbl = named(new QLabel(u"Version: "_s, tab), u"VersionLbl"_s);
    m_ui.VersionLbl->setTextFormat(Qt::PlainText);
    place(m_ui.VersionLbl, 2750, 760, 2600, 250);
    m_ui.NewVerLbl = named(new QLabel(tab), u"NewVerLbl"_s);
    QPalette notice = m_ui.NewVerLbl->palette();
    notice.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_ui.NewVerLbl->setPalette(notice);
    makeBold(m_ui.NewVerLbl);
    place(m_ui.NewVerLbl, 2750, 1010, 3400, 250);

    m_ui.QuickOrderCmd = button(tab, u"QuickOrderCmd"_s, u"Quick Order..."_s, 8900, 120, 1600, 420);
    m_ui.OptionsCmd = button(tab, u"OptionsCmd"_s, u"Options"_s, 10600, 120, 1300, 420);

    m_ui.InquiryFrame = named(new FrameBox(tab), u"InquiryFrame"_s);
    place(m_ui.InquiryFrame, 120, 1280, 5350, 1400);
    auto* partLabel = caption(m_ui.InquiryFrame, u"Part Number Inquiry"_s, 150, 200, 3000, 260);
    m_ui.Parttxt =
        textBox(m_ui.InquiryFrame, u"Parttxt"_s, u"Part number"_s, QString(), 150, 520, 3000, 420);
    partLabel->setBuddy(m_ui.Parttxt);
    m_ui.InquiryCmd =
        pictureButton(m_ui.InquiryFrame, u"InquiryCmd"_s, artwork::Picture::Inquire,
                      u"Check Stock"_s, {3300, 420, 700, 620}, {4060, 600, 1250, 260});

    m_ui.LightBox = named(new QFrame(tab), u"LightBox"_s);
    m_ui.LightBox->setFrameShape(QFrame::StyledPanel);
    place(m_ui.LightBox, 5600, 1380, 1900, 900);
    for (int i = 0; i < 4; ++i) {
        QLabel*& led = m_ui.LedLight[size_t(i)];
        led = named(new LampLabel(m_ui.LightBox), indexed(u"LedLight"_s, i),
                    u"Connection light "_s + QString::number(i + 1));
        place(led, 150 + i * 420, 120, 300, 300);
        led->hide();
        QLabel*& number = m_ui.SocketNumLbl[size_t(i)];
        number =
            named(new QLabel(QString::number(i + 1), m_ui.LightBox), indexed(u"SocketNumLbl"_s, i));
        number->setAlignment(Qt::AlignCenter);
        place(number, 150 + i * 420, 480, 300, 280);
    }

    m_ui.ViewOrderCmd =
        pictureButton(tab, u"ViewOrderCmd"_s, artwork::Picture::ViewOrder, u"View Order"_s,
                      {7700, 1380, 700, 620}, {7550, 2030, 1100, 260});

    m_ui.ItemOrderFrame = named(new FrameBox(u"Item To Order"_s, tab), u"ItemOrderFrame"_s);
    place(m_ui.ItemOrderFrame, 8700, 1280, 3300, 1550);
    // Labels whose caption changes carry no accessible name of their own: assistive technology
    // reads the caption itself, and the caption label beside it (its buddy) says what it is.
    auto* orderPartLabel =
        caption(m_ui.ItemOrderFrame, u"Part Number To Order"_s, 120, 250, 3000, 260);
    m_ui.OrderPNumLbl = named(new QLabel(m_ui.ItemOrderFrame), u"OrderPNumLbl"_s);
    orderPartLabel->setBuddy(m_ui.OrderPNumLbl);
    m_ui.OrderPNumLbl->setTextFormat(Qt::PlainText);
    m_ui.OrderPNumLbl->setFont(typefaces::courierBold(10));
    place(m_ui.OrderPNumLbl, 120, 520, 3050, 300);
    auto* qtyLabel = caption(m_ui.ItemOrderFrame, u"Qty:"_s, 120, 1000, 450, 260);
    m_ui.Qtytxt =
        textBox(m_ui.ItemOrderFrame, u"Qtytxt"_s, u"Quantity"_s, u" 1"_s, 600, 930, 800, 400);
    qtyLabel->setBuddy(m_ui.Qtytxt);
    m_ui.OrderCmd = pictureButton(m_ui.ItemOrderFrame, u"OrderCmd"_s, artwork::Picture::Order,
                                  u"ORDER"_s, {1600, 880, 600, 500}, {2300, 1000, 900, 260});

    m_ui.MessageLbl = named(new QLabel(tab), u"MessageLbl"_s);
    m_ui.MessageLbl->setTextFormat(Qt::PlainText);
    makeBold(m_ui.MessageLbl);
    place(m_ui.MessageLbl, 150, 2700, 8400, 280);

    m_ui.AnswerList = named(
        new ListControl(
            u"NOTES  LIN PART#        DESCRIPTION           LIST     NET  Cor/Env  AVAIL"_s, tab),
        u"AnswerList"_s, u"Inquiry answer"_s);
    // Laid out where it waits out of view, so that start-up has nothing to slide away.
    twips::placePanel(m_ui.AnswerList, -14000, 3000, 11500, 5400);

    m_ui.OrderFrame = named(new FrameBox(u"My Order"_s, tab), u"OrderFrame"_s);
    twips::placePanel(m_ui.OrderFrame, 120, 2900, 11850, 5500);
    m_ui.OrderList = named(
        new ListControl(u" QTY LIN PART#        DESCRIPTION           NET    CORE/e    TOTAL"_s,
                        m_ui.OrderFrame),
        u"OrderList"_s, u"Order lines"_s);
    place(m_ui.OrderList, 120, 280, 11600, 3000);
    const std::array<QString, 3> fieldLabels{u"Ordered By:"_s, u"P.Order #:"_s,
                                             u"Notes/Message:"_s};
    const std::array<QString, 3> fieldSpoken{u"Ordered by"_s, u"Purchase order number"_s,
                                             u"Notes or message"_s};
    const std::array<int, 3> fieldWidth{3200, 3200, 5600};
    for (int i = 0; i < 3; ++i) {
        const int top = 3420 + i * 450;
        auto* label = caption(m_ui.OrderFrame, fieldLabels[size_t(i)], 120, top + 60, 1500, 260);
        m_ui.OrderInfoTxt[size_t(i)] =
            textBox(m_ui.OrderFrame, indexed(u"OrderInfoTxt"_s, i), fieldSpoken[size_t(i)],
                    QString(), 1650, top, fieldWidth[size_t(i)], 380);
        label->setBuddy(m_ui.OrderInfoTxt[size_t(i)]);
    }
    auto* countLabel = caption(m_ui.OrderFrame, u" Line Items:"_s, 7600, 3480, 1500, 260);
    m_ui.ItemCountLbl = named(new QLabel(u" 0"_s, m_ui.OrderFrame), u"ItemCountLbl"_s);
    countLabel->setBuddy(m_ui.ItemCountLbl);
    m_ui.ItemCountLbl->setFont(typefaces::courierBold(10));
    place(m_ui.ItemCountLbl, 9200, 3460, 2000, 300);
    auto* totalLabel = caption(m_ui.OrderFrame, u"Sub-Total:"_s, 7600, 3930, 1500, 260);
    m_ui.OrderTotalLbl = named(new QLabel(u" 0.00"_s, m_ui.OrderFrame), u"OrderTotalLbl"_s);
    totalLabel->setBuddy(m_ui.OrderTotalLbl);
    m_ui.OrderTotalLbl->setFont(typefaces::courierBold(10));
    place(m_ui.OrderTotalLbl, 9200, 3910, 2000, 300);
    m_ui.RemoveItemCmd =
        pictureButton(m_ui.OrderFrame, u"RemoveItemCmd"_s, artwork::Picture::Remove,
                      u"Remove This Item"_s, {120, 4850, 650, 560}, {830, 5000, 1900, 260});
    m_ui.RemoveAllCmd =
        pictureButton(m_ui.OrderFrame, u"RemoveAllCmd"_s, artwork::Picture::RemoveAll,
                      u"Cancel ALL items"_s, {3000, 4850, 650, 560}, {3710, 5000, 1900, 260});
    m_ui.SendOrderCmd =
        pictureButton(m_ui.OrderFrame, u"SendOrderCmd"_s, artwork::Picture::Send, u"SEND ORDER"_s,
                      {9100, 4850, 650, 560}, {9810, 5000, 1800, 260});
    m_ui.SaveCsvCmd =
        button(m_ui.OrderFrame, u"SaveCsvCmd"_s, u"Save as CSV..."_s, 6000, 4900, 1900, 450);
}

// The information tab is not in view at start; it is built after the window's first paint, or
// sooner when it is opened, so that building it does not delay that paint.
void MainForm::ensureInformationTab()
{
    if (m_ui.VersionInfo)
        return;
    buildInformationTab();
    // Controls added to a window already on screen stay hidden until shown.
    for (QWidget* control : m_ui.Picture2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->show();
    connect(m_ui.ForceUpdateCmd, &QPushButton::clicked, this, &MainForm::ForceUpdateCmd_Click);
    wireHistoryTab();
}

void MainForm::paintEvent(QPaintEvent* event)
{
    if (!m_ui.VersionInfo)
        QTimer::singleShot(0, this, &MainForm::ensureInformationTab);
    QMainWindow::paintEvent(event);
}

void MainForm::buildInformationTab()
{
    QWidget* tab = m_ui.Picture2;
    caption(tab, u"Version Information"_s, 150, 150, 4000, 260);
    m_ui.VersionInfo = named(new QTextEdit(tab), u"VersionInfo"_s, u"Version information"_s);
    m_ui.VersionInfo->setReadOnly(true);
    m_ui.VersionInfo->setPlainText(u"Version Information About Vornik"_s);
    place(m_ui.VersionInfo, 150, 450, 5600, 1600);
    m_ui.ForceUpdateCmd = button(tab, u"ForceUpdateCmd"_s, u"Force Update"_s, 150, 2200, 1900, 450);
    // The order list spans the tab's width below, so that a row holds the time, the line count
    // and the total, and about ten orders show at once.
    caption(tab, u"Orders sent from here, newest first; select one for its lines"_s, 6100, 900,
            5800, 260);
    auto* findLabel =
        caption(tab, u"&Find Order#, PO#, Part# or description:"_s, 6100, 1300, 5800, 260);
    const QString findSpoken = u"Find order number, PO number, part number or description"_s;
    m_ui.HistoryFilterTxt =
        textBox(tab, u"HistoryFilterTxt"_s, findSpoken, QString(), 6100, 1600, 5800);
    findLabel->setBuddy(m_ui.HistoryFilterTxt);
    m_ui.ReorderCmd = button(tab, u"ReorderCmd"_s, u"Order Again"_s, 6100, 2200, 1900, 420);
    m_ui.PrintOrderCmd = button(tab, u"PrintOrderCmd"_s, u"Print..."_s, 8100, 2200, 1500, 420);
    m_ui.HistoryCsvCmd =
        button(tab, u"HistoryCsvCmd"_s, u"Save as CSV..."_s, 9700, 2200, 1900, 420);
    m_ui.OrderHistoryList = named(new ListView(history::HistoryHeading, tab), u"OrderHistoryList"_s,
                                  u"Order history"_s);
    place(m_ui.OrderHistoryList, 150, 2750, 11750, 2900);
    m_ui.OrderDetailsList = named(new ListControl(history::DetailsHeading, tab),
                                  u"OrderDetailsList"_s, u"Order details"_s);
    place(m_ui.OrderDetailsList, 150, 5750, 11750, 2550);
}

void MainForm::buildOptionsTab()
{
    QWidget* tab = m_ui.Picture1;

    auto* login = new FrameBox(u" Account Login Settings "_s, tab);
    place(login, 120, 120, 5900, 5500);
    auto* nameLabel = caption(login, u"Login Name (12 max)"_s, 150, 380, 2200, 260);
    m_ui.LoginNameTxt = textBox(login, u"LoginNameTxt"_s, u"Login name"_s, u" "_s, 2450, 320, 3200);
    nameLabel->setBuddy(m_ui.LoginNameTxt);
    auto* accLabel = caption(login, u"My Account Number"_s, 150, 830, 2200, 260);
    m_ui.AccNumTxt = textBox(login, u"AccNumTxt"_s, u"Account number"_s, u" "_s, 2450, 770, 3200);
    accLabel->setBuddy(m_ui.AccNumTxt);
    auto* server = new FrameBox(u"Server Connection "_s, login);
    place(server, 150, 1250, 5600, 2000);
    auto* hostLabel =
        caption(server, u"Connection IP Address or Dynamic URL"_s, 120, 280, 5300, 260);
    m_ui.txtHostAddress =
        textBox(server, u"txtHostAddress"_s, u"Server address"_s, u" "_s, 120, 560, 5300);
    hostLabel->setBuddy(m_ui.txtHostAddress);
    auto* portLabel = caption(server, u"Connection Socket#"_s, 120, 1070, 2200, 260);
    m_ui.ServerSocketTxt =
        textBox(server, u"ServerSocketTxt"_s, u"Server port"_s, u"3300"_s, 2450, 1010, 1300);
    portLabel->setBuddy(m_ui.ServerSocketTxt);
    auto* direction =
        caption(server, u"Change these parameters ONLY on the direction of your supplier"_s, 120,
                1480, 5400, 450);
    direction->setWordWrap(true);
    auto* note = caption(login,
                         u"Login parameters must be exactly as provided by your supplier in "
                         "order to be able to connect to their server."_s,
                         150, 3330, 5600, 600);
    note->setWordWrap(true);
    caption(login, u"Help Notes ..."_s, 150, 3980, 3000, 260);
    m_ui.LoginHelpInfo =
        helpBox(login, u"LoginHelpInfo"_s, u"Login help notes"_s, 150, 4250, 5600, 1150);

    auto* prefs = new FrameBox(u"Preferences / Options "_s, tab);
    place(prefs, 6150, 120, 5850, 5500);
    auto* businessLabel = caption(prefs, u"My Business Name "_s, 150, 320, 3000, 260);
    m_ui.AccNameTxt =
        textBox(prefs, u"AccNameTxt"_s, u"Business name"_s, QString(), 150, 600, 5500);
    businessLabel->setBuddy(m_ui.AccNameTxt);
    caption(prefs, u"Purchase Order Option"_s, 150, 1120, 4000, 260);
    m_ui.PoOptionCheck[0] = named(new QCheckBox(u"Check If PO# Required For Orders"_s, prefs),
                                  indexed(u"PoOptionCheck"_s, 0), u"PO number required"_s);
    place(m_ui.PoOptionCheck[0], 150, 1420, 5500, 300);
    m_ui.PoOptionCheck[1] = named(new QCheckBox(u"Use The Following PO# On My Orders ..."_s, prefs),
                                  indexed(u"PoOptionCheck"_s, 1), u"Use a standing PO number"_s);
    place(m_ui.PoOptionCheck[1], 150, 1800, 5500, 300);
    m_ui.StandingPOtxt =
        textBox(prefs, u"StandingPOtxt"_s, u"Standing PO number"_s, u" "_s, 450, 2150, 3000);
    m_ui.RepNameOptCheck = named(new QCheckBox(u"Check YES If Sales Rep Name Required"_s, prefs),
                                 u"RepNameOptCheck"_s, u"Sales rep name required"_s);
    place(m_ui.RepNameOptCheck, 150, 2750, 5500, 300);
    caption(prefs, u"Help Notes ..."_s, 150, 3980, 3000, 260);
    m_ui.OptionsHelpInfo =
        helpBox(prefs, u"OptionsHelpInfo"_s, u"Preferences help notes"_s, 150, 4250, 5550, 1150);

    m_ui.SaveLoginInfoCmd[0] =
        button(tab, indexed(u"SaveLoginInfoCmd"_s, 0), u"SAVE"_s, 150, 5850, 1500, 500);
    m_ui.SavedPic =
        picture(tab, u"SavedPic"_s, artwork::Picture::Saved, u"SAVED !"_s, 1800, 5850, 1900, 500);
    m_ui.Testcmd = button(tab, u"Testcmd"_s, u"Test LOGIN "_s, 4000, 5850, 1800, 500);
    m_ui.PassedPic = picture(tab, u"PassedPic"_s, artwork::Picture::Passed, u"PASSED!"_s, 6000,
                             5850, 2200, 500, &m_ui.Label5);
    named(m_ui.Label5, u"Label5"_s);
    m_ui.Label5->hide(); // shown only by the hidden keyword
    m_ui.ErrorPic = picture(tab, u"ErrorPic"_s, artwork::Picture::Error,
                            u"ERROR! Check Login Settings"_s, 6000, 5850, 4500, 500);
}

void MainForm::wireSubsystems()
{
    connect(m_ticker, &Ticker::setupDue, this, &MainForm::tickSetup);
    connect(m_ticker, &Ticker::housekeeping, this, &MainForm::tickHousekeeping);

    // The server link reaches the window only through these.
    connect(m_serverLink, &ServerLink::replyArrived, this,
            [this](quint64 id, const QString& reply, bool ended) {
                m_dispatcher->takeReply(id, reply, ended, id == m_serverLink->currentRequest());
            });
    // A login test that waited behind another request has its five seconds from now on.
    connect(m_serverLink, &ServerLink::leftQueue, this, [this](quint64, ServerLink::Kind kind) {
        if (kind == ServerLink::Kind::LoginTest && m_settings->loginTestTimer() > 0)
            m_settings->startLoginTest(secondsNow());
    });
    connect(m_serverLink, &ServerLink::lampChanged, this,
            [this](int offset, bool lit) { m_ui.LedLight[size_t(offset)]->setVisible(lit); });
    connect(m_serverLink, &ServerLink::progress, m_ui.MessageLbl, &QLabel::setText);
    connect(m_serverLink, &ServerLink::failed, this,
            [this](const QString& text, ServerLink::Severity severity) {
                msgBox(text,
                       severity == ServerLink::Severity::Critical ? QMessageBox::Critical
                                                                  : QMessageBox::Warning);
            });
    connect(m_serverLink, &ServerLink::attemptsEnded, this,
            [this] { m_ui.InquiryCmd->setEnabled(true); });
    m_serverLink->setTraceRecorder([this](const QString& request) {
        return !m_traceLog->traceMode() || m_traceLog->TraceRequest(request);
    });
    wireHistory();

    // Escape stops a request that is still looking for the server.
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, m_serverLink, [this] { m_serverLink->cancel(); });

    connect(m_dispatcher, &ReplyDispatcher::replyStarted, this, &MainForm::showReplyStarted);
    connect(m_dispatcher, &ReplyDispatcher::emptyReply, this, [this] {
        msgBox(u"Look-Up Response Error - Please resubmit "_s, QMessageBox::Warning);
        m_ui.InquiryCmd->setEnabled(true);
    });
    connect(m_dispatcher, &ReplyDispatcher::orderConfirmation, this, &MainForm::OrderReply);
    connect(m_dispatcher, &ReplyDispatcher::loginPassed, this, [this] { ShowLoginStatus(true); });
    connect(m_dispatcher, &ReplyDispatcher::serverError, this, [this](const QString& message) {
        msgBox(message, QMessageBox::Warning);
        m_ui.InquiryCmd->setEnabled(true);
    });
    connect(m_dispatcher, &ReplyDispatcher::partNotFound, this, [this] {
        m_ui.MessageLbl->setText(u"Part Not Found!"_s);
        msgBox(u"PART NUMBER NOT FOUND"_s, QMessageBox::Warning);
    });
    connect(m_dispatcher, &ReplyDispatcher::answerRow, this,
            [this](const QString& row, quint32 colour) {
                m_ui.AnswerList->addRow(row, QColor::fromRgb(colour));
                // Rows appear one by one during a long answer, at most one repaint per frame.
                m_ui.AnswerList->repaintThrottled();
            });
    connect(m_dispatcher, &ReplyDispatcher::newVersionAvailable, this,
            [this] { m_ui.NewVerLbl->setText(u"NEW UPDATE AVAILABLE!"_s); });
    connect(m_dispatcher, &ReplyDispatcher::stepFailed, this, &MainForm::reportStep);
    connect(m_dispatcher, &ReplyDispatcher::answerComplete, this, &MainForm::showAnswerComplete);

    connect(m_cart, &Cart::saveFailed, this, [this](bool emptied) {
        msgBox(emptied
                   ? u"The items were removed from My Order, but MyOrder.dat in the program "
                     "folder could not be emptied and still holds them: they will be offered "
                     "again at the next start. Please check that the program folder can be "
                     "written to."_s
                   : u"Your order could not be saved to MyOrder.dat in the program folder. The "
                     "items shown in My Order are unchanged, but MyOrder.dat may not match them "
                     "if the program is closed now. Please check that the program folder can be "
                     "written to."_s,
               QMessageBox::Warning);
    });
}

void MainForm::routeEvents()
{
    // Keys and mouse buttons go through eventFilter; focus moves through routeFocusMove.
    for (QObject* watched : std::initializer_list<QObject*>{
             m_ui.Parttxt, m_ui.AnswerList, m_ui.SocketNumLbl[0], m_ui.SocketNumLbl[1],
             m_ui.SocketNumLbl[2], m_ui.SocketNumLbl[3]})
        watched->installEventFilter(this);

    connect(qApp, &QApplication::focusChanged, this, &MainForm::routeFocusMove);
    connect(m_ui.SSTab1, &QTabWidget::currentChanged, this, &MainForm::parkFocusOnTabBar);
    connect(m_ui.InquiryCmd, &QPushButton::clicked, this, &MainForm::InquiryCmd_Click);
    connect(m_ui.OptionsCmd, &QPushButton::clicked, this, &MainForm::OptionsCmd_Click);
    connect(m_ui.QuickOrderCmd, &QPushButton::clicked, this, &MainForm::QuickOrderCmd_Click);
    connect(m_ui.SaveCsvCmd, &QPushButton::clicked, this, &MainForm::SaveCsvCmd_Click);
    connect(m_ui.ViewOrderCmd, &QPushButton::clicked, this, &MainForm::ViewOrderCmd_Click);
    connect(m_ui.OrderCmd, &QPushButton::clicked, this, &MainForm::OrderCmd_Click);
    connect(m_ui.RemoveItemCmd, &QPushButton::clicked, this, &MainForm::RemoveItemCmd_Click);
    connect(m_ui.RemoveAllCmd, &QPushButton::clicked, this, &MainForm::RemoveAllCmd_Click);
    connect(m_ui.SendOrderCmd, &QPushButton::clicked, this, &MainForm::SendOrderCmd_Click);
    connect(m_ui.Testcmd, &QPushButton::clicked, this, &MainForm::Testcmd_Click);
    connect(m_ui.SaveLoginInfoCmd[0], &QPushButton::clicked, this,
            [this] { SaveLoginInfoCmd_Click(0); });
    connect(m_ui.AnswerList, &QListWidget::currentRowChanged, this, &MainForm::AnswerList_Click);
    connect(m_ui.AnswerList, &QListWidget::itemClicked, this, &MainForm::AnswerList_Click);
}

// The focus handlers run only when the focus moves from one control of this window to another:
// a click, Tab, or the program's own setFocus. Qt also moves the focus when the window is
// deactivated and activated again, when a context menu or a message box opens and closes, and
// when a tab change hides the control that had it (to the tab bar, then into the new page); none
// of these is a move between two controls, so none reaches a got-focus handler. A control hidden
// by a tab change has been left all the same, so its lost-focus handler runs.
void MainForm::routeFocusMove(QWidget* old, QWidget* now)
{
    if (!old || !now || old->window() != this || now->window() != this)
        return;
    const bool left = old != m_displacedFocus;
    if (!old->isVisible() || !left) {
        if (!m_displacedFocus)
            QTimer::singleShot(0, this, [this] { m_displacedFocus = nullptr; });
        m_displacedFocus = now;
        if (left)
            leaveControl(old);
        return;
    }
    // The handler of the control left runs first, then that of the control entered.
    leaveControl(old);
    for (int i = 0; i < 2; ++i)
        if (now == m_ui.PoOptionCheck[size_t(i)])
            PoOptionCheck_GotFocus(i);
    if (const auto gained = focusHandlers(now).gained)
        (this->*gained)();
}

void MainForm::leaveControl(QWidget* old)
{
    for (int i = 0; i < 3; ++i)
        if (old == m_ui.OrderInfoTxt[size_t(i)])
            OrderInfoTxt_LostFocus(i);
    if (const auto lost = focusHandlers(old).lost)
        (this->*lost)();
}

// After a tab change the keyboard focus rests on the tab bar rather than in a field of the new
// page that the user never chose: the next click into a field is then a move, and runs that
// field's got-focus handler.
void MainForm::parkFocusOnTabBar()
{
    QWidget* focus = focusWidget();
    QTabBar* bar = m_ui.SSTab1->tabBar();
    if (focus && focus != bar && m_ui.SSTab1->isAncestorOf(focus)) {
        m_displacedFocus = focus; // the move to the tab bar is the program's, not the user's
        bar->setFocus(Qt::OtherFocusReason);
    }
    m_displacedFocus = nullptr; // the tab change's own moves are over
}

MainForm::FocusHandlers MainForm::focusHandlers(const QWidget* control) const
{
    // The controls with handlers of their own; the indexed ones are served by routeFocusMove.
    const std::array<std::pair<const QWidget*, FocusHandlers>, 8> table{{
        {m_ui.Parttxt, {&MainForm::Parttxt_GotFocus, &MainForm::Parttxt_LostFocus}},
        {m_ui.Qtytxt, {&MainForm::Qtytxt_GotFocus, &MainForm::Qtytxt_LostFocus}},
        {m_ui.AccNameTxt, {&MainForm::AccNameTxt_GotFocus, nullptr}},
        {m_ui.AccNumTxt, {&MainForm::AccNumTxt_GotFocus, &MainForm::AccNumTxt_LostFocus}},
        {m_ui.LoginNameTxt, {&MainForm::LoginNameTxt_GotFocus, &MainForm::LoginNameTxt_LostFocus}},
        {m_ui.txtHostAddress, {&MainForm::txtHostAddress_GotFocus, nullptr}},
        {m_ui.RepNameOptCheck, {&MainForm::RepNameOptCheck_GotFocus, nullptr}},
        {m_ui.StandingPOtxt, {&MainForm::StandingPOtxt_GotFocus, nullptr}},
    }};
    for (const auto& [owner, handlers] : table)
        if (owner == control)
            return handlers;
    return {};
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_ui.Parttxt)
            return Parttxt_KeyPress(key);
        if (watched == m_ui.AnswerList)
            AnswerList_KeyPress(key);
    } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 4; ++i) {
            if (watched != m_ui.SocketNumLbl[size_t(i)])
                continue;
            if (type == QEvent::MouseButtonPress)
                SocketNumLbl_MouseDown(i);
            else
                SocketNumLbl_MouseUp(i);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        // Closing drops the connection an overdue confirmation could still arrive on.
        const QString overdue = overdueOrderTime();
        if (!overdue.isEmpty()
            && msgBox(u"The order sent at "_s + overdue
                          + u" has not been confirmed yet, and it stays in My Order. If you close "
                            "now, its confirmation can no longer arrive. Close anyway?"_s,
                      QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
                != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

void MainForm::Form_Load()
{
    m_ui.VersionLbl->setText(u"Version : "_s + vornik::VersionText.toString());
    setWindowTitle(windowTitle() + vornik::VersionText.toString());

    m_settings->ApplyLoginUpdate();
    twips::setTop(m_ui.InquiryPic, 20);
    SlideOrderFrame(false);
    m_ui.SSTab1->setCurrentIndex(0);
    m_ui.ItemOrderFrame->setEnabled(false);
    twips::setTop(m_ui.AnswerList, 3000);
    SlideAnswerList(false);
    // Asked first: a reader for a file that is not there still loads every image plugin.
    const QString logoPath = m_folder + u"mylogo.jpg"_s;
    if (QFileInfo(logoPath).isFile()) {
        QImageReader logo(logoPath);
        const QImage image = logo.read();
        if (!image.isNull())
            m_ui.MyLogoPic->setPixmap(QPixmap::fromImage(image));
    }
    m_ticker->start();
}

double MainForm::secondsNow() const
{
    return m_seams.clock->secondsSinceMidnight();
}

void MainForm::pauseUntil(double target)
{
    const double remaining = target - secondsNow();
    if (remaining > 0)
        m_seams.clock->pause(static_cast<int>(remaining * 1000.0 + 0.999));
}

QMessageBox::StandardButton MainForm::msgBox(const QString& text, QMessageBox::Icon icon,
                                             QMessageBox::StandardButtons buttons,
                                             const QString& title)
{
    ++m_openBoxes;
    const QMessageBox::StandardButton answer =
        m_seams.prompter->ask(this, icon, title, text, buttons);
    // The waiting warnings follow once the handler that asked has finished with the answer.
    if (--m_openBoxes == 0 && !m_pendingWarnings.isEmpty())
        QTimer::singleShot(0, this, &MainForm::showPendingWarnings);
    return answer;
}

void MainForm::warnWhenNoBox(const QString& text)
{
    m_pendingWarnings << text;
    if (m_openBoxes == 0)
        showPendingWarnings();
}

void MainForm::showPendingWarnings()
{
    while (m_openBoxes == 0 && !m_pendingWarnings.isEmpty())
        msgBox(m_pendingWarnings.takeFirst(), QMessageBox::Warning);
}

void MainForm::playSound(const QString& fileName)
{
    if (m_seams.sounds)
        m_seams.sounds->play(m_folder + fileName);
}
