#include "grids/BassGrid.h"

namespace {

constexpr int kTopNote = 55;

}  // namespace

CBassGrid::CBassGrid(CNoteManager& manager)
    : CFrettedGrid(
          manager,
          {THING_BASS_GUITAR, kTopNote, "Bass %d-%s", "Bass string %d", {28, 33, 38, 43}}) {}
