#pragma once
// Every hostile object of the battle: the walkers, the turret, the boss tank
// and its missiles. The battle scene keeps them in the scene manager's enemy
// list and calls them through this interface; the player's weapons damage
// them through the hit spheres and hitPoints; an enemy whose exists flag
// clears is deleted by the battle after that frame's enemy updates.
//
// The enemy faces along its local -z axis (the negated third row of world).

#include "platform/math/D3DXMath.h"

#include <cstdint>
#include <vector>

class Ammo;
class PlayerMech;

// Enemy meshes rest this far above the ground unless a kind says otherwise.
constexpr float ENEMY_GROUND_HEIGHT = 18.0f;
// An enemy keeps this far from walls, measured along its facing.
constexpr float ENEMY_WALL_DISTANCE = 10.0f;

class EnemyBase {
public:
	EnemyBase();
	// Kinds release their projectiles, effects and sounds in their own
	// destructors; the base frees only the list's storage.
	virtual ~EnemyBase();

	EnemyBase(const EnemyBase&) = delete;
	EnemyBase& operator=(const EnemyBase&) = delete;

	virtual void ResetTransform();
	virtual void Init();
	virtual void Update(PlayerMech& player);
	virtual void Draw(PlayerMech& player);
	virtual void ReleaseResources();
	virtual void ApplyGravity();
	// Called after the attacker has taken its hit points.
	virtual void OnHit(const D3DXVECTOR3& point);
	virtual void DrawShadow();
	// The parts' depth alone, before the scene is shaded; exactly the parts
	// Draw will shade this frame (none here).
	virtual void DrawDepth() const {}
	virtual void UpdatePose();
	virtual void MoveWithWalls();
	virtual void Think(PlayerMech& player);

	// Pushes this enemy and the first earlier enemy of the list that overlaps
	// it apart, each by 1 % of the overlap times their distance.
	void SeparateFromOthers();

	// An enemy part: toon-shaded, then outlined in red; and into the shadow map.
	static void DrawPart(const D3DXMATRIX& partWorld, int modelSlot);
	static void DrawPartShadow(const D3DXMATRIX& partWorld, int modelSlot);
	static void DrawPartDepth(const D3DXMATRIX& partWorld, int modelSlot);
	// One of the three above, for kinds that draw the same parts in each pass.
	using PartDraw = void (*)(const D3DXMATRIX& partWorld, int modelSlot);

	D3DXVECTOR3 Position() const { return D3DXVECTOR3(world._41, world._42, world._43); }
	void SetPosition(const D3DXVECTOR3& position);

	bool hitFlag = false;
	D3DXMATRIX world;
	D3DXMATRIX partMatrixB;
	D3DXMATRIX partMatrixA;
	D3DXVECTOR3 velocity;
	D3DXVECTOR3 target;
	int32_t hitPoints = 25;
	int32_t phase = 0;
	int32_t deathTimer = 0;
	float verticalSpeed = 0.0f;
	bool exists = true;
	bool alive = true;
	bool attacking = false;
	bool walking = false;
	bool exploded = false;
	bool isMissile = false;
	int32_t legMode = 0;
	float aimAngle = 0.0f;
	float yaw = 0.0f;
	int32_t bodyRadius = 5;
	int32_t partRadiusA = 5;
	int32_t partRadiusB = 5;
	std::vector<Ammo*> projectiles;

protected:
	// Gravity, then ground contact found by a ray cast from the position
	// before the fall: a resting enemy settles groundHeight above the floor.
	void ApplyGravityAbove(float groundHeight);
	// Runs, then removes, the spent projectiles; the order of the rest is kept.
	void DeleteSpentProjectiles();
	void DrawProjectiles() const;
};
