#include "render/ModelTable.h"

ModelTable* modelTable = nullptr;

namespace {

const char* const MODEL_FILES[MODEL_SLOT_COUNT] = {
    "data/robot/body.x",
    "data/robot/under_body.x",
    "data/robot/BackPack.x",
    "data/robot/vernier.x",
    "data/robot/L_sholder.x",
    "data/robot/R_sholder.x",
    "data/robot/L_upper_arm.x",
    "data/robot/L_lower_arm.x",
    "data/robot/R_lower_arm.x",
    "data/robot/Plasma.x",
    nullptr,
    "data/robot/L_upper_leg.x",
    "data/robot/L_lower_leg.x",
    "data/Enemy/two_leg/Body.x",
    "data/Enemy/two_leg/Left_Musle.x",
    "data/Enemy/two_leg/Left_Leg.x",
    "data/Enemy/two_leg/Right_Musle.x",
    "data/Enemy/two_leg/Right_Leg.x",
    "data/Enemy/Turret/Turret.x",
    "data/Enemy/Turret/RaserGun.x",
    "data/Enemy/Tank/Boss_Op.x",
    "data/Enemy/Tank/Arm_G.x",
    "data/Enemy/Tank/Arm_P.x",
    "data/Enemy/Tank/Missile.x",
    "data/Ammo/Ammo.x",
    "data/Ammo/RedAmmo.x",
};

// The order the slots have always been loaded in.
const int LOAD_ORDER[] = {0, 1, 2, 3, 4, 5, 7, 6, 8, 9, 12, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};

}  // namespace

const char* ModelTable::FileOf(int slot) {
	return slot >= 0 && slot < MODEL_SLOT_COUNT ? MODEL_FILES[slot] : nullptr;
}

void ModelTable::LoadAll() {
	for (const int slot : LOAD_ORDER) {
		models[slot].Load(MODEL_FILES[slot]);
	}
}

bool ModelTable::AllOpaque() const {
	for (const Model& model : models) {
		if (!model.IsOpaque()) {
			return false;
		}
	}
	return true;
}

void ModelTable::ReleaseAll() {
	for (Model& model : models) {
		model.Release();
	}
}
