#pragma once

// The version of this build, "MAJOR.MINOR.PATCH", set once by the project's
// CMakeLists.txt; what --version, the About box, the package and the crash
// reports show.
const char* GetVersionText();
