// vornik: the ordering client. Hands the window the real seams and the program folder.
#include "app/instancelock.h"

#include "gui/mainform.h"

#include <QApplication>
#include <QFileInfo>
#include <QStringList>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornik"));

    // The program folder holds every state file. Resolve symbolic links, so that a link to the
    // binary (in ~/bin, say) does not move the folder.
    const QString folder =
        QFileInfo(QFileInfo(QApplication::applicationFilePath()).canonicalFilePath())
            .absolutePath();
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();

    SystemClock clock;
    BoxPrompter prompter;
    SystemSounds sounds;
    Seams seams;
    seams.clock = &clock;
    seams.prompter = &prompter;
    seams.sounds = &sounds;

    // One window per program folder: a second start says so and ends.
    const InstanceLock lock(folder + QStringLiteral("/vornik.lock"));
    if (lock.state() == InstanceLock::State::HeldByOther) {
        prompter.ask(nullptr, QMessageBox::Warning, QStringLiteral("Vornik"),
                     QStringLiteral("Vornik is already running"), QMessageBox::Ok);
        return 1;
    }

    MainForm form(seams, folder, arguments.join(QLatin1Char(' ')));
    form.show();
    return QApplication::exec();
}
