// Twips (1/1440 inch) and pixels, converted at the screen's logical dots per inch.
#pragma once

namespace tsln {

int TwipsPerPixelX();
int TwipsPerPixelY();

} // namespace tsln
