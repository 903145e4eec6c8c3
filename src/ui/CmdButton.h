#pragma once

#include "ui/CustomButton.h"

// A command button: one set of images with its caption.
class CCmdButton : public CCustomButton {};
