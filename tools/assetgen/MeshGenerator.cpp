// Every mesh of the game: the player's robot, the enemies, the shots, the
// stage map with its route description, and the lift.
#include "tools/assetgen/ModelKit.h"

bool GenerateMeshes(AssetOutput& output) {
	bool ok = GenerateRobotModels(output);
	ok = GenerateEnemyModels(output) && ok;
	ok = GenerateStageMap(output) && ok;
	return ok;
}
