// The production seams of the window: real message boxes and file dialogs, non-blocking sounds.
#include "gui/seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

QMessageBox::StandardButton BoxPrompter::ask(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString BoxPrompter::openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString BoxPrompter::saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                  const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

void SystemSounds::play(const QString& wavPath)
{
    if (!QFileInfo(wavPath).isFile()) {
        QApplication::beep();
        return;
    }
    // The effect deletes itself when it has played, so the window never waits for a sound.
    auto* effect = new QSoundEffect(qApp);
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() != QSoundEffect::Loading)
            effect->deleteLater();
    });
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error) {
            QApplication::beep();
            effect->deleteLater();
        }
    });
    effect->setSource(QUrl::fromLocalFile(wavPath));
    effect->play();
}
