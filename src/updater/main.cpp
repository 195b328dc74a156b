// The update utility: waits, copies NAME.NEW over NAME.EXE in its own folder, and ends.
#include "form1.h"

#include "updater/replace.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Tests that run the real binary set OSTREL_NO_DIALOGS=1, because a failure box waits for an
// answer that nobody gives; the message then goes to the standard error stream instead.
void reportFailure(QWidget* parent, const QString& message)
{
    if (qEnvironmentVariable("OSTREL_NO_DIALOGS") == u"1"_s) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return;
    }
    QMessageBox::warning(parent, QString::fromLatin1(ostrel::ProgramTitle), message);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    const QString name = ostrel::programName(QCoreApplication::arguments());
    if (name.isEmpty())
        return 0; // no window, no wait, no copy

    Form1 form;
    form.show();
    form.repaint();
    QApplication::processEvents(); // lets the window appear before the still wait below

    form.Label1->setText(ostrel::updatingCaption(name));
    form.Label1->repaint(); // the wait processes no events, so the name must be painted now

    // The program being replaced is given time to end before its file is overwritten.
    ostrel::pauseMilliseconds(ostrel::waitMilliseconds(qEnvironmentVariable("OSTREL_WAIT_MS")));

    const ostrel::UpdateJob job{QCoreApplication::applicationDirPath(), name};
    if (const auto failure = ostrel::replaceExecutable(job)) {
        reportFailure(&form, *failure);
        return 1;
    }
    return 0;
}
