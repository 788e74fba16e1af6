#pragma once
// "Save image...": writes the rendered view (image 0, without grid or preview) as PNG or BMP.
#include "app/records.h"

// Asks for a file name and saves; reports a failure itself. Changes neither folder nor name memory.
void export_image(const ShellState& state);
