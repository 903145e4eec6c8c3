#pragma once

#include "foundation/CharString.h"
#include "foundation/FileInfo.h"

// Splits path into drive, directory, folder, name and extension; false when
// path is null or too long to be a path.
bool SplitPath(const char* path, FILE_INFO& info);

// Creates every missing folder of path. A relative path is taken below the
// executable's folder. A folder that already exists counts as made.
bool MakeDirectory(const char* path);

// Makes the folder that the file path lies in.
bool MakeFileDirectory(const char* path);

// folder + name + newExtension (newExtension carries its dot).
CCharString ChangeExtension(const char* path, const char* newExtension);

// Folder of the running executable, without a trailing separator, or the
// folder set in its place.
bool GetProgramFolder(CCharString& folder);
// Puts folder (without a trailing separator) in place of the executable's
// folder, so that the data folders below it move with it; null restores the
// executable's own. For tests, which each need folders of their own.
void SetProgramFolder(const char* folder);

// File name of the running executable without folder and extension.
bool GetProgramName(CCharString& name);
