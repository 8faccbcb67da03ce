#pragma once
// One gun projectile, owned by the list of whoever fired it: the robot's
// shots (kind 0) fly 5 units a frame along their own -x axis for 50 frames;
// the walkers' (kind 1) and the boss's (kind 2) fly 2 units a frame along
// -z or +z with a random spread, for 1000 frames. Each dies where the map is
// nearer than 5 units ahead.

#include "platform/math/D3DXMath.h"

#include <cstdint>
#include <vector>

class PlayerMech;

enum AmmoKind : int32_t {
	AMMO_PLAYER = 0,
	AMMO_WALKER = 1,
	AMMO_BOSS = 2,
};

class Ammo {
public:
	explicit Ammo(int32_t kind);

	// Back to a fresh shot at the world origin, with a new velocity.
	void Restart();
	void SetLaunchMatrix(const D3DXMATRIX& launch) { world = launch; }
	// True (and the shot spent) when the map is not at least 5 units ahead.
	bool TestMap();
	// Moves a player shot and scores every hit sphere it is inside.
	void UpdatePlayerShot();
	void UpdateEnemyShot();
	// An enemy shot within reach of the robot takes 10 of its hit points.
	void HitPlayer(PlayerMech& player);
	void Draw() const;

	D3DXVECTOR3 Position() const { return D3DXVECTOR3(world._41, world._42, world._43); }

	float age = 0.0f;
	D3DXMATRIX world;
	D3DXVECTOR3 velocity;
	int32_t kind;
	bool active = true;
	float radius = 0.5f;

private:
	void HitEnemies();
};

// Deletes the spent shots of an owner's list, keeping the order of the rest.
void DeleteSpentAmmo(std::vector<Ammo*>& shots);
