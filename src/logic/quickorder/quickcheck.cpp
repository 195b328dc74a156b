// The quick-order pad's lines and their check.
#include "logic/quickorder/quickcheck.h"

#include "core/answer.h"
#include "logic/quickorder/partlookups.h"

using namespace Qt::StringLiterals;

namespace {
constexpr qsizetype MaxAtOnce = 4;
} // namespace

QuickCheck::QuickCheck(PartLookups& lookups, QObject* parent)
    : QObject(parent)
    , m_lookups(lookups)
{
    setObjectName(u"QuickCheck"_s);
}

QuickCheck::~QuickCheck()
{
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it)
        m_lookups.cancel(it.key());
}

qsizetype QuickCheck::append(const QList<quicklist::Line>& lines)
{
    if (checking())
        return lines.size();
    const qsizetype room = std::max<qsizetype>(0, quicklist::MaxLines - m_lines.size());
    for (qsizetype i = 0; i < std::min(room, lines.size()); ++i)
        m_lines << quicklist::PadLine{lines[i], std::nullopt, -1, 0, {}};
    refreshDuplicates();
    emit linesChanged();
    return std::max<qsizetype>(0, lines.size() - room);
}

void QuickCheck::editPart(qsizetype index, const QString& part)
{
    if (checking() || index < 0 || index >= m_lines.size())
        return;
    quicklist::PadLine& line = m_lines[index];
    const quicklist::Line old = line.line;
    line.line = quicklist::makeLine(
        old.source, part,
        old.quantity.isEmpty() ? std::nullopt : std::optional<QStringView>(old.quantity), old.lin);
    line.verdict.reset();
    line.choice = -1;
    line.lookupFailure.clear();
    refreshDuplicates();
    emit lineChanged(index);
}

void QuickCheck::editQuantity(qsizetype index, const QString& quantity)
{
    if (checking() || index < 0 || index >= m_lines.size())
        return;
    quicklist::PadLine& line = m_lines[index];
    // The answer still holds for the part; only the quantity is checked again.
    line.line =
        quicklist::makeLine(line.line.source, line.line.part, QStringView(quantity), line.line.lin);
    emit lineChanged(index);
}

void QuickCheck::remove(qsizetype index)
{
    if (checking() || index < 0 || index >= m_lines.size())
        return;
    m_lines.removeAt(index);
    refreshDuplicates();
    emit linesChanged();
}

void QuickCheck::choose(qsizetype index, int choice)
{
    if (checking() || index < 0 || index >= m_lines.size() || !m_lines[index].verdict)
        return;
    const qsizetype offers = m_lines[index].verdict->offers.size();
    m_lines[index].choice = choice >= 0 && choice < offers ? choice : -1;
    emit lineChanged(index);
}

void QuickCheck::check(const QString& account, const QString& login)
{
    if (checking())
        return;
    m_account = account;
    m_login = login;
    const auto valid = [](const quicklist::PadLine& line) { return line.line.problem.isEmpty(); };
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (valid(m_lines[i])
            && (!m_lines[i].verdict || m_lines[i].verdict->status == quicklist::Status::Failed
                || !m_lines[i].lookupFailure.isEmpty()))
            m_pending << i;
    if (m_pending.isEmpty())
        for (qsizetype i = 0; i < m_lines.size(); ++i)
            if (valid(m_lines[i]))
                m_pending << i;
    m_started = 0;
    m_total = int(m_pending.size());
    if (m_pending.isEmpty()) {
        emit finished(false);
        return;
    }
    startNext();
}

void QuickCheck::stop()
{
    if (!checking())
        return;
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it)
        m_lookups.cancel(it.key());
    m_inFlight.clear();
    m_pending.clear();
    emit finished(true);
}

void QuickCheck::startNext()
{
    while (m_inFlight.size() < MaxAtOnce && !m_pending.isEmpty()) {
        const qsizetype index = m_pending.takeFirst();
        const QString part = m_lines[index].line.part;
        const auto request = answer::inquiryRequest(m_account, m_login, part);
        if (!request)
            continue; // cannot happen for a valid line
        const quint64 id = m_lookups.lookUp(
            *request,
            [this, index](const QString& reply, bool ended) {
                if (ended)
                    judged(index, reply);
            },
            [this, index](const QString& failure) { failed(index, failure); });
        m_inFlight.insert(id, index);
        ++m_started;
        emit progress(m_started, m_total);
    }
    if (!checking())
        emit finished(false);
}

void QuickCheck::judged(qsizetype index, const QString& reply)
{
    m_inFlight.removeIf([index](auto it) { return it.value() == index; });
    quicklist::PadLine& line = m_lines[index];
    line.verdict = quicklist::classify(line.line.part, reply);
    line.lookupFailure.clear();
    line.choice = quicklist::defaultChoice(*line.verdict);
    // The LIN the list names picks among the part's rows.
    if (!line.line.lin.isEmpty() && line.verdict->status == quicklist::Status::Found)
        for (qsizetype i = 0; i < line.verdict->offers.size(); ++i)
            if (line.verdict->offers[i].lin == line.line.lin)
                line.choice = int(i);
    emit lineChanged(index);
    startNext();
}

void QuickCheck::failed(qsizetype index, const QString& failure)
{
    m_inFlight.removeIf([index](auto it) { return it.value() == index; });
    m_lines[index].lookupFailure = failure;
    emit lineChanged(index);
    startNext();
}

void QuickCheck::refreshDuplicates()
{
    QList<int> before;
    for (const quicklist::PadLine& line : m_lines)
        before << line.duplicateOf;
    quicklist::markDuplicates(m_lines);
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (i >= before.size() || before[i] != m_lines[i].duplicateOf)
            emit lineChanged(i);
}
