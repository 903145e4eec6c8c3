#pragma once

#include "grids/FrettedGrid.h"

// The lead guitar's grid: notes from E5 (MIDI 76) down; in tab display the
// finger row above the six strings.
class CLeadGrid : public CFrettedGrid {
public:
    explicit CLeadGrid(CNoteManager& manager);
};
