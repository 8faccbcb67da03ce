#pragma once
// The rest poses of the robot and the enemies, built part by part with the
// same matrix chains the game's pose code uses, for fit tests and previews.

#include "tools/assetgen/MeshMath.h"

#include <string>
#include <vector>

struct PlacedPart {
	std::string file;  // under data/
	Mat4 matrix;
	int parent = -1;   // index of the part it hangs from, -1 for the root
};

struct Rig {
	std::vector<PlacedPart> parts;
	std::vector<Vec3> muzzles;  // launch points of the rig's weapons
};

// The robot standing idle at the origin with its aim pitched by aimPitch degrees.
Rig PlayerRig(float aimPitch = 25);
// Its gun's launch matrix and its plasma launcher's launch matrix.
Mat4 PlayerMuzzle(float aimPitch = 25);
Mat4 PlayerPlasmaLaunch(float aimPitch = 25);

Rig WalkerRig();    // at rest, origin at (0, 0, 0)
Rig TurretRig();    // origin 5 above its ground
Rig BossRig(float barrelSpinDegrees = 0);  // op at the origin, heading 0
