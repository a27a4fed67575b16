#pragma once
// The full-screen window draws with the image control in its device-pixel mode.
#include "controls/ImageControl.h"

using TFullImage = TImage;
