// Fonts for the workbench pictures: the named Japanese/Chinese fonts when the
// system has them, otherwise a fixed-pitch font, sized so that one character
// takes a given width in pixels.
#pragma once

#include <QFont>
#include <QString>

namespace zelo::ui {

// A fixed-pitch font of the family (falling back to the system's fixed font)
// whose character advance is close to charWidth pixels.
QFont FixedFontForAdvance(const QString& family, double charWidth);

}  // namespace zelo::ui
