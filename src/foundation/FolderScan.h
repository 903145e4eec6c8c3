#pragma once

#include "foundation/FileInfo.h"
#include "foundation/Tree.h"

// Adds the entries of folder to tree's children, sorted by name. Sub-folders
// are added (and scanned recursively into their own children) when folders is
// true; files are added when files is true and the part of their name after
// its first "." equals extension without regard to case (a name without "."
// never matches, nor does any name when extension is null). Each child's
// level is its parent's plus one; file records carry isFile = 1.
//
// Symbolic links to folders are not followed, so link loops end; links to
// files count as files. A sub-folder that cannot be listed stays without
// children. False when folder cannot be listed or memory runs out.
bool ScanFolder(const char* folder, CTree<FILE_INFO>& tree, bool folders, bool files,
                const char* extension);
