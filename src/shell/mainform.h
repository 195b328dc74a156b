#pragma once
// MainForm: the one window of the client. It owns the shared state and every handler; the
// handlers live in the folder of the subsystem that owns them:
//   shell/   start-up, layout, event routing, timer, trace log, shut-down, shortcut, help texts
//   link/    socket exchange, login settings and login test, connection updates
//   inquiry/ inquiry request, reply dispatch, answer rows, answer-list events
//   order/   panel slides, cart and MyOrder.dat, order submission
//   history/ the record of sent orders on the information tab (the window side of it)

#include "link/serverlink.h"
#include "shell/seams.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QStringList>

#include <array>
#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLockFile;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QTimer;
class ListControl;
struct ShellState;
struct LinkState;
struct InquiryState;
struct OrderState;
class OrderHistory;
class HistoryTab;
namespace history {
struct Order;
}

class MainForm : public QMainWindow
{
    Q_OBJECT

public:
    // programFolder: where the program's files live (the executable's folder; a temporary
    // folder in tests). commandLine: the arguments after the program's name, joined by blanks.
    MainForm(const Seams& seams, const QString& programFolder, const QString& commandLine,
             QWidget* parent = nullptr);
    ~MainForm() override;

    // True when start-up found another running instance; the caller then ends the process.
    [[nodiscard]] bool startRefused() const { return m_startRefused; }

    // ---- shared variables -------------------------------------------------------------
    QString MyPath;       // program folder, always ending in the separator
    QString HostIP;       // server address from Login.Inf field 1
    QString LoginName;    // Login.Inf field 2
    QString AccNum;       // Login.Inf field 3
    QString AskString;    // the request to send
    QString AnswerString; // the reply being handled: all of it that has arrived so far
    QString OrderFile;
    qint32 OrderNumber = 0; // 32 bits: a confirmation above 32767 must not be dropped
    QString LogFile;
    bool CheckForExistingOrder = false;

    // ---- the shell's state --------------------------------------------------------------
    QString VersionText;
    bool TraceMode = false;
    bool NewVersionFlag = false;
    bool SetupChecked = false;
    bool ShortcutPending = false;
    QString LoginFile;
    QString OptionsFile;
    qint32 LoginTestTimer = 0;
    bool UpdateNoticePending = false;
    QString UpdateNotice;
    bool UpdateDownloadMode = false; // no operation switches it on: nothing is ever downloaded

    // ---- controls (objectName = the name here; array elements "Name(i)") ------------------
    QTabWidget* SSTab1 = nullptr;
    QWidget* InquiryPic = nullptr; // tab 0
    QWidget* Picture2 = nullptr;   // tab 1
    QWidget* Picture1 = nullptr;   // tab 2
    QPushButton* OptionsCmd = nullptr;
    QGroupBox* InquiryFrame = nullptr;
    QLineEdit* Parttxt = nullptr;
    QPushButton* InquiryCmd = nullptr;
    QFrame* LightBox = nullptr;
    std::array<QLabel*, 4> LedLight{};
    std::array<QLabel*, 4> SocketNumLbl{};
    QPushButton* ViewOrderCmd = nullptr;
    QGroupBox* ItemOrderFrame = nullptr;
    QLineEdit* Qtytxt = nullptr;
    QPushButton* OrderCmd = nullptr;
    QLabel* OrderPNumLbl = nullptr;
    QGroupBox* OrderFrame = nullptr;
    ListControl* OrderList = nullptr;
    QPushButton* RemoveItemCmd = nullptr;
    QPushButton* RemoveAllCmd = nullptr;
    QPushButton* SendOrderCmd = nullptr;
    std::array<QLineEdit*, 3> OrderInfoTxt{}; // 0 ordered by, 1 PO number, 2 notes
    QLabel* OrderTotalLbl = nullptr;
    QLabel* ItemCountLbl = nullptr;
    ListControl* AnswerList = nullptr;
    QLabel* MyLogoPic = nullptr;
    std::array<QLabel*, 2> VornikLbl{};
    QLabel* VersionLbl = nullptr;
    QLabel* NewVerLbl = nullptr;
    QLabel* MessageLbl = nullptr;
    QPushButton* ForceUpdateCmd = nullptr;
    QTextEdit* VersionInfo = nullptr;
    ListControl* OrderHistoryList = nullptr;
    ListControl* OrderDetailsList = nullptr;
    QLineEdit* HistoryFilterTxt = nullptr;
    QPushButton* ReorderCmd = nullptr;    // "Order Again"
    QPushButton* PrintOrderCmd = nullptr; // "Print..."
    QPushButton* Testcmd = nullptr;
    QFrame* ErrorPic = nullptr;
    QFrame* PassedPic = nullptr;
    QLabel* Label5 = nullptr; // "PASSED!" inside PassedPic, shown by the hidden keyword
    std::array<QPushButton*, 1> SaveLoginInfoCmd{};
    QTimer* MiscTimer = nullptr;
    QFrame* SavedPic = nullptr;
    QLineEdit* AccNameTxt = nullptr;
    std::array<QCheckBox*, 2> PoOptionCheck{};
    QLineEdit* StandingPOtxt = nullptr;
    QCheckBox* RepNameOptCheck = nullptr;
    QTextEdit* OptionsHelpInfo = nullptr;
    QTextEdit* LoginHelpInfo = nullptr;
    QLineEdit* LoginNameTxt = nullptr;
    QLineEdit* AccNumTxt = nullptr;
    QLineEdit* txtHostAddress = nullptr;
    QLineEdit* ServerSocketTxt = nullptr;
    QStringList AnswerParseLst; // the records of the reply being parsed, in arrival order

    // ---- shell (shell/) -------------------------------------------------------------------
    void Form_Load();   // start-up; run by the constructor
    void Form_Unload(); // shut-down notice; run by every close of the window
    void MiscTimer_Timer();
    bool TraceRequest(const QString& request); // false when the log cannot be written
    [[nodiscard]] QString SyntaxOut(const QString& value) const;
    void ForceUpdateCmd_Click();
    void CreateDesktopShortcut();
    void OptionsCmd_Click();
    void AccNameTxt_GotFocus();
    void AccNumTxt_GotFocus();
    void AccNumTxt_LostFocus();
    void LoginNameTxt_GotFocus();
    void LoginNameTxt_LostFocus();
    void txtHostAddress_GotFocus();
    void PoOptionCheck_GotFocus(int index);
    void RepNameOptCheck_GotFocus();
    void StandingPOtxt_GotFocus();

    // ---- server link (link/) ----------------------------------------------------------------
    void SocketNumLbl_MouseDown(int index);
    void SocketNumLbl_MouseUp(int index);
    void CheckSetup();
    void SaveLoginSettings();
    void SaveOptionSettings();
    void SaveLoginInfoCmd_Click(int index = 0);
    void FlashSavedNotice();
    void Testcmd_Click();
    void ShowLoginStatus(bool Passed);
    bool ReadHostUpdateFile(QString& url, QString& socket, QString& notes);
    void ApplyLoginUpdate();

    // ---- part inquiry (inquiry/) --------------------------------------------------------------
    void Inquiry();
    void InquiryCmd_Click();
    void Parttxt_GotFocus();
    bool Parttxt_KeyPress(int key); // true = key consumed
    void Parttxt_LostFocus();
    void GetInquiry(); // AnswerString as one whole reply
    void AddAnswerRows(const QString& tag, const QStringList& fields);
    void AnswerList_Click();
    void AnswerList_KeyPress(int key);

    // ---- order cart and submission (order/) ---------------------------------------------------
    void SlideAnswerList(bool show);
    void SlideOrderFrame(bool show);
    void OrderCmd_Click();
    void Qtytxt_GotFocus();
    void Qtytxt_LostFocus();
    void OrderInfoTxt_LostFocus(int index);
    void ViewOrderCmd_Click();
    void AddItemToOrder();
    void UpdateOrderTotals();
    void SaveOrderFile();
    void RemoveItemCmd_Click();
    void RemoveAllCmd_Click();
    void ClearOrder();
    void CheckSavedOrder();
    void SendOrderCmd_Click();
    void SendOrder();
    void OrderReply();

    // ---- order history (history/) -------------------------------------------------------------
    void NoteOrderBeingSent(); // the cart and fields the order message was just built from
    void RecordSentOrder();    // the order message has been written to the server
    void ConfirmSentOrder(qint32 number);
    // False when the cart equals an order sent within half an hour and still unconfirmed, and
    // the user does not want to send it again.
    bool ConfirmResend();
    void OrderAgain(const history::Order& order);
    void PrintOrder(const history::Order& order);

    // ---- helpers every subsystem uses ---------------------------------------------------------
    // The clock of every wait and deadline: seconds since midnight, never wrapping.
    [[nodiscard]] double Timer() const;
    // Blocks, without processing window events, until the clock reaches target.
    void PauseUntil(double target);
    // A modal message box through the prompter; the title is the program's name unless given.
    QMessageBox::StandardButton MsgBox(const QString& text,
                                       QMessageBox::Icon icon = QMessageBox::NoIcon,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       const QString& title = QStringLiteral("Vornik"));
    void PlaySound(const QString& fileName); // a WAV file of the program folder
    [[nodiscard]] const Seams& seams() const { return m_seams; }

    ShellState& shell() { return *m_shell; }
    LinkState& link() { return *m_link; }
    ServerLink& serverLink() { return *m_serverLink; }
    InquiryState& inquiry() { return *m_inquiry; }
    OrderState& order() { return *m_order; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildInquiryTab();
    void buildInformationTab();
    void buildOptionsTab();
    void routeEvents();
    void wireHistory();
    void routeFocusMove(QWidget* old, QWidget* now);
    void focusGained(QWidget* control);
    void focusLost(QWidget* control);
    // Hands AskString to the server link, with the base port read from ServerSocketTxt. False
    // only when the port text is no 16-bit number: that error goes back to the caller.
    bool sendRequest(ServerLink::Kind kind);
    // True, with a word in the status line, while the link cannot take a request of this kind.
    bool linkBusy(ServerLink::Kind kind);
    // A reply, or more of it, from the server link (inquiry/).
    void takeReply(const QString& reply, bool first, bool complete);
    void beginReply();
    void continueReply(const QString& reply, bool complete);
    bool handleRecord(const QString& record); // false: not found, the reply ends here

    Seams m_seams;
    QString m_commandLine;
    bool m_startRefused = false;
    bool m_unloaded = false;
    std::unique_ptr<QLockFile> m_instanceLock;
    ServerLink* m_serverLink = nullptr;
    std::unique_ptr<ShellState> m_shell;
    std::unique_ptr<LinkState> m_link;
    std::unique_ptr<InquiryState> m_inquiry;
    std::unique_ptr<OrderState> m_order;
    OrderHistory* m_history = nullptr; // opens its file only when first needed
    HistoryTab* m_historyTab = nullptr;
    std::unique_ptr<history::Order> m_orderBeingSent; // recorded once it has been written
};
