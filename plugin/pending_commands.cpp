// Commands not built yet: each answers its quiet result (0, 0.0 or nothing done).
// Every command listed here is a gap; the section of a family goes when the family is built.
#include "commands.h"
