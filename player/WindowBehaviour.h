#pragma once
// What every visible window of the program shares: sized to its skin picture, shaped by its key colour,
// kept above ordinary windows, moved by a press on its body.
#include "platform/runtime/Form.h"

#include <cstdint>

namespace player {

// Width and Height become the skin picture's, its HiMetric size turned into twips.
void sizeToSkin(rt::Form& window);
// Keeps the window above all ordinary windows, its place and size unchanged.
void makeTopmost(rt::Form& window);
// The move by the body: the interactive move of a caption press, which returns when the button is let go.
void moveByBody(rt::Form& window);

} // namespace player
