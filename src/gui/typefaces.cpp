#include "gui/typefaces.h"

#include <QFontDatabase>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace typefaces {
namespace {

    // A face named but not installed costs the font system a search of its substitution rules
    // the first time it is drawn, about a million instructions each; the installed families are
    // one list already read.
    bool installed(const QString& family)
    {
        static const QStringList families = QFontDatabase::families();
        return families.contains(family, Qt::CaseInsensitive);
    }

} // namespace

QFont courierBold(int points)
{
    // The faces made to Courier New's measures come first, as the font system's own aliases
    // would choose them; with none of these the font system finds a typewriter face itself.
    static const QString family = [] {
        for (const QString& face :
             {u"Courier New"_s, u"Liberation Mono"_s, u"Cousine"_s, u"DejaVu Sans Mono"_s})
            if (installed(face))
                return face;
        return u"Courier New"_s;
    }();
    QFont font(family, points, QFont::Bold);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

QFont productName()
{
    // Without Arial Black the font system would take its general sans face for it; the
    // desktop's own sans face, already found for the window's ordinary text, is that choice.
    QFont font(installed(u"Arial Black"_s) ? u"Arial Black"_s : QGuiApplication::font().family(),
               22, QFont::Black);
    // At display size the outlines need no fitting to the pixel grid, and leaving it out spares
    // a hinting pass over the face.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace typefaces
