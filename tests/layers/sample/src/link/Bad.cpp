// Sample for the layer check: not compiled.
#include <QString>
#include <QtWidgets/QLabel>
  #  include <QPushButton>
#include "display/CellStatus.h"
#include "link/ControllerLink.h"
// #include <QWidget> in a comment is no include
