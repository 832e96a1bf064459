#pragma once
// The encoder component as the application places it on its main window.

#include "engine/CustomEncoder.h"

class TFFEncoder : public TCustomEncoder {
};
