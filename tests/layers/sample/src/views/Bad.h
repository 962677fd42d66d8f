// Sample for the layer check: not compiled. The views' history may use the rules and the store.
#include "rules/Colors.h"
#include "record/RecordReader.h"
#include "views/widgets/HeatmapTable.h"
