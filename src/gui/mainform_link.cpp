// Server link in the window: handing requests to the exchange, and the lamp test.
#include "gui/mainform.h"

#include "core/numbers.h"
#include "logic/settings/settings.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

std::optional<quint64> MainForm::sendRequest(ServerLink::Kind kind, const QString& request)
{
    // The base port is read afresh from the OPTIONS tab for every request.
    const auto base = numbers::toInt16(numbers::numericValue(m_ui.ServerSocketTxt->text()));
    if (!base)
        return std::nullopt;
    m_serverLink->setServer(m_settings->hostIP(), *base);
    return m_serverLink->SendSockData(kind, request);
}

bool MainForm::linkBusy(ServerLink::Kind kind)
{
    if (!m_serverLink->isBusy(kind))
        return false;
    // Nothing is sent twice and nothing replaces a request on its way.
    m_ui.MessageLbl->setText(
        kind == ServerLink::Kind::Order && !m_serverLink->isBusy(ServerLink::Kind::Inquiry)
            ? u"Please wait: the order sent is not yet confirmed."_s
            : u"Please wait: a request is on its way to the server (Esc stops it)."_s);
    return true;
}

void MainForm::SocketNumLbl_MouseDown(int index)
{
    m_ui.LedLight[size_t(index)]->show();
}

void MainForm::SocketNumLbl_MouseUp(int index)
{
    m_ui.LedLight[size_t(index)]->hide();
}
