// A file of the stock layer that includes headers of layers below it and
// the public header: it compiles.
#include "gpu/SSBO.h"
#include "korvane/Korvane.h"
#include "toolpath/Toolpath.h"
