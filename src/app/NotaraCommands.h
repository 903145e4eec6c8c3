#pragma once

class CCenter;
class CCommandTable;

// The note-reading kind's commands: what each item of its menu (Menus.h)
// and each command key does, filled into the centre's command table. The
// handlers reach the application's parts through center, which outlives the
// table.
void FillNotaraCommands(CCenter& center, CCommandTable& table);
