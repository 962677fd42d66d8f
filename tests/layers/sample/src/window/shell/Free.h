// Sample for the layer check: not compiled. The window's folder is not checked.
#include <QWidget>
