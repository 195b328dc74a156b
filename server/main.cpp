// vornik-demo-server: a small order server that speaks the client's wire protocol, for demos
// and tests. It listens on 127.0.0.1 by default, never on other addresses unless told.
#include "accounts.h"
#include "catalog.h"
#include "demoserver.h"
#include "orderstore.h"
#include "requesthandler.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// SIGINT and SIGTERM write a byte here; the event loop reads it and quits, so the database is
// closed outside the signal handler.
int signalPipe[2] = {-1, -1};

extern "C" void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void print(FILE* stream, const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stream);
    std::fflush(stream);
}

// Beside the binary first, then the source folder the binary was built from.
QString dataFile(const QString& name)
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    return QDir(QStringLiteral(DEMOSERVER_SOURCE_DIR)).filePath(name);
}

bool installSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0
        && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"vornik-demo-server"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Order server for demos and tests; speaks the ordering client's protocol."_s);
    parser.addHelpOption();
    const QCommandLineOption addressOption(u"address"_s, u"Address to listen on."_s, u"address"_s,
                                           u"127.0.0.1"_s);
    const QCommandLineOption portOption(
        u"port"_s, u"Base port; the server listens on it and the three after it (0: any free)."_s,
        u"port"_s, u"3300"_s);
    const QCommandLineOption dbOption(
        u"db"_s, u"SQLite file for the orders (created if missing)."_s, u"file"_s);
    const QCommandLineOption catalogOption(u"catalog"_s, u"Parts catalog CSV."_s, u"file"_s);
    const QCommandLineOption accountsOption(u"accounts"_s, u"Accounts CSV."_s, u"file"_s);
    const QCommandLineOption idleOption(
        u"idle-ms"_s, u"Close a connection without a whole request after this long."_s, u"ms"_s,
        u"10000"_s);
    const QCommandLineOption versionOption(u"client-version"_s,
                                           u"Client version announced after inquiry answers."_s,
                                           u"version"_s, demo::ClientVersion.toString());
    const QCommandLineOption keepOpenOption(
        u"keep-open"_s,
        u"Keep each connection open after the reply, until the client closes it (or the idle "
        "time passes), as servers that never mark a reply's end do."_s);
    parser.addOptions({addressOption, portOption, dbOption, catalogOption, accountsOption,
                       idleOption, versionOption, keepOpenOption});
    parser.process(app);

    demo::ServerOptions options;
    bool portOk = false;
    bool idleOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    options.idleMs = parser.value(idleOption).toInt(&idleOk);
    options.address = QHostAddress(parser.value(addressOption));
    if (!portOk || port > 65535 - (demo::DemoServer::PortCount - 1)) {
        print(stderr, u"--port must be 0 to 65532"_s);
        return 2;
    }
    if (!idleOk || options.idleMs < 1) {
        print(stderr, u"--idle-ms must be a positive number"_s);
        return 2;
    }
    if (options.address.isNull()) {
        print(stderr, u"--address must be an IP address"_s);
        return 2;
    }
    options.basePort = static_cast<quint16>(port);
    options.keepOpen = parser.isSet(keepOpenOption);

    const QString catalogPath =
        parser.isSet(catalogOption) ? parser.value(catalogOption) : dataFile(u"catalog.csv"_s);
    const QString accountsPath =
        parser.isSet(accountsOption) ? parser.value(accountsOption) : dataFile(u"accounts.csv"_s);
    const QString dbPath = parser.isSet(dbOption)
        ? parser.value(dbOption)
        : QDir(QCoreApplication::applicationDirPath()).filePath(u"orders.sqlite"_s);

    demo::Catalog catalog;
    for (const QString& problem : catalog.load(catalogPath))
        print(stderr, u"catalog: "_s + problem);
    demo::Accounts accounts;
    for (const QString& problem : accounts.load(accountsPath))
        print(stderr, u"accounts: "_s + problem);
    if (catalog.size() == 0 || accounts.size() == 0) {
        print(stderr, u"no parts or no accounts loaded; stopping"_s);
        return 1;
    }

    demo::OrderStore orders(dbPath);
    if (const QString error = orders.open(); !error.isEmpty()) {
        print(stderr, u"order database: "_s + error);
        return 1;
    }
    demo::RequestHandler handler(catalog, accounts, orders);
    handler.setClientVersion(parser.value(versionOption));

    if (!installSignalHandlers()) {
        print(stderr, u"cannot install the signal handlers"_s);
        return 1;
    }
    QSocketNotifier stopNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });

    demo::DemoServer server(handler, options);
    QObject::connect(&server, &demo::DemoServer::logged, &app,
                     [](const QString& line) { print(stdout, line); });
    if (const QString error = server.listen(); !error.isEmpty()) {
        print(stderr, u"cannot listen on %1: %2"_s.arg(options.address.toString(), error));
        return 1;
    }
    print(stdout,
          u"catalog %1 (%2 parts), accounts %3 (%4 logins), orders %5"_s.arg(catalogPath)
              .arg(catalog.size())
              .arg(accountsPath)
              .arg(accounts.size())
              .arg(dbPath));
    print(stdout,
          u"listening on %1:%2-%3"_s.arg(options.address.toString())
              .arg(server.basePort())
              .arg(server.basePort() + demo::DemoServer::PortCount - 1));

    const int code = QCoreApplication::exec();
    server.close();
    orders.close();
    print(stdout, u"stopped"_s);
    return code;
}
