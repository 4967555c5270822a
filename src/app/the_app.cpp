// The one application object, built by static initialisation before the process entry runs.
#include "app/import_app.h"

static ImportApp theApp;
