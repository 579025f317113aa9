#include "base/app_host.h"
// CAppHost is an interface; this unit anchors its vtable.
