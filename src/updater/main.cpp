// The update utility: waits, copies NAME.NEW over NAME.EXE in its own folder, and ends.
#include "form1.h"

#include "updater/replace.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Without any display to show a window on, the application object is given none instead of
// aborting: the update then runs all the same and its messages go to standard error. A platform
// asked for by name is left as it is.
void chooseWindowSystem()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
}

// True when the platform has no screen a user could look at.
bool withoutDisplay()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen"_s || platform == u"minimal"_s;
}

void reportFailure(QWidget* window, const QString& message)
{
    if (!window) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return;
    }
    QMessageBox::warning(window, QString::fromLatin1(ostrel::ProgramTitle), message);
}

// The pause before the copy. Only a test build reads a shorter one from OSTREL_WAIT_MS.
int waitMilliseconds()
{
#ifdef OSTREL_TEST_SWITCHES
    return ostrel::waitMilliseconds(qEnvironmentVariable("OSTREL_WAIT_MS"));
#else
    return ostrel::DefaultWaitMilliseconds;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    // Read before any application object, which needs a display: with nothing to do the utility
    // ends at once, display or not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString name = ostrel::programName(arguments);
    if (name.isEmpty())
        return 0; // no window, no wait, no copy

    chooseWindowSystem();
    QApplication app(argc, argv);

    std::unique_ptr<Form1> form;
    if (!withoutDisplay()) {
        form = std::make_unique<Form1>();
        form->show();
        form->repaint();
        QApplication::processEvents(); // lets the window appear before the still wait below
        form->Label1->setText(ostrel::updatingCaption(name));
        form->Label1->repaint(); // the wait processes no events, so the name must be painted now
    }

    // The program being replaced is given time to end before its file is overwritten.
    ostrel::pauseMilliseconds(waitMilliseconds());

    const ostrel::UpdateJob job{QCoreApplication::applicationDirPath(), name};
    if (const auto failure = ostrel::replaceExecutable(job)) {
        reportFailure(form.get(), *failure);
        return 1;
    }
    return 0;
}
