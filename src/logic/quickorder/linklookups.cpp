// Part look-ups through the server link's request queue: each look-up is an ordinary inquiry
// request with its own reply handler, so it runs none of the window's reply steps, closes none of
// the window's connections and lights no lamp.
#include "logic/quickorder/partlookups.h"

#include "logic/link/serverlink.h"

#include <QObject>

#include <map>

namespace {

class LinkLookups final : public QObject, public PartLookups
{
public:
    LinkLookups(ServerLink& link, std::function<std::optional<LookupServer>()> server)
        : m_link(link)
        , m_server(std::move(server))
    { }

    ~LinkLookups() override
    {
        for (const auto& [id, handlers] : m_live)
            m_link.cancel(id);
    }

    quint64 lookUp(QString request, std::function<void(QString, bool)> onReply,
                   std::function<void(QString)> onFailed) override
    {
        const auto server = m_server();
        if (!server) {
            // No request without a valid port; told from the event loop, never from in here.
            const quint64 id = --m_lastRefused; // counts down from the top: never a link id
            m_live.emplace(id, Handlers{std::move(onReply), std::move(onFailed)});
            QMetaObject::invokeMethod(
                this,
                [this, id] {
                    if (const auto handlers = take(id))
                        handlers->onFailed(QStringLiteral("The Connection Socket# on the OPTIONS "
                                                          "tab is not a valid port number."));
                },
                Qt::QueuedConnection);
            return id;
        }
        m_link.setServer(server->host, static_cast<qint16>(server->basePort));
        m_inLookUp = true;
        const quint64 id =
            m_link.queue(ServerLink::Kind::Inquiry, request,
                         [this](quint64 of, QString text, ServerLink::ReplyState state) {
                             if (m_inLookUp) {
                                 // Failed at once (no address): handed on from the event loop.
                                 QMetaObject::invokeMethod(
                                     this, [this, of, text, state] { deliver(of, text, state); },
                                     Qt::QueuedConnection);
                                 return;
                             }
                             deliver(of, std::move(text), state);
                         });
        m_inLookUp = false;
        m_live.emplace(id, Handlers{std::move(onReply), std::move(onFailed)});
        return id;
    }

    void cancel(quint64 id) override
    {
        if (take(id))
            m_link.cancel(id);
    }

private:
    struct Handlers
    {
        std::function<void(QString, bool)> onReply;
        std::function<void(QString)> onFailed;
    };

    std::optional<Handlers> take(quint64 id)
    {
        const auto it = m_live.find(id);
        if (it == m_live.end())
            return std::nullopt;
        Handlers handlers = std::move(it->second);
        m_live.erase(it);
        return handlers;
    }

    void deliver(quint64 id, QString text, ServerLink::ReplyState state)
    {
        if (state == ServerLink::ReplyState::Growing) {
            if (const auto it = m_live.find(id); it != m_live.end())
                it->second.onReply(std::move(text), false);
            return;
        }
        // The handler may start the next look-up: it is taken out first.
        const auto handlers = take(id);
        if (!handlers)
            return;
        if (state == ServerLink::ReplyState::Ended)
            handlers->onReply(std::move(text), true);
        else
            handlers->onFailed(std::move(text));
    }

    ServerLink& m_link;
    std::function<std::optional<LookupServer>()> m_server;
    std::map<quint64, Handlers> m_live;
    quint64 m_lastRefused = ~quint64(0);
    bool m_inLookUp = false;
};

} // namespace

std::unique_ptr<PartLookups> makeLinkLookups(ServerLink& link,
                                             std::function<std::optional<LookupServer>()> server)
{
    return std::make_unique<LinkLookups>(link, std::move(server));
}
