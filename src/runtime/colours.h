#pragma once

class QWidget;

namespace runtime {

// Gives a panel the desktop's button face as its background, passed on to the controls inside.
// A palette rather than a style sheet, so that colours set later on those controls hold whenever
// the window is polished.
void fillWithButtonFace(QWidget &panel);

} // namespace runtime
