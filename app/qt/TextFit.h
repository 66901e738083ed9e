// Narrowing a control's font until its text fits a width, for texts laid out
// for a narrower Gothic face than the one installed.
#pragma once

class QWidget;

namespace vantora {

// Lowers the font stretch of `control` in steps of 5 from 95 down to at most
// `narrowestStretch` (percent) while its size hint is wider than `width`.
// Starts from the font it has; a text that already fits keeps it.
void NarrowFontToWidth(QWidget* control, int width, int narrowestStretch);

}  // namespace vantora
