// The window: its controls and layout, start-up, and the routing of window events to handlers.
#include "shell/mainform.h"

#include "core/history.h"
#include "core/text.h"
#include "inquiry/inquirystate.h"
#include "link/linkstate.h"
#include "order/orderstate.h"
#include "shell/listcontrol.h"
#include "shell/shellstate.h"
#include "shell/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;
using twips::place;

namespace {

const QString ProgramName = u"Vornik"_s;

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

// A picture button with its caption as a label beside or under it.
QPushButton* pictureButton(QWidget* parent, const QString& name, QStyle::StandardPixmap icon,
                           const QString& label, int left, int top, int width, int height)
{
    auto* cmd = named(new QPushButton(parent), name, label.trimmed());
    cmd->setIcon(parent->style()->standardIcon(icon));
    cmd->setIconSize(QSize(twips::px(width) - 10, twips::px(height) - 10));
    cmd->setToolTip(label.trimmed());
    place(cmd, left, top, width, height);
    return cmd;
}

QPixmap lampPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(size * 0.4, size * 0.4, size * 0.6);
    glow.setColorAt(0, QColor(200, 255, 200));
    glow.setColorAt(1, QColor(0, 160, 0));
    painter.setBrush(glow);
    painter.setPen(QColor(0, 90, 0));
    painter.drawEllipse(1, 1, size - 2, size - 2);
    return pixmap;
}

QFrame* picture(QWidget* parent, const QString& name, QStyle::StandardPixmap icon,
                const QString& text, int left, int top, int width, int height,
                QLabel** textLabel = nullptr)
{
    auto* frame = named(new QFrame(parent), name);
    place(frame, left, top, width, height);
    auto* image = new QLabel(frame);
    image->setPixmap(parent->style()->standardIcon(icon).pixmap(twips::px(height) - 6));
    image->setGeometry(2, 2, twips::px(height) - 4, twips::px(height) - 4);
    auto* label = new QLabel(text, frame);
    label->setTextFormat(Qt::PlainText);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
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

QFont boldCourier()
{
    QFont font(u"Courier New"_s, 10, QFont::Bold);
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace

MainForm::MainForm(const Seams& seams, const QString& programFolder, const QString& commandLine,
                   QWidget* parent)
    : QMainWindow(parent)
    , m_seams(seams)
    , m_commandLine(commandLine)
    , m_shell(std::make_unique<ShellState>())
    , m_link(std::make_unique<LinkState>())
    , m_inquiry(std::make_unique<InquiryState>())
    , m_order(std::make_unique<OrderState>())
{
    MyPath = QDir::toNativeSeparators(programFolder);
    buildLayout();
    routeEvents();
    Form_Load();
}

MainForm::~MainForm()
{
    // Deleting the controls moves the focus; no handler may run on a window being destroyed.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void MainForm::buildLayout()
{
    setObjectName(u"MainForm"_s);
    setWindowTitle(u"Vornik         Quillane          Ver:"_s);
    auto* central = new QWidget(this);
    setCentralWidget(central);
    setFixedSize(twips::px(12300), twips::px(9100));

    SSTab1 = named(new QTabWidget(central), u"SSTab1"_s);
    place(SSTab1, 0, 0, 12300, 9100);
    InquiryPic = named(new QWidget, u"InquiryPic"_s);
    Picture2 = named(new QWidget, u"Picture2"_s);
    Picture1 = named(new QWidget, u"Picture1"_s);
    auto wrap = [](QWidget* content) {
        auto* page = new QWidget;
        content->setParent(page);
        return page;
    };
    SSTab1->addTab(wrap(InquiryPic), u"INQUIRY / ORDERING"_s);
    SSTab1->addTab(wrap(Picture2), u"INFORMATION / ORDER  HISTORY"_s);
    SSTab1->addTab(wrap(Picture1), u"OPTIONS"_s);
    // The inquiry tab's picture ends above 8500 twips, where the order frame waits out of view.
    place(InquiryPic, 60, 20, 12100, 8480);
    place(Picture2, 60, 20, 12100, 8480);
    place(Picture1, 60, 20, 12100, 8480);

    m_serverLink = new ServerLink(*m_seams.clock, this);

    MiscTimer = new QTimer(this);
    MiscTimer->setObjectName(u"MiscTimer"_s);
    MiscTimer->setInterval(1000);

    buildInquiryTab();
    buildInformationTab();
    buildOptionsTab();
    wireHistory();
}

void MainForm::buildInquiryTab()
{
    QWidget* tab = InquiryPic;

    MyLogoPic = named(new QLabel(tab), u"MyLogoPic"_s, u"Company logo"_s);
    MyLogoPic->setScaledContents(true);
    place(MyLogoPic, 120, 60, 2400, 1100);

    QFont product(u"Arial Black"_s, 22, QFont::Black);
    for (int i = 0; i < 2; ++i) {
        VornikLbl[size_t(i)] =
            named(new QLabel(i == 0 ? u"Vornik"_s : u"V3"_s, tab), indexed(u"VornikLbl"_s, i));
        VornikLbl[size_t(i)]->setFont(product);
    }
    place(VornikLbl[0], 2700, 60, 2600, 650);
    place(VornikLbl[1], 5300, 60, 900, 650);

    VersionLbl = named(new QLabel(u"Version: "_s, tab), u"VersionLbl"_s);
    VersionLbl->setTextFormat(Qt::PlainText);
    place(VersionLbl, 2750, 760, 2600, 250);
    NewVerLbl = named(new QLabel(tab), u"NewVerLbl"_s);
    NewVerLbl->setStyleSheet(u"color: rgb(192, 0, 0); font-weight: bold;"_s);
    place(NewVerLbl, 2750, 1010, 3400, 250);

    OptionsCmd = button(tab, u"OptionsCmd"_s, u"Options"_s, 10600, 120, 1300, 420);

    InquiryFrame = named(new QGroupBox(tab), u"InquiryFrame"_s);
    place(InquiryFrame, 120, 1280, 5350, 1400);
    auto* partLabel = caption(InquiryFrame, u"Part Number Inquiry"_s, 150, 200, 3000, 260);
    Parttxt = textBox(InquiryFrame, u"Parttxt"_s, u"Part number"_s, QString(), 150, 520, 3000, 420);
    partLabel->setBuddy(Parttxt);
    InquiryCmd = pictureButton(InquiryFrame, u"InquiryCmd"_s, QStyle::SP_FileDialogContentsView,
                               u"Check Stock"_s, 3300, 420, 700, 620);
    caption(InquiryFrame, u"Check Stock"_s, 4060, 600, 1250, 260);

    LightBox = named(new QFrame(tab), u"LightBox"_s);
    LightBox->setFrameShape(QFrame::StyledPanel);
    place(LightBox, 5600, 1380, 1900, 900);
    const QPixmap lamp = lampPixmap(twips::px(300));
    for (int i = 0; i < 4; ++i) {
        QLabel*& led = LedLight[size_t(i)];
        led = named(new QLabel(LightBox), indexed(u"LedLight"_s, i),
                    u"Connection light "_s + QString::number(i + 1));
        led->setPixmap(lamp);
        place(led, 150 + i * 420, 120, 300, 300);
        led->hide();
        QLabel*& number = SocketNumLbl[size_t(i)];
        number = named(new QLabel(QString::number(i + 1), LightBox), indexed(u"SocketNumLbl"_s, i));
        number->setAlignment(Qt::AlignCenter);
        place(number, 150 + i * 420, 480, 300, 280);
    }

    ViewOrderCmd = pictureButton(tab, u"ViewOrderCmd"_s, QStyle::SP_FileDialogDetailedView,
                                 u"View Order"_s, 7700, 1380, 700, 620);
    caption(tab, u"View Order"_s, 7550, 2030, 1100, 260);

    ItemOrderFrame = named(new QGroupBox(u"Item To Order"_s, tab), u"ItemOrderFrame"_s);
    place(ItemOrderFrame, 8700, 1280, 3300, 1550);
    // Labels whose caption changes carry no accessible name of their own: assistive technology
    // reads the caption itself, and the caption label beside it (its buddy) says what it is.
    auto* orderPartLabel = caption(ItemOrderFrame, u"Part Number To Order"_s, 120, 250, 3000, 260);
    OrderPNumLbl = named(new QLabel(ItemOrderFrame), u"OrderPNumLbl"_s);
    orderPartLabel->setBuddy(OrderPNumLbl);
    OrderPNumLbl->setTextFormat(Qt::PlainText);
    OrderPNumLbl->setFont(boldCourier());
    place(OrderPNumLbl, 120, 520, 3050, 300);
    auto* qtyLabel = caption(ItemOrderFrame, u"Qty:"_s, 120, 1000, 450, 260);
    Qtytxt = textBox(ItemOrderFrame, u"Qtytxt"_s, u"Quantity"_s, u" 1"_s, 600, 930, 800, 400);
    qtyLabel->setBuddy(Qtytxt);
    OrderCmd = pictureButton(ItemOrderFrame, u"OrderCmd"_s, QStyle::SP_ArrowDown, u"ORDER"_s, 1600,
                             880, 600, 500);
    caption(ItemOrderFrame, u"ORDER"_s, 2300, 1000, 900, 260);

    MessageLbl = named(new QLabel(tab), u"MessageLbl"_s);
    MessageLbl->setTextFormat(Qt::PlainText);
    QFont status = MessageLbl->font();
    status.setBold(true);
    MessageLbl->setFont(status);
    place(MessageLbl, 150, 2700, 8400, 280);

    AnswerList = named(
        new ListControl(
            u"NOTES  LIN PART#        DESCRIPTION           LIST     NET  Cor/Env  AVAIL"_s, tab),
        u"AnswerList"_s, u"Inquiry answer"_s);
    // Laid out where it waits out of view, so that start-up has nothing to slide away.
    place(AnswerList, -14000, 3000, 11500, 5400);

    OrderFrame = named(new QGroupBox(u"My Order"_s, tab), u"OrderFrame"_s);
    place(OrderFrame, 120, 2900, 11850, 5500);
    OrderList = named(
        new ListControl(u" QTY LIN PART#        DESCRIPTION           NET    CORE/e    TOTAL"_s,
                        OrderFrame),
        u"OrderList"_s, u"Order lines"_s);
    place(OrderList, 120, 280, 11600, 3000);
    const std::array<QString, 3> fieldLabels{u"Ordered By:"_s, u"P.Order #:"_s,
                                             u"Notes/Message:"_s};
    const std::array<QString, 3> fieldSpoken{u"Ordered by"_s, u"Purchase order number"_s,
                                             u"Notes or message"_s};
    const std::array<int, 3> fieldWidth{3200, 3200, 5600};
    for (int i = 0; i < 3; ++i) {
        const int top = 3420 + i * 450;
        auto* label = caption(OrderFrame, fieldLabels[size_t(i)], 120, top + 60, 1500, 260);
        OrderInfoTxt[size_t(i)] =
            textBox(OrderFrame, indexed(u"OrderInfoTxt"_s, i), fieldSpoken[size_t(i)], QString(),
                    1650, top, fieldWidth[size_t(i)], 380);
        label->setBuddy(OrderInfoTxt[size_t(i)]);
    }
    auto* countLabel = caption(OrderFrame, u" Line Items:"_s, 7600, 3480, 1500, 260);
    ItemCountLbl = named(new QLabel(u" 0"_s, OrderFrame), u"ItemCountLbl"_s);
    countLabel->setBuddy(ItemCountLbl);
    ItemCountLbl->setFont(boldCourier());
    place(ItemCountLbl, 9200, 3460, 2000, 300);
    auto* totalLabel = caption(OrderFrame, u"Sub-Total:"_s, 7600, 3930, 1500, 260);
    OrderTotalLbl = named(new QLabel(u" 0.00"_s, OrderFrame), u"OrderTotalLbl"_s);
    totalLabel->setBuddy(OrderTotalLbl);
    OrderTotalLbl->setFont(boldCourier());
    place(OrderTotalLbl, 9200, 3910, 2000, 300);
    RemoveItemCmd = pictureButton(OrderFrame, u"RemoveItemCmd"_s, QStyle::SP_DialogDiscardButton,
                                  u"Remove This Item"_s, 120, 4850, 650, 560);
    caption(OrderFrame, u"Remove This Item"_s, 830, 5000, 1900, 260);
    RemoveAllCmd = pictureButton(OrderFrame, u"RemoveAllCmd"_s, QStyle::SP_TrashIcon,
                                 u"Cancel ALL items"_s, 3000, 4850, 650, 560);
    caption(OrderFrame, u"Cancel ALL items"_s, 3710, 5000, 1900, 260);
    SendOrderCmd = pictureButton(OrderFrame, u"SendOrderCmd"_s, QStyle::SP_ArrowRight,
                                 u"SEND ORDER"_s, 9100, 4850, 650, 560);
    caption(OrderFrame, u"SEND ORDER"_s, 9810, 5000, 1800, 260);
}

void MainForm::buildInformationTab()
{
    QWidget* tab = Picture2;
    caption(tab, u"Version Information"_s, 150, 150, 4000, 260);
    VersionInfo = named(new QTextEdit(tab), u"VersionInfo"_s, u"Version information"_s);
    VersionInfo->setReadOnly(true);
    VersionInfo->setPlainText(u"Version Information About Vornik"_s);
    place(VersionInfo, 150, 450, 5600, 1600);
    ForceUpdateCmd = button(tab, u"ForceUpdateCmd"_s, u"Force Update"_s, 150, 2200, 1900, 450);
    caption(tab, u"Orders sent from here, newest first; select one for its lines"_s, 6100, 150,
            5800, 260);
    auto* findLabel = caption(tab, u"&Find Order#, PO# or Part#:"_s, 6100, 500, 2900, 260);
    HistoryFilterTxt = textBox(tab, u"HistoryFilterTxt"_s,
                               u"Find order number, PO number or "
                               "part number"_s,
                               QString(), 9050, 440, 2850);
    findLabel->setBuddy(HistoryFilterTxt);
    OrderHistoryList = named(new ListControl(u"  Date    Order#    Status  "_s, tab),
                             u"OrderHistoryList"_s, u"Order history"_s);
    place(OrderHistoryList, 6100, 880, 5800, 2300);
    ReorderCmd = button(tab, u"ReorderCmd"_s, u"Order Again"_s, 6100, 3230, 1900, 420);
    PrintOrderCmd = button(tab, u"PrintOrderCmd"_s, u"Print..."_s, 8100, 3230, 1500, 420);
    OrderDetailsList =
        named(new ListControl(u" QTY  Part Number  Description        LIST      Cost"_s, tab),
              u"OrderDetailsList"_s, u"Order details"_s);
    place(OrderDetailsList, 150, 3700, 11750, 4600);
}

void MainForm::buildOptionsTab()
{
    QWidget* tab = Picture1;

    auto* login = new QGroupBox(u" Account Login Settings "_s, tab);
    place(login, 120, 120, 5900, 5500);
    auto* nameLabel = caption(login, u"Login Name (12 max)"_s, 150, 380, 2200, 260);
    LoginNameTxt = textBox(login, u"LoginNameTxt"_s, u"Login name"_s, u" "_s, 2450, 320, 3200);
    nameLabel->setBuddy(LoginNameTxt);
    auto* accLabel = caption(login, u"My Account Number"_s, 150, 830, 2200, 260);
    AccNumTxt = textBox(login, u"AccNumTxt"_s, u"Account number"_s, u" "_s, 2450, 770, 3200);
    accLabel->setBuddy(AccNumTxt);
    auto* server = new QGroupBox(u"Server Connection "_s, login);
    place(server, 150, 1250, 5600, 2000);
    auto* hostLabel =
        caption(server, u"Connection IP Address or Dynamic URL"_s, 120, 280, 5300, 260);
    txtHostAddress =
        textBox(server, u"txtHostAddress"_s, u"Server address"_s, u" "_s, 120, 560, 5300);
    hostLabel->setBuddy(txtHostAddress);
    auto* portLabel = caption(server, u"Connection Socket#"_s, 120, 1070, 2200, 260);
    ServerSocketTxt =
        textBox(server, u"ServerSocketTxt"_s, u"Server port"_s, u"3300"_s, 2450, 1010, 1300);
    portLabel->setBuddy(ServerSocketTxt);
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
    LoginHelpInfo =
        helpBox(login, u"LoginHelpInfo"_s, u"Login help notes"_s, 150, 4250, 5600, 1150);

    auto* prefs = new QGroupBox(u"Preferences / Options "_s, tab);
    place(prefs, 6150, 120, 5850, 5500);
    auto* businessLabel = caption(prefs, u"My Business Name "_s, 150, 320, 3000, 260);
    AccNameTxt = textBox(prefs, u"AccNameTxt"_s, u"Business name"_s, QString(), 150, 600, 5500);
    businessLabel->setBuddy(AccNameTxt);
    caption(prefs, u"Purchase Order Option"_s, 150, 1120, 4000, 260);
    PoOptionCheck[0] = named(new QCheckBox(u"Check If PO# Required For Orders"_s, prefs),
                             indexed(u"PoOptionCheck"_s, 0), u"PO number required"_s);
    place(PoOptionCheck[0], 150, 1420, 5500, 300);
    PoOptionCheck[1] = named(new QCheckBox(u"Use The Following PO# On My Orders ..."_s, prefs),
                             indexed(u"PoOptionCheck"_s, 1), u"Use a standing PO number"_s);
    place(PoOptionCheck[1], 150, 1800, 5500, 300);
    StandingPOtxt =
        textBox(prefs, u"StandingPOtxt"_s, u"Standing PO number"_s, u" "_s, 450, 2150, 3000);
    RepNameOptCheck = named(new QCheckBox(u"Check YES If Sales Rep Name Required"_s, prefs),
                            u"RepNameOptCheck"_s, u"Sales rep name required"_s);
    place(RepNameOptCheck, 150, 2750, 5500, 300);
    caption(prefs, u"Help Notes ..."_s, 150, 3980, 3000, 260);
    OptionsHelpInfo =
        helpBox(prefs, u"OptionsHelpInfo"_s, u"Preferences help notes"_s, 150, 4250, 5550, 1150);

    SaveLoginInfoCmd[0] =
        button(tab, indexed(u"SaveLoginInfoCmd"_s, 0), u"SAVE"_s, 150, 5850, 1500, 500);
    SavedPic = picture(tab, u"SavedPic"_s, QStyle::SP_DialogSaveButton, u"SAVED !"_s, 1800, 5850,
                       1900, 500);
    Testcmd = button(tab, u"Testcmd"_s, u"Test LOGIN "_s, 4000, 5850, 1800, 500);
    PassedPic = picture(tab, u"PassedPic"_s, QStyle::SP_DialogApplyButton, u"PASSED!"_s, 6000, 5850,
                        2200, 500, &Label5);
    named(Label5, u"Label5"_s);
    Label5->hide(); // shown only by the hidden keyword
    ErrorPic = picture(tab, u"ErrorPic"_s, QStyle::SP_MessageBoxCritical,
                       u"ERROR! Check Login Settings"_s, 6000, 5850, 4500, 500);
}

void MainForm::routeEvents()
{
    for (QObject* watched : std::initializer_list<QObject*>{
             Parttxt, Qtytxt, AnswerList, AccNameTxt, AccNumTxt, LoginNameTxt, txtHostAddress,
             PoOptionCheck[0], PoOptionCheck[1], RepNameOptCheck, StandingPOtxt, OrderInfoTxt[0],
             OrderInfoTxt[1], OrderInfoTxt[2], SocketNumLbl[0], SocketNumLbl[1], SocketNumLbl[2],
             SocketNumLbl[3]})
        watched->installEventFilter(this);

    connect(qApp, &QApplication::focusChanged, this, &MainForm::routeFocusMove);
    connect(MiscTimer, &QTimer::timeout, this, &MainForm::MiscTimer_Timer);
    // The server link reaches the window only through these.
    connect(m_serverLink, &ServerLink::replyArrived, this, &MainForm::takeReply);
    connect(m_serverLink, &ServerLink::lampChanged, this,
            [this](int offset, bool lit) { LedLight[size_t(offset)]->setVisible(lit); });
    connect(m_serverLink, &ServerLink::progress, MessageLbl, &QLabel::setText);
    connect(m_serverLink, &ServerLink::failed, this,
            [this](const QString& text, QMessageBox::Icon icon) { MsgBox(text, icon); });
    connect(m_serverLink, &ServerLink::attemptsEnded, this,
            [this] { InquiryCmd->setEnabled(true); });
    m_serverLink->setTraceRecorder(
        [this](const QString& request) { return !TraceMode || TraceRequest(request); });
    // Escape stops a request that is still looking for the server.
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, m_serverLink, &ServerLink::cancel);
    connect(InquiryCmd, &QPushButton::clicked, this, &MainForm::InquiryCmd_Click);
    connect(OptionsCmd, &QPushButton::clicked, this, &MainForm::OptionsCmd_Click);
    connect(ViewOrderCmd, &QPushButton::clicked, this, &MainForm::ViewOrderCmd_Click);
    connect(OrderCmd, &QPushButton::clicked, this, &MainForm::OrderCmd_Click);
    connect(RemoveItemCmd, &QPushButton::clicked, this, &MainForm::RemoveItemCmd_Click);
    connect(RemoveAllCmd, &QPushButton::clicked, this, &MainForm::RemoveAllCmd_Click);
    connect(SendOrderCmd, &QPushButton::clicked, this, &MainForm::SendOrderCmd_Click);
    connect(ForceUpdateCmd, &QPushButton::clicked, this, &MainForm::ForceUpdateCmd_Click);
    connect(Testcmd, &QPushButton::clicked, this, &MainForm::Testcmd_Click);
    connect(SaveLoginInfoCmd[0], &QPushButton::clicked, this,
            [this] { SaveLoginInfoCmd_Click(0); });
    connect(AnswerList, &QListWidget::currentRowChanged, this, &MainForm::AnswerList_Click);
    connect(AnswerList, &QListWidget::itemClicked, this, &MainForm::AnswerList_Click);
}

// The focus handlers run only when the focus moves from one control of this window to another:
// a click, Tab, or the program's own setFocus. Qt also moves the focus when the window is
// deactivated and activated again, when a context menu or a message box opens and closes, and
// when a tab change hides the control that had it (to the tab bar, then into the new page); none
// of these is a move between two controls, so none reaches a handler.
void MainForm::routeFocusMove(QWidget* old, QWidget* now)
{
    if (!old || !now || old->window() != this || now->window() != this)
        return;
    ShellState& state = shell();
    if (!old->isVisible() || old == state.displacedFocus) {
        if (!state.displacedFocus)
            QTimer::singleShot(0, this, [this] { shell().displacedFocus = nullptr; });
        state.displacedFocus = now;
        return;
    }
    focusLost(old);
    focusGained(now);
}

void MainForm::focusGained(QWidget* watched)
{
    if (watched == Parttxt)
        Parttxt_GotFocus();
    else if (watched == Qtytxt)
        Qtytxt_GotFocus();
    else if (watched == AccNameTxt)
        AccNameTxt_GotFocus();
    else if (watched == AccNumTxt)
        AccNumTxt_GotFocus();
    else if (watched == LoginNameTxt)
        LoginNameTxt_GotFocus();
    else if (watched == txtHostAddress)
        txtHostAddress_GotFocus();
    else if (watched == PoOptionCheck[0])
        PoOptionCheck_GotFocus(0);
    else if (watched == PoOptionCheck[1])
        PoOptionCheck_GotFocus(1);
    else if (watched == RepNameOptCheck)
        RepNameOptCheck_GotFocus();
    else if (watched == StandingPOtxt)
        StandingPOtxt_GotFocus();
}

void MainForm::focusLost(QWidget* watched)
{
    if (watched == Parttxt)
        Parttxt_LostFocus();
    else if (watched == Qtytxt)
        Qtytxt_LostFocus();
    else if (watched == AccNumTxt)
        AccNumTxt_LostFocus();
    else if (watched == LoginNameTxt)
        LoginNameTxt_LostFocus();
    for (int i = 0; i < 3; ++i)
        if (watched == OrderInfoTxt[size_t(i)])
            OrderInfoTxt_LostFocus(i);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == Parttxt)
            return Parttxt_KeyPress(key);
        if (watched == AnswerList)
            AnswerList_KeyPress(key);
    } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 4; ++i) {
            if (watched != SocketNumLbl[size_t(i)])
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
    if (!m_unloaded && !m_startRefused) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

void MainForm::Form_Load()
{
    VersionText = u"23.07.13"_s;
    NewVersionFlag = false;
    TraceMode = text::trimBlanks(m_commandLine).toUpper() == u"T"_s;
    VersionLbl->setText(u"Version : "_s + VersionText);
    setWindowTitle(windowTitle() + VersionText);

    // One instance per program folder, since the folder holds the state files. A crashed run
    // leaves a stale lock (its owner is gone), which is taken over; a live one never is.
    m_instanceLock = std::make_unique<QLockFile>(QDir(MyPath).filePath(u"vornik.lock"_s));
    m_instanceLock->setStaleLockTime(0);
    if (!m_instanceLock->tryLock(100) && m_instanceLock->error() == QLockFile::LockFailedError) {
        m_instanceLock.reset();
        m_startRefused = true;
        MsgBox(u"Vornik is already running"_s, QMessageBox::Warning);
        close();
        return;
    }

    SetupChecked = false;
    ShortcutPending = false;
    if (!MyPath.endsWith(QDir::separator()))
        MyPath += QDir::separator();
    LogFile = MyPath + u"DataSend.log"_s;
    OrderFile = MyPath + u"MyOrder.dat"_s;
    LoginFile = MyPath + u"Login.Inf"_s;
    OptionsFile = MyPath + u"Options.Inf"_s;
    ApplyLoginUpdate();
    twips::setTop(InquiryPic, 20);
    SlideOrderFrame(false);
    SSTab1->setCurrentIndex(0);
    ItemOrderFrame->setEnabled(false);
    twips::setTop(AnswerList, 3000);
    SlideAnswerList(false);
    CheckForExistingOrder = true;
    QImageReader logo(MyPath + u"mylogo.jpg"_s);
    const QImage image = logo.read();
    if (!image.isNull())
        MyLogoPic->setPixmap(QPixmap::fromImage(image));
    MiscTimer->start();
}

double MainForm::Timer() const
{
    return m_seams.clock->secondsSinceMidnight();
}

void MainForm::PauseUntil(double target)
{
    const double remaining = target - Timer();
    if (remaining > 0)
        m_seams.clock->pause(static_cast<int>(remaining * 1000.0 + 0.999));
}

QMessageBox::StandardButton MainForm::MsgBox(const QString& text, QMessageBox::Icon icon,
                                             QMessageBox::StandardButtons buttons,
                                             const QString& title)
{
    return m_seams.prompter->ask(this, icon, title, text, buttons);
}

void MainForm::PlaySound(const QString& fileName)
{
    if (m_seams.sounds)
        m_seams.sounds->play(MyPath + fileName);
}
