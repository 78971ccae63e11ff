#pragma once

class QLineEdit;

namespace ui {

// Keeps `field`'s tooltip showing its whole text whenever the text is wider than the field can
// show, and no tooltip when it fits.
void showWholeTextWhenCut(QLineEdit& field);

}  // namespace ui
