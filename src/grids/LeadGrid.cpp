#include "grids/LeadGrid.h"

namespace {

constexpr int kTopNote = 76;

}  // namespace

CLeadGrid::CLeadGrid(CNoteManager& manager)
    : CFrettedGrid(manager, {THING_LEAD_GUITAR,
                             kTopNote,
                             "Lead %d-%s",
                             "Lead string %d",
                             {FINGER_ROW_NOTE, 40, 45, 50, 55, 59, 64}}) {}
