#pragma once

// Moved to gui/. Kept until the main window includes it from there.
#include "gui/ChangeLabel.h"
