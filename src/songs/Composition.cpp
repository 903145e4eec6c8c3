#include "songs/Composition.h"
