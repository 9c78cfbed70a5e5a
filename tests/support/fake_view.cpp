// The support library's one source on every system: the pty helpers are POSIX only.
#include "support/fake_view.h"
