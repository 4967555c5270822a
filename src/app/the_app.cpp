// The one application object, built by static initialisation before the process entry runs.
// Nothing names it: the process entry finds it through Application::Current(). It must
// therefore be linked into the program as a source file of its own; in a static library
// the linker would see no reference to it and leave it out, and the program would start and
// end without doing anything.
#include "app/import_app.h"

static ImportApp theApp;
