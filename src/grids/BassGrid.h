#pragma once

#include "grids/FrettedGrid.h"

// The bass guitar's grid: notes from G3 (MIDI 55) down; in tab display the
// four strings.
class CBassGrid : public CFrettedGrid {
public:
    explicit CBassGrid(CNoteManager& manager);
};
