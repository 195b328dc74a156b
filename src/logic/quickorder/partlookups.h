#pragma once
// Look-ups of parts beside the window's own requests: each carries its own reply handler and
// runs none of the window's reply steps.

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ServerLink;

class PartLookups
{
public:
    virtual ~PartLookups() = default;
    // Sends an inquiry request and returns at once with the look-up's id. onReply gets the whole
    // reply so far each time it grows, and once more with ended true when it is complete;
    // onFailed instead when no answer could be had. Neither is called from inside lookUp() or
    // after cancel().
    virtual quint64 lookUp(QString request, std::function<void(QString reply, bool ended)> onReply,
                           std::function<void(QString failure)> onFailed) = 0;
    virtual void cancel(quint64 id) = 0;
};

// Where the look-ups go, read afresh for each one; nothing when the settings give no valid port.
struct LookupServer
{
    QString host;
    quint16 basePort = 0;
};

// Look-ups as requests of the server link's queue, each with its own reply handler.
[[nodiscard]] std::unique_ptr<PartLookups>
makeLinkLookups(ServerLink& link, std::function<std::optional<LookupServer>()> server);
