#pragma once
// MainForm: the one window of the client. It keeps the controls and wires the subsystems of
// src/logic to them; its handlers are in mainform_<area>.cpp beside this file:
//   Settings         Login.Inf, Options.Inf, the update files, the login test's deadline
//   ReplyDispatcher  every reply by its tag, the answer rows, the new-version flag
//   Cart             the order lines, MyOrder.dat, the totals, the saved-order check
//   Ticker, TraceLog the nine-second tick; the trace switch and DataSend.log
//   ServerLink       the exchange with the server: ports, connections, replies, lamps
//   OrderHistory     the record of sent orders, shown by HistoryTab on the information tab
#include "core/history.h"
#include "gui/seams.h"
#include "logic/link/serverlink.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

#include <array>
#include <map>
#include <memory>
#include <optional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class ListControl;
class ListView;
class Cart;
class ReplyDispatcher;
class Settings;
class Ticker;
class TraceLog;
class OrderHistory;
class HistoryTab;
class PartLookups;
class QuickOrderDlg;
namespace quicklist {
struct Line;
struct PadLine;
} // namespace quicklist
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The controls; objectName = the name here, array elements "Name(i)". By tab, then by kind.
    struct Controls
    {
        QTabWidget* SSTab1 = nullptr;
        QWidget *InquiryPic = nullptr, *Picture2 = nullptr, *Picture1 = nullptr; // tabs 0, 1, 2

        // INQUIRY / ORDERING
        QLabel *MyLogoPic = nullptr, *VersionLbl = nullptr, *NewVerLbl = nullptr;
        std::array<QLabel*, 2> VornikLbl{};
        QPushButton *OptionsCmd = nullptr, *InquiryCmd = nullptr, *ViewOrderCmd = nullptr,
                    *QuickOrderCmd = nullptr;
        QGroupBox *InquiryFrame = nullptr, *ItemOrderFrame = nullptr, *OrderFrame = nullptr;
        QLineEdit *Parttxt = nullptr, *Qtytxt = nullptr;
        QFrame* LightBox = nullptr;
        std::array<QLabel*, 4> LedLight{}, SocketNumLbl{};
        QLabel *MessageLbl = nullptr, *OrderPNumLbl = nullptr;
        ListControl *AnswerList = nullptr, *OrderList = nullptr;
        std::array<QLineEdit*, 3> OrderInfoTxt{}; // 0 ordered by, 1 PO number, 2 notes
        QLabel *ItemCountLbl = nullptr, *OrderTotalLbl = nullptr;
        QPushButton *OrderCmd = nullptr, *RemoveItemCmd = nullptr, *RemoveAllCmd = nullptr,
                    *SendOrderCmd = nullptr, *SaveCsvCmd = nullptr;

        // INFORMATION / ORDER  HISTORY
        QTextEdit* VersionInfo = nullptr;
        QLineEdit* HistoryFilterTxt = nullptr;
        ListView* OrderHistoryList = nullptr;
        ListControl* OrderDetailsList = nullptr;
        // "Force Update", "Order Again", "Print..."
        QPushButton *ForceUpdateCmd = nullptr, *ReorderCmd = nullptr, *PrintOrderCmd = nullptr,
                    *HistoryCsvCmd = nullptr; // "Save as CSV..." of the selected order

        // OPTIONS
        QLineEdit *LoginNameTxt = nullptr, *AccNumTxt = nullptr, *txtHostAddress = nullptr,
                  *ServerSocketTxt = nullptr, *AccNameTxt = nullptr, *StandingPOtxt = nullptr;
        std::array<QCheckBox*, 2> PoOptionCheck{};
        QCheckBox* RepNameOptCheck = nullptr;
        QTextEdit *LoginHelpInfo = nullptr, *OptionsHelpInfo = nullptr;
        std::array<QPushButton*, 1> SaveLoginInfoCmd{};
        QPushButton* Testcmd = nullptr;
        QFrame *SavedPic = nullptr, *PassedPic = nullptr, *ErrorPic = nullptr;
        QLabel* Label5 = nullptr; // "PASSED!" inside PassedPic, shown by the hidden keyword
    };

    // ---- layout and wiring (mainform.cpp) -------------------------------------------------------
    void buildLayout();
    void buildInquiryTab();
    void buildInformationTab();
    void buildOptionsTab();
    void ensureInformationTab();
    void wireSubsystems();
    void wireHistory();
    void wireHistoryTab();
    void routeEvents();
    void routeFocusMove(QWidget* old, QWidget* now);
    void leaveControl(QWidget* old); // the lost-focus handlers of the control left
    void parkFocusOnTabBar();
    struct FocusHandlers
    {
        void (MainForm::*gained)() = nullptr;
        void (MainForm::*lost)() = nullptr;
    };
    [[nodiscard]] FocusHandlers focusHandlers(const QWidget* control) const;
    void Form_Load(); // start-up; run by the constructor
    void tickSetup();
    void tickHousekeeping(bool nested);

    // ---- tick, shut-down, help (mainform_shell.cpp) ---------------------------------------------
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

    // ---- server link (mainform_link.cpp) --------------------------------------------------------
    // Hands the request to the server link, with the base port read from ServerSocketTxt. False
    // only when the port text is no 16-bit number: that error goes back to the caller.
    // The request's id, 0 when the link is busy with one of its kind.
    std::optional<quint64> sendRequest(ServerLink::Kind kind, const QString& request);
    // True, with a word in the status line, while the link cannot take a request of this kind.
    bool linkBusy(ServerLink::Kind kind);
    void SocketNumLbl_MouseDown(int index);
    void SocketNumLbl_MouseUp(int index);

    // ---- settings (mainform_settings.cpp) -------------------------------------------------------
    void CheckSetup();
    void SaveLoginSettings();
    void SaveLoginInfoCmd_Click(int index = 0);
    void Testcmd_Click();
    void ShowLoginStatus(bool Passed);
    void applyHostUpdate();
    void reportSaveFailure(const QString& path, const QString& reason);
    void SaveOptionSettings();
    void FlashSavedNotice();

    // ---- part inquiry (mainform_inquiry.cpp) ----------------------------------------------------
    void InquiryCmd_Click();
    bool Parttxt_KeyPress(int key); // true = key consumed
    void Inquiry();
    void Parttxt_GotFocus();
    void Parttxt_LostFocus();
    void AnswerList_Click();
    void AnswerList_KeyPress(int key);
    void reportStep(const QString& stage);
    void showReplyStarted();
    void showAnswerComplete();

    // ---- order (mainform_order.cpp) -------------------------------------------------------------
    void SlideAnswerList(bool show);
    void SlideOrderFrame(bool show);
    void OrderCmd_Click();
    void AddItemToOrder();
    void RemoveItemCmd_Click();
    void CheckSavedOrder();
    void SendOrderCmd_Click();
    void ViewOrderCmd_Click();
    void RemoveAllCmd_Click();
    void Qtytxt_GotFocus();
    void Qtytxt_LostFocus();
    void OrderInfoTxt_LostFocus(int index);
    void UpdateOrderTotals();
    void showCartLines();
    void ClearOrder();
    void SendOrder();
    void OrderReply(quint64 id, const QString& reply);
    void stepPause();
    void applyStandingPO(); // the standing PO number into the order's PO field, when chosen

    // ---- quick order (mainform_quickorder.cpp) --------------------------------------------------
    void QuickOrderCmd_Click();
    // Opens the quick-order pad (or brings the open one forward) with these lines added.
    void openQuickOrder(const QList<quicklist::Line>& lines, bool checkNow);
    // An answer row and a quantity from the pad, with the row's list price.
    struct PadOrder
    {
        QString answerRow;
        double quantity = 1;
        QString listPrice; // for the history's LIST column
    };
    // Adds the pad's lines as ORDER adds one (the standing PO number, the same 66-column line,
    // the totals), MyOrder.dat written once at the end; then shows the order panel. Returns the
    // number of lines added.
    qsizetype addPadOrders(const QList<PadOrder>& orders);
    void quickOrderAdded(const QList<quicklist::PadLine>& added,
                         const QList<quicklist::PadLine>& others);
    void SaveCsvCmd_Click();
    // Offers the order lines as a CSV file in the documents folder, under the suggested name.
    void saveCsv(const QStringList& orderLines, const QString& suggestedName);

    // ---- order history (mainform_history.cpp) ---------------------------------------------------
    // The cart and the order fields as an order of the history, not yet sent.
    [[nodiscard]] history::Order cartAsOrder() const;
    void recordSentOrder(quint64 id); // the order message has been written to the server
    void confirmSentOrder(quint64 id, qint32 number);
    // The cart lines of the order request id carried; nothing when it is not known.
    [[nodiscard]] std::optional<QStringList> linesSent(quint64 id) const;
    // The status line's word on orders whose confirmation is overdue; forgets orders whose
    // connection has ended.
    void showOverdueOrders();
    // The send time (HH:MM) of the earliest order whose confirmation is overdue; "" when none.
    [[nodiscard]] QString overdueOrderTime() const;
    // False when the cart's lines equal those of an order sent within half an hour, confirmed
    // or not, and the user does not want to send it again.
    bool confirmResend();
    void orderAgain(const history::Order& order);
    // Before the saved items are offered back: says when the history holds them as sent.
    void noteSavedOrderSentBefore();
    void printOrder(const history::Order& order);
    void saveOrderCsv(const history::Order& order);

    // ---- helpers every handler uses -------------------------------------------------------------
    // The clock of every wait and deadline: seconds since midnight, never wrapping.
    [[nodiscard]] double secondsNow() const;
    // Blocks, without processing window events, until the clock reaches target.
    void pauseUntil(double target);
    // A modal message box through the prompter; the title is the program's name unless given.
    QMessageBox::StandardButton msgBox(const QString& text,
                                       QMessageBox::Icon icon = QMessageBox::NoIcon,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                       const QString& title = QStringLiteral("Vornik"));
    void playSound(const QString& fileName); // a WAV file of the program folder
    // A warning that arose on its own (a fault of the order history): shown once no box is
    // open, so that it never stands over a question or the order number.
    void warnWhenNoBox(const QString& text);
    void showPendingWarnings();

    Seams m_seams;
    QString m_folder; // the program folder, always ending in the separator
    Controls m_ui;
    Settings* m_settings = nullptr;
    ReplyDispatcher* m_dispatcher = nullptr;
    Cart* m_cart = nullptr;
    Ticker* m_ticker = nullptr;
    std::unique_ptr<TraceLog> m_traceLog;
    ServerLink* m_serverLink = nullptr;
    OrderHistory* m_history = nullptr; // opens its file only when first needed
    HistoryTab* m_historyTab = nullptr;
    // The orders sent, by request, until their connection has ended: the cart and fields the
    // message was built from, and their id in the history once written (0 before).
    struct SentOrder
    {
        history::Order order;
        qint64 historyId = 0;
    };
    std::map<quint64, SentOrder> m_sentOrders;
    int m_openBoxes = 0;                    // message boxes open now, nested ones included
    QStringList m_pendingWarnings;          // warnWhenNoBox() texts waiting for the boxes to close
    std::unique_ptr<PartLookups> m_lookups; // the quick order's, made when first opened
    QPointer<QuickOrderDlg> m_quickOrder;
    bool m_unloaded = false;
    bool m_saveFailed = false; // a settings file could not be written during the current SAVE
    // Where Qt put the focus after hiding the control that had it (a tab change hides the page);
    // the moves that follow from there in the same event are Qt's, not the user's. Cleared as
    // soon as the event loop runs again.
    QPointer<QWidget> m_displacedFocus;
};
