// Font narrowing for texts wider than their room.
#include "app/qt/TextFit.h"

#include <QFont>
#include <QWidget>

namespace vantora {

void NarrowFontToWidth(QWidget* control, int width, int narrowestStretch) {
  QFont font = control->font();
  for (int stretch = 95; control->sizeHint().width() > width && stretch >= narrowestStretch;
       stretch -= 5) {
    font.setStretch(stretch);
    control->setFont(font);
  }
}

}  // namespace vantora
