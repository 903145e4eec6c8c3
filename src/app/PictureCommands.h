#pragma once

class CCenter;
class CCommandTable;

// The commands of the groove kind's Picture menu: the band's camera
// targets, the band again, and a mesh file shown on its own.
void FillPictureCommands(CCenter& center, CCommandTable& table);
