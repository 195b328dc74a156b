#pragma once
// MainForm: the one window of the client. It keeps the controls and wires the subsystems to them:
//   Settings (link/)       Login.Inf, Options.Inf, the update files, the login test's deadline
//   PartInquiry (inquiry/) the inquiry request, the dispatch of every reply, the answer rows
//   Cart (order/)          the order lines, MyOrder.dat, the totals, the saved-order check
//   Shell (shell/)         the timer, the trace log, the shut-down notice, the desktop launcher
//   ServerLink (link/)     the exchange with the server: ports, connection, reply, lamps
//   OrderHistory, HistoryTab (history/) the record of sent orders and the information tab
// The handlers live in the folder of the subsystem they serve.

#include "link/serverlink.h"
#include "shell/seams.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

#include <array>
#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class InstanceLock;
class ListControl;
class Cart;
class PartInquiry;
class Settings;
class Shell;
class OrderHistory;
class HistoryTab;
namespace history {
struct Order;
}
namespace shellrules {
enum class Help;
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

    // The operations below are the window's handlers that tests and tools drive directly; the
    // others are reached through the controls.

    // ---- settings (link/) -------------------------------------------------------------------
    void CheckSetup();
    void SaveLoginSettings();
    void SaveLoginInfoCmd_Click(int index = 0);
    void Testcmd_Click();
    void ShowLoginStatus(bool Passed);

    // ---- part inquiry (inquiry/) --------------------------------------------------------------
    void InquiryCmd_Click();
    bool Parttxt_KeyPress(int key); // true = key consumed

    // ---- order cart and submission (order/) ---------------------------------------------------
    void SlideAnswerList(bool show);
    void SlideOrderFrame(bool show);
    void OrderCmd_Click();
    void AddItemToOrder();
    void RemoveItemCmd_Click();
    void CheckSavedOrder();
    void SendOrderCmd_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The controls; objectName = the name here, array elements "Name(i)".
    struct Controls
    {
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
    };

    // ---- layout and wiring (shell/) -----------------------------------------------------------
    void buildLayout();
    void buildInquiryTab();
    void buildInformationTab();
    void buildOptionsTab();
    void wireSubsystems();
    void wireHistory();
    void routeEvents();
    void routeFocusMove(QWidget* old, QWidget* now);
    void focusGained(QWidget* control);
    void focusLost(QWidget* control);
    void Form_Load(); // start-up; run by the constructor
    void tickSetup();
    void tickHousekeeping(bool nested);

    // ---- shell handlers (shell/) --------------------------------------------------------------
    void Form_Unload(); // shut-down notice; run by every close of the window
    void ForceUpdateCmd_Click();
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
    void showLoginHelp(shellrules::Help which);
    void showOptionsHelp(shellrules::Help which);
    void hideLoginResult();

    // ---- server link (link/) ------------------------------------------------------------------
    // Hands the request to the server link, with the base port read from ServerSocketTxt. False
    // only when the port text is no 16-bit number: that error goes back to the caller.
    bool sendRequest(ServerLink::Kind kind, const QString& request);
    // True, with a word in the status line, while the link cannot take a request of this kind.
    bool linkBusy(ServerLink::Kind kind);
    void SocketNumLbl_MouseDown(int index);
    void SocketNumLbl_MouseUp(int index);

    // ---- settings (link/) ---------------------------------------------------------------------
    void applyHostUpdate();
    void reportSaveFailure(const QString& path, const QString& reason);
    void SaveOptionSettings();
    void FlashSavedNotice();

    // ---- part inquiry (inquiry/) --------------------------------------------------------------
    void Inquiry();
    void Parttxt_GotFocus();
    void Parttxt_LostFocus();
    void AnswerList_Click();
    void AnswerList_KeyPress(int key);
    void reportStep(const QString& stage);
    void showReplyStarted();
    void showAnswerComplete();

    // ---- order (order/) -----------------------------------------------------------------------
    void ViewOrderCmd_Click();
    void RemoveAllCmd_Click();
    void Qtytxt_GotFocus();
    void Qtytxt_LostFocus();
    void OrderInfoTxt_LostFocus(int index);
    void UpdateOrderTotals();
    void showCartLines();
    void ClearOrder();
    void SendOrder();
    void OrderReply(const QString& reply);
    void stepPause();

    // ---- order history (history/) -------------------------------------------------------------
    // The cart and the order fields as an order of the history, not yet sent.
    [[nodiscard]] history::Order cartAsOrder() const;
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

    Seams m_seams;
    QString m_folder; // the program folder, always ending in the separator
    Controls m_ui;
    Settings* m_settings = nullptr;
    PartInquiry* m_inquiry = nullptr;
    Cart* m_cart = nullptr;
    Shell* m_shell = nullptr;
    ServerLink* m_serverLink = nullptr;
    OrderHistory* m_history = nullptr; // opens its file only when first needed
    HistoryTab* m_historyTab = nullptr;
    std::unique_ptr<history::Order> m_orderBeingSent; // recorded once it has been written
    bool m_startRefused = false;
    bool m_unloaded = false;
    bool m_saveFailed = false; // a settings file could not be written during the current SAVE
    std::unique_ptr<InstanceLock> m_instanceLock;
    // Where Qt put the focus after hiding the control that had it (a tab change hides the page);
    // the moves that follow from there in the same event are Qt's, not the user's. Cleared as
    // soon as the event loop runs again.
    QPointer<QWidget> m_displacedFocus;
};
