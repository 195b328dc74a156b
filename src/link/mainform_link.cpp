// Server link: the request/reply exchange on the four rotating ports and the connection lights.
#include "shell/mainform.h"

#include "core/files.h"
#include "core/numbers.h"
#include "core/text.h"
#include "inquiry/partinquiry.h"
#include "link/settings.h"
#include "shell/shell.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

enum class SocketState { Connecting, Connected, Failed };

SocketState stateOf(const QTcpSocket* socket)
{
    switch (socket->state()) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return SocketState::Connecting;
    case QAbstractSocket::ConnectedState:
        return SocketState::Connected;
    default:
        return SocketState::Failed;
    }
}

// How long a fresh connection gets to complete before its state is first read. A server that
// accepts at once (loopback, LAN) is connected well within it, so the request leaves within
// milliseconds instead of after a one-second poll pause.
constexpr int SettleMilliseconds = 150;

} // namespace

bool MainForm::SendSockData(bool OrderMode, const QString& request)
{
    AskString = request;
    const auto base = numbers::toInt16(numbers::numericValue(m_ui.ServerSocketTxt->text()));
    if (!base)
        return false; // the port text is no 16-bit number: the caller reports it
    SocketBase = *base;

    QString stage = u"SendSockData: Initial"_s;
    const auto fail = [&] { MsgBox(u"*Err - "_s + stage, QMessageBox::Warning); };

    Winsock->abort();
    const QString host = text::trimBlanks(m_settings->hostIP());
    if (host.isEmpty()) {
        MsgBox(u"No server address is set. Enter the Connection IP Address or Dynamic URL on "
               "the OPTIONS tab and press SAVE."_s,
               QMessageBox::Warning);
        return true;
    }

    qint16 offset = OrderMode ? 2 : 3;
    int attempts = 0;
    forever {
        offset = static_cast<qint16>(offset + 1);
        if (offset > MaxSocketOffset)
            offset = 0;
        ++attempts;
        stage = u"SendSockData: Find Socket"_s;
        int polls = 0;
        const int port = SocketBase + offset;
        if (port > 32767 || port < 0) {
            fail(); // the 16-bit port sum overflows, or the base is negative
            return true;
        }
        Winsock->connectToHost(host, static_cast<quint16>(port));
        QApplication::processEvents(); // other handlers, a nested request too, may run here
        if (stateOf(Winsock) == SocketState::Connecting)
            Winsock->waitForConnected(SettleMilliseconds);
        bool connected = false;
        forever {
            QApplication::processEvents(); // other handlers may run here
            const SocketState state = stateOf(Winsock);
            if (state == SocketState::Connected) {
                connected = true;
                break;
            }
            if (state == SocketState::Failed)
                break;
            if (++polls >= 5)
                break;
            WaitNextSecond();
        }
        if (connected) {
            m_ui.LedLight[size_t(offset)]->show();
            stage = u"SendSockData: Send Data"_s;
            const QByteArray bytes = files::toAnsi(AskString);
            if (Winsock->write(bytes) != bytes.size()) {
                fail();
                return true;
            }
            Winsock->flush(); // hand the request to the network now, not at the next event
            if (m_shell->traceMode() && !m_shell->TraceRequest(AskString))
                fail(); // the trace log cannot be written; the request has been sent
            return true;
        }
        const bool hostUnknown = Winsock->error() == QAbstractSocket::HostNotFoundError;
        Winsock->abort();
        stage = u"SendSockData: Socket Retry"_s;
        if (hostUnknown) {
            // Retrying a name that does not resolve cannot succeed; say so at once.
            MsgBox(u"The server address \""_s + host
                       + u"\" could not be found. Check the Connection IP Address or Dynamic "
                         "URL on the OPTIONS tab."_s,
                   QMessageBox::Warning);
            m_ui.InquiryCmd->setEnabled(true);
            return true;
        }
        if (attempts >= 100) {
            MsgBox(u"ERROR: Unable to establish socket connection to server"_s,
                   QMessageBox::Critical);
            m_ui.InquiryCmd->setEnabled(true);
            return true;
        }
        WaitNextSecond();
    }
}

void MainForm::WaitNextSecond()
{
    // The next whole second, halves to even: no wait at an even whole second, a full second at
    // an odd one. The pause blocks without processing window events.
    PauseUntil(numbers::roundHalfEven(Timer() + 0.5));
}

void MainForm::Winsock_DataArrival(qint64 /*bytesTotal*/)
{
    // Each arrived text is handled exactly once and in arrival order: one that arrives while an
    // earlier one is being handled (the dispatcher processes events) waits its turn in the queue.
    const auto take = [this] {
        m_arrivals.enqueue(Winsock->isOpen() ? files::fromAnsi(Winsock->readAll()) : QString());
        SocketTimer = numbers::toInt32(numbers::roundHalfEven(Timer() + 1.3)).value_or(0);
    };
    take();
    if (m_dispatching)
        return;
    m_dispatching = true;
    forever {
        if (m_arrivals.isEmpty()) {
            // The socket does not signal again for bytes that came in while its signal was
            // being handled: take them here, as the next arrival.
            if (!Winsock->isOpen() || Winsock->bytesAvailable() <= 0)
                break;
            take();
        }
        AnswerString = m_arrivals.dequeue();
        m_inquiry->GetInquiry(AnswerString);
    }
    m_dispatching = false;
}

void MainForm::ClearSocketLights()
{
    for (int i = 0; i <= MaxSocketOffset && i < int(m_ui.LedLight.size()); ++i)
        m_ui.LedLight[size_t(i)]->hide();
}

void MainForm::SocketNumLbl_MouseDown(int index)
{
    m_ui.LedLight[size_t(index)]->show();
}

void MainForm::SocketNumLbl_MouseUp(int index)
{
    m_ui.LedLight[size_t(index)]->hide();
}
