// Prints a reference sheet into the state picture's drawing, under the two
// rows of the topic grid so that the topics stay readable and can still be
// pointed at while a sheet is shown.
#pragma once

#include "app/picture.h"
#include "app/state_picture.h"

namespace zelo::app {

// Adds the lines of PrintTopicSheet(slot) to the picture in black, font
// "MS Mincho" size 9, one under the other from the left edge, starting below
// the topic rows; the line pitch shrinks when a long sheet would otherwise
// run off the bottom. An empty slot adds nothing. Returns the lines added.
int AddTopicSheet(Picture& picture, int slot, const GridGeometry& grid = {});

}  // namespace zelo::app
