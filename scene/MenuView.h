#pragma once
// What the title and result scenes share: the view they start from and
// where their 800 x 600 picture sits in the client area.

#include "platform/math/D3DXMath.h"

// Light 0 from the upper right, the battle's projection, and the published
// camera eye and target back at the origin.
void SetUpMenuView();

// A translation that puts an 800 x 600 picture's top-left corner where the
// picture is centred in the client area, (240, 60) at 1280 x 720.
D3DXMATRIX CentredPictureCorner();
