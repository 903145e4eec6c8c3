#pragma once

#include "ui/ListBox.h"

// A drop-down list of a dialog: a list box whose list opens on a click.
class CComboBox : public CListBox {};
