// Fonts for the chip picture and the topic sheets: the workbench's named
// faces (fonts.h), sized so that one character takes a given width in pixels.
#pragma once

#include <QFont>

#include "app/picture.h"

namespace zelo::ui {

// The face (or its fixed-pitch fallback) with a character advance close to
// charWidth pixels.
QFont FixedFontForAdvance(app::PictureFont face, double charWidth);

}  // namespace zelo::ui
