#pragma once
// Every character, enemy and projectile mesh, preloaded into fixed slots at
// the start of a battle. The table exists only during a battle.

#include "render/Model.h"

enum ModelSlot {
	MODEL_ROBOT_BODY = 0,
	MODEL_ROBOT_UNDER_BODY = 1,
	MODEL_ROBOT_BACKPACK = 2,
	MODEL_ROBOT_VERNIER = 3,
	MODEL_ROBOT_LEFT_SHOULDER = 4,
	MODEL_ROBOT_RIGHT_SHOULDER = 5,
	MODEL_ROBOT_UPPER_ARM = 6,
	MODEL_ROBOT_LEFT_LOWER_ARM = 7,   // the robot's right forearm
	MODEL_ROBOT_RIGHT_LOWER_ARM = 8,  // the robot's left forearm
	MODEL_ROBOT_PLASMA = 9,
	MODEL_UNUSED = 10,  // never loaded, never drawn
	MODEL_ROBOT_UPPER_LEG = 11,
	MODEL_ROBOT_LOWER_LEG = 12,
	MODEL_WALKER_BODY = 13,
	MODEL_WALKER_LEFT_UPPER = 14,
	MODEL_WALKER_LEFT_LOWER = 15,
	MODEL_WALKER_RIGHT_UPPER = 16,
	MODEL_WALKER_RIGHT_LOWER = 17,
	MODEL_TURRET = 18,
	MODEL_TURRET_GUN = 19,
	MODEL_BOSS_OP = 20,
	MODEL_BOSS_GUN_ARM = 21,
	MODEL_BOSS_PLASMA_ARM = 22,
	MODEL_BOSS_MISSILE = 23,
	MODEL_AMMO = 24,      // the player's gun shots
	MODEL_RED_AMMO = 25,  // the walkers' and the boss's gun shots
	MODEL_SLOT_COUNT = 26
};

class ModelTable {
public:
	ModelTable() = default;
	ModelTable(const ModelTable&) = delete;
	ModelTable& operator=(const ModelTable&) = delete;
	~ModelTable() { ReleaseAll(); }

	// Loads every slot but the unused one; a slot that fails stays empty.
	void LoadAll();
	void ReleaseAll();
	// Every loaded model opaque (see Model::IsOpaque).
	bool AllOpaque() const;

	Model& operator[](int slot) { return models[slot]; }
	const Model& operator[](int slot) const { return models[slot]; }

	// The file a slot loads from, or null for the unused slot.
	static const char* FileOf(int slot);

	Model models[MODEL_SLOT_COUNT];
};

extern ModelTable* modelTable;
