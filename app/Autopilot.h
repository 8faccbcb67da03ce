#pragma once
// A player made of code for the headless runner: after every presented
// frame it looks at the game (the scene, the robot, the enemies, the map)
// and decides what a person would press and how far they would move the
// mouse for the next frame. It never writes game state; its only output is
// the PilotInput the runner feeds the scripted backend.
//
// The plan: click the title, walk the stage's route, fight whatever is in
// reach on the way with the gun, and with the plasma when its arc would
// land on the target (stepping round cover to a spot that sees a hidden
// walker, backing away from walkers so they cannot fire, stepping
// out of the turret's line while it charges, circling the boss so that its
// missiles fall behind), ride the lift once the upper stage is clear, and
// click the result picture away.

#include "platform/math/D3DXMath.h"

#include <cstdint>
#include <string>
#include <vector>

class CGame;
class EnemyBase;

// One frame of a person's input: at most one move key, the two buttons and
// the mouse's motion in pixels.
struct PilotInput {
	int moveKey = 0;  // 'W', 'A', 'S', 'D' or 0
	bool fire = false;
	bool plasma = false;
	int dx = 0;
	int dy = 0;
};

class Autopilot {
public:
	// The cursor moves at most this many pixels a frame, as a hand would.
	static constexpr int MAX_CURSOR_STEP = 200;

	// Reads the stage's route beside the executable; false with the reason.
	bool LoadRoute(std::string& why);
	// The input for the frame after the one just presented.
	PilotInput Decide();

	// The result picture was reached (and clicked), or the battle ran too long.
	bool Finished() const { return finished; }
	bool Won() const { return won; }
	uint32_t BattleFrames() const { return battleFrames; }
	float HitPointsLeft() const { return hitPointsLeft; }

private:
	struct Waypoint {
		std::string name;
		bool ride = false;
		D3DXVECTOR3 position;  // where the robot's origin stands
	};

	PilotInput DecideTitle();
	PilotInput DecideResult();
	PilotInput DecideBattle(const CGame& game);

	// Where to go while nothing needs fighting; advances along the route.
	bool RouteGoal(const D3DXVECTOR3& position, D3DXVECTOR3& goal);
	bool UpperStageClear() const;
	bool WalkersClear() const;
	const EnemyBase* ChooseTarget(const CGame& game) const;
	const EnemyBase* NearestWalkerAlive(const D3DXVECTOR3& position) const;
	bool InSight(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float slack) const;
	bool WideSight(const D3DXVECTOR3& spot, const D3DXVECTOR3& at, float slack) const;
	// Whether a plasma shot launched now would burst on the target's body.
	bool PlasmaWouldHit(const CGame& game, const EnemyBase& target) const;

	// Mouse motion that turns the gun towards point; error is the miss
	// distance the current aim would leave there.
	void AimAt(const CGame& game, const D3DXVECTOR3& point, PilotInput& input, float& error) const;
	void FaceTowards(const CGame& game, const D3DXVECTOR3& point, PilotInput& input) const;
	// The move key whose direction best follows wish, avoiding walls.
	int KeyTowards(const CGame& game, const D3DXVECTOR3& wish) const;
	// Sets flanking when the way leads round cover rather than at the target.
	D3DXVECTOR3 FightMove(const CGame& game, const EnemyBase& target);
	D3DXVECTOR3 WayRound(const D3DXVECTOR3& position, const D3DXVECTOR3& at, const EnemyBase* walker) const;
	// The best spot no nearer the walker than nearest; false when none.
	bool WayRound(const D3DXVECTOR3& position, const D3DXVECTOR3& at, const EnemyBase* walker, float nearest,
	              D3DXVECTOR3& best) const;
	bool ClearWalk(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float margin) const;
	bool CanSkipTo(const D3DXVECTOR3& position, size_t index) const;
	static bool SameLevel(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
	bool OnFloorLevel(const D3DXVECTOR3& spot) const;
	D3DXVECTOR3 TurretDodge(const CGame& game) const;
	D3DXVECTOR3 BossOrbit(const CGame& game, const EnemyBase& boss) const;
	D3DXVECTOR3 WalkerSpacing(const D3DXVECTOR3& position) const;
	void Unstick(const D3DXVECTOR3& position, bool wishing, PilotInput& input);
	void HoldFire(bool wanted, PilotInput& input);

	std::vector<Waypoint> route;
	size_t nextWaypoint = 0;
	uint32_t frame = 0;
	uint32_t battleFrames = 0;
	uint32_t resultFrames = 0;
	uint32_t titleFrames = 0;
	float hitPointsLeft = 0.0f;
	bool won = false;
	bool finished = false;
	bool battleSeen = false;

	bool fireHeld = false;
	uint32_t lastPress = 0;
	int orbitSign = 1;
	bool flanking = false;

	// Stuck detection: where the robot was when it last made headway.
	D3DXVECTOR3 lastProgress = D3DXVECTOR3(0, 0, 0);
	uint32_t stuckFrames = 0;
	uint32_t sidestepFrames = 0;
	int sidestepKey = 0;
};
