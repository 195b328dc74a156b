#pragma once
// The login settings and preferences: Login.Inf and Options.Inf (load, validation, save), the
// supplier's connection update files, and the deadline of the login test. Plain values in and
// out; the window shows them.

#include <QObject>
#include <QString>

#include <optional>

class Settings : public QObject
{
    Q_OBJECT

public:
    // folder: the program folder, ending in the separator.
    explicit Settings(const QString& folder, QObject* parent = nullptr);

    // Login.Inf as last read (each field kept as soon as it was read).
    [[nodiscard]] QString hostIP() const { return m_hostIP; }
    [[nodiscard]] QString loginName() const { return m_loginName; }
    [[nodiscard]] QString accNum() const { return m_accNum; }

    // The fields of the two files, in file order. A field that was not reached stays empty.
    struct LoginFields
    {
        QString host;
        QString name;
        QString account;
        std::optional<qint16> port; // nothing: the port field is no 16-bit number
    };
    struct OptionFields
    {
        std::optional<QString> businessName;
        std::optional<bool> poRequired;
        std::optional<bool> standingPo;
        std::optional<QString> standingNumber;
        std::optional<bool> repRequired;
    };
    struct Loaded
    {
        bool ok = false;                  // both files read in full
        std::optional<LoginFields> login; // all five login fields read
        OptionFields options;             // what was read before a fault
    };
    // Reads Login.Inf and Options.Inf, creating a missing one empty. Marks the setup as checked
    // first of all. A too-short Options.Inf means a first run: the shortcut is then due.
    Loaded readFiles();
    [[nodiscard]] bool setupChecked() const { return m_setupChecked; }
    // True once after a load found the first run.
    bool takeShortcutPending();
    // Marks the first run done in Options.Inf; false when it cannot be written.
    bool markFirstRun();
    [[nodiscard]] QString loginFile() const;
    [[nodiscard]] QString optionsFile() const;

    // Writes Login.Inf (host lower-cased and trimmed, account and port trimmed). Returns the
    // reason of a failure, empty on success; the old file is then unchanged.
    QString saveLogin(const QString& host, const QString& name, const QString& account,
                      const QString& port);
    struct Options
    {
        QString businessName; // already cleaned
        bool poRequired = false;
        bool standingPo = false;
        QString standingNumber; // already cleaned
        bool repRequired = false;
    };
    // Writes Options.Inf; returns the reason of a failure, empty on success.
    QString saveOptions(const Options& options);

    // The keyword file Vornikupdate.TXT; read once and removed. False when there is none or it
    // could not be removed (it would be applied again at every load).
    bool ReadHostUpdateFile(QString& url, QString& socket, QString& notes);
    // Applies LOGIN_UPDATE.INF to Login.Inf at start-up and keeps the notice to show.
    void ApplyLoginUpdate();
    [[nodiscard]] bool hasUpdateNotice() const { return m_updateNotice.has_value(); }
    [[nodiscard]] QString updateNotice() const { return m_updateNotice.value_or(QString()); }
    void clearUpdateNotice() { m_updateNotice.reset(); }

    // The login test's deadline: whole seconds on the clock, 0 when no test runs.
    void startLoginTest(double now);
    void stopLoginTest() { m_loginTestTimer = 0; }
    [[nodiscard]] qint32 loginTestTimer() const { return m_loginTestTimer; }
    [[nodiscard]] bool loginTestExpired(double now) const
    {
        return now > m_loginTestTimer && m_loginTestTimer > 0;
    }

private:
    QString m_folder;
    QString m_hostIP;
    QString m_loginName;
    QString m_accNum;
    bool m_setupChecked = false;
    bool m_shortcutPending = false;
    qint32 m_loginTestTimer = 0;
    std::optional<QString> m_updateNotice;
};
