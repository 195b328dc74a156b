// vornik-grab: saves a PNG of the whole X screen (for the demo under Xvfb, where no screenshot
// tool is at hand). Usage: vornik-grab out.png
#include "toolarguments.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const auto arguments = toolArguments(1, "vornik-grab out.png");
    if (!arguments)
        return 2;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        QTextStream(stderr) << "no screen\n";
        return 1;
    }
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull() || !shot.save(arguments->at(0), "PNG")) {
        QTextStream(stderr) << "could not save " << arguments->at(0) << '\n';
        return 1;
    }
    return 0;
}
