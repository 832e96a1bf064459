#pragma once
// Whether the user holds the primary mouse button down: sliders use it to tell a
// drag from a release.

bool PrimaryButtonDown();
