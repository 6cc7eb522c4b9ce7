#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace zelo::ui {

namespace {
QString FirstInstalled(const QStringList& families)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}
}  // namespace

QString ResolveFamily(app::PictureFont face)
{
    static const QStringList kFallback{"WenQuanYi Micro Hei Mono", "Noto Sans Mono CJK TC", "Noto Sans Mono CJK SC",
                                       "AR PL UMing TW", "DejaVu Sans Mono"};
    QStringList wanted;
    switch (face) {
        case app::PictureFont::Mincho: wanted << "MS Mincho"; break;
        case app::PictureFont::Gothic: wanted << "MS Gothic"; break;
        case app::PictureFont::MingLiU: wanted << QString::fromUtf8("細明體") << "MingLiU"; break;
    }
    return FirstInstalled(wanted + kFallback);
}

QFont WorkbenchFont(app::PictureFont face)
{
    QFont font(ResolveFamily(face));
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

}  // namespace zelo::ui
