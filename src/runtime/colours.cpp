#include "colours.h"

#include <QPalette>
#include <QWidget>

namespace runtime {

void fillWithButtonFace(QWidget &panel)
{
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    panel.setPalette(palette);
}

} // namespace runtime
