// The faces the workbench names, or a monospaced CJK-capable face when the
// named one is not installed.
#pragma once

#include <QFont>
#include <QString>

#include "app/picture.h"

namespace zelo::ui {

// "MS Mincho", "MS Gothic" or "細明體" when installed; otherwise the first
// installed of a list of monospaced faces that carry Chinese characters.
QString ResolveFamily(app::PictureFont face);
QFont WorkbenchFont(app::PictureFont face = app::PictureFont::Mincho);

}  // namespace zelo::ui
