#pragma once
// The quick-order pad: a window-modal dialog where a list of parts and quantities is pasted or
// opened, checked against the server and added to the order.

#include "core/quicklist.h"

#include <QDialog>

#include <functional>

class Prompter;
class PartLookups;
class QuickCheck;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class QuickOrderDlg : public QDialog
{
    Q_OBJECT

public:
    // credentials: the account and login the inquiry sends, read when Check is pressed.
    QuickOrderDlg(Prompter& prompter, PartLookups& lookups,
                  std::function<std::pair<QString, QString>()> credentials,
                  QWidget* parent = nullptr);

    // Adds lines to the table (a history order placed again, for one).
    void addLines(const QList<quicklist::Line>& lines);
    void Check();

    // Escape and Cancel stop a running check first; only when none runs do they close.
    void reject() override;

signals:
    // Add to Order: the lines that go into the cart, and the others.
    void addRequested(const QList<quicklist::PadLine>& added,
                      const QList<quicklist::PadLine>& others);

private:
    void PasteCmd_Click();
    void OpenListCmd_Click();
    void RemoveLineCmd_Click();
    void AddToOrderCmd_Click();
    void ChoiceCmb_Activated(int index);
    void takeText(const QString& text, const QString& source);
    void showLines();
    void showLine(qsizetype index);
    void showChoices();
    void cellEdited(int row, int column);
    void enableControls();
    void tell(const QString& text);

    Prompter& m_prompter;
    std::function<std::pair<QString, QString>()> m_credentials;
    QuickCheck* m_check = nullptr;
    QTableWidget* m_table = nullptr;
    QComboBox* m_choice = nullptr;
    QLabel* m_progress = nullptr;
    QPushButton *m_paste = nullptr, *m_open = nullptr, *m_checkCmd = nullptr, *m_remove = nullptr,
                *m_add = nullptr, *m_cancel = nullptr;
    bool m_showing = false; // the table is being filled: its edits are not the user's
};
