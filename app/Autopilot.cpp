#include "app/Autopilot.h"

#include "app/Application.h"
#include "app/GameStateWriter.h"
#include "enemy/Boss_Tank.h"
#include "enemy/EnemyBase.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "player/MapCollision.h"
#include "player/PlasmaLauncher.h"
#include "platform/system/DataPath.h"
#include "scene/CGame.h"
#include "scene/SceneBase.h"
#include "scene/SceneManager.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

const char* const ROUTE_FILE = "data/map/Map_01.route";
constexpr size_t MAX_ROUTE_BYTES = 64u * 1024u;
// The robot's origin stands this far above the floor.
constexpr float STANDING_HEIGHT = 15.0f;

// Seven pixels of motion turn the robot or its aim by one degree.
constexpr float PIXELS_PER_DEGREE = 7.0f;
constexpr float LEVEL_AIM_PITCH = 25.0f;
constexpr float RADIANS_PER_DEGREE = 0.017453292f;

// A person takes in the title before clicking, and the result before
// clicking it away.
constexpr uint32_t TITLE_PAUSE = 30;
constexpr uint32_t RESULT_PAUSE = 90;
// A battle this long is not going anywhere.
constexpr uint32_t BATTLE_FRAME_LIMIT = 40000;

// The gun's shot travels 255 units; hold fire a little short of that.
constexpr float GUN_REACH = 240.0f;
// Holding the button fires every ten frames; a new press waits as long.
constexpr uint32_t GUN_INTERVAL = 10;
constexpr float WAYPOINT_REACHED = 6.0f;
// The launcher fires at full charge; a shot this long in flight has missed.
constexpr int32_t PLASMA_READY = 400;
constexpr int PLASMA_FLIGHT_LIMIT = 150;

// Walkers open fire inside 130: keep them between these.
constexpr float WALKER_TOO_CLOSE = 165.0f;
constexpr float WALKER_FAR_ENOUGH = 225.0f;
constexpr float WALKER_WAKE = 305.0f;

// The turret's beam starts 140 frames into its cycle and hurts for 143 more.
constexpr int32_t TURRET_CHARGE = 140;
constexpr int32_t TURRET_HARMFUL_END = TURRET_CHARGE + 143;
constexpr float TURRET_GUN_HEIGHT = 15.0f;
constexpr float BEAM_CLEARANCE = 45.0f;

constexpr float BOSS_REACH = 305.0f;
constexpr float ORBIT_RADIUS = 215.0f;

// Spots round cover for a shot at a hidden walker: rings this far apart.
constexpr float FLANK_STEP = 30.0f;
constexpr int FLANK_RINGS = 5;
constexpr int FLANK_DIRECTIONS = 24;
// A spot round cover must see its walker from this far to either side too.
constexpr float WIDE_SIGHT = 12.0f;
// A walker met close is fought from where a step this long keeps it in sight.
constexpr float KEEP_SIGHT_STEP = 20.0f;
// A straight walk is open when rays this far to each side meet no wall.
constexpr float HALF_WIDTH = 5.0f;

// Steps that would end nearer a wall than this are not taken.
constexpr float WALL_MARGIN = 22.0f;
constexpr uint32_t STUCK_LIMIT = 45;
constexpr uint32_t SIDESTEP_FRAMES = 40;

D3DXVECTOR3 Flat(const D3DXVECTOR3& v) { return D3DXVECTOR3(v.x, 0.0f, v.z); }

float Length(const D3DXVECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
	const float length = Length(v);
	return length > 1e-6f ? v / length : D3DXVECTOR3(0, 0, 0);
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Heading in degrees, turning from +z towards +x as the robot's yaw does.
float Heading(const D3DXVECTOR3& v) { return std::atan2(v.x, v.z) / RADIANS_PER_DEGREE; }

float Elevation(const D3DXVECTOR3& v) {
	return std::atan2(v.y, std::sqrt(v.x * v.x + v.z * v.z)) / RADIANS_PER_DEGREE;
}

float Wrapped(float degrees) {
	while (degrees > 180.0f) {
		degrees -= 360.0f;
	}
	while (degrees < -180.0f) {
		degrees += 360.0f;
	}
	return degrees;
}

D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) {
	switch (row) {
	case 1: return D3DXVECTOR3(m._11, m._12, m._13);
	case 2: return D3DXVECTOR3(m._21, m._22, m._23);
	case 3: return D3DXVECTOR3(m._31, m._32, m._33);
	default: return D3DXVECTOR3(m._41, m._42, m._43);
	}
}

bool IsWalker(const EnemyBase& enemy) { return dynamic_cast<const Two_Leg*>(&enemy) != nullptr; }
bool IsTurret(const EnemyBase& enemy) { return dynamic_cast<const Turret*>(&enemy) != nullptr; }
bool IsBoss(const EnemyBase& enemy) { return dynamic_cast<const Boss_Tank*>(&enemy) != nullptr; }

const std::vector<EnemyBase*>& Enemies() {
	static const std::vector<EnemyBase*> none;
	return sceneManager != nullptr ? sceneManager->enemies : none;
}

// Keeps the hand's motion inside one frame's reach, direction unchanged.
void LimitMotion(PilotInput& input) {
	const float length = std::sqrt(static_cast<float>(input.dx * input.dx + input.dy * input.dy));
	if (length <= static_cast<float>(Autopilot::MAX_CURSOR_STEP)) {
		return;
	}
	const float scale = static_cast<float>(Autopilot::MAX_CURSOR_STEP) / length;
	input.dx = static_cast<int>(static_cast<float>(input.dx) * scale);
	input.dy = static_cast<int>(static_cast<float>(input.dy) * scale);
}

}  // namespace

bool Autopilot::LoadRoute(std::string& why) {
	std::vector<uint8_t> bytes;
	if (!ReadDataFile(ROUTE_FILE, bytes, MAX_ROUTE_BYTES, why)) {
		return false;
	}
	std::istringstream text(std::string(bytes.begin(), bytes.end()));
	route.clear();
	for (std::string line; std::getline(text, line);) {
		if (line.empty() || line[0] == '#') {
			continue;
		}
		std::istringstream fields(line);
		Waypoint point;
		std::string kind;
		float x = 0, ground = 0, z = 0;
		if (!(fields >> point.name >> kind >> x >> ground >> z) || (kind != "walk" && kind != "ride")) {
			why = std::string(ROUTE_FILE) + ": bad line '" + line + "'";
			return false;
		}
		point.ride = kind == "ride";
		point.position = D3DXVECTOR3(x, ground + STANDING_HEIGHT, z);
		route.push_back(point);
	}
	if (route.empty()) {
		why = std::string(ROUTE_FILE) + " names no point";
		return false;
	}
	return true;
}

PilotInput Autopilot::Decide() {
	++frame;
	const int32_t scene = sceneManager != nullptr && sceneManager->scene != nullptr ? sceneManager->scene->id : 0;
	if (scene == SCENE_GAME) {
		if (const CGame* game = GameStateWriter::CurrentBattle()) {
			return DecideBattle(*game);
		}
	}
	if (scene == SCENE_RESULT) {
		return DecideResult();
	}
	if (scene == SCENE_TITLE) {
		return DecideTitle();
	}
	return PilotInput{};
}

PilotInput Autopilot::DecideTitle() {
	PilotInput input;
	if (battleSeen) {
		finished = true;  // back at the title: the run is over
		return input;
	}
	++titleFrames;
	input.fire = titleFrames == TITLE_PAUSE;
	return input;
}

PilotInput Autopilot::DecideResult() {
	PilotInput input;
	if (resultFrames == 0) {
		won = battleSeen && !Application::Get().battleFailed;
	}
	++resultFrames;
	input.fire = resultFrames == RESULT_PAUSE;
	finished = resultFrames > RESULT_PAUSE;
	return input;
}

PilotInput Autopilot::DecideBattle(const CGame& game) {
	battleSeen = true;
	++battleFrames;
	hitPointsLeft = game.player.hitPoints;
	PilotInput input;
	if (battleFrames > BATTLE_FRAME_LIMIT) {
		finished = true;
	}
	if (game.ending || game.player.IsDead()) {
		fireHeld = false;
		return input;
	}
	const D3DXVECTOR3 position = game.player.Position();
	D3DXVECTOR3 wish(0, 0, 0);
	const EnemyBase* target = ChooseTarget(game);
	if (target != nullptr) {
		float error = 0.0f;
		AimAt(game, Row(target->world, 4), input, error);
		const D3DXVECTOR3 muzzle = Row(game.player.pose.muzzle, 4);
		const float range = Length(Row(target->world, 4) - muzzle);
		const bool clear = InSight(muzzle, Row(target->world, 4), static_cast<float>(target->bodyRadius));
		HoldFire(error < 0.6f * static_cast<float>(target->bodyRadius) && range < GUN_REACH && clear, input);
		input.plasma = PlasmaWouldHit(game, *target);
		wish = FightMove(game, *target);
		if (flanking) {
			// Walking round cover: look the way to go, so the keys follow it.
			FaceTowards(game, position + wish, input);
			HoldFire(false, input);
			input.plasma = false;
		}
	} else {
		HoldFire(false, input);
		D3DXVECTOR3 goal;
		if (RouteGoal(position, goal)) {
			FaceTowards(game, goal, input);
			wish = Flat(goal - position);
			if (Length(wish) < 2.0f) {
				wish = D3DXVECTOR3(0, 0, 0);
			}
		}
	}
	const D3DXVECTOR3 dodge = TurretDodge(game);
	if (Length(dodge) > 0.0f) {
		wish = dodge;
	}
	input.moveKey = KeyTowards(game, wish);
	Unstick(position, Length(Flat(wish)) > 0.5f, input);
	LimitMotion(input);
	return input;
}

bool Autopilot::WalkersClear() const {
	return std::none_of(Enemies().begin(), Enemies().end(),
	                    [](const EnemyBase* enemy) { return enemy->alive && IsWalker(*enemy); });
}

bool Autopilot::UpperStageClear() const {
	return std::none_of(Enemies().begin(), Enemies().end(), [](const EnemyBase* enemy) {
		return enemy->alive && (IsWalker(*enemy) || IsTurret(*enemy));
	});
}

const EnemyBase* Autopilot::NearestWalkerAlive(const D3DXVECTOR3& position) const {
	const EnemyBase* nearest = nullptr;
	float best = 1e30f;
	for (const EnemyBase* enemy : Enemies()) {
		if (!enemy->alive || !IsWalker(*enemy)) {
			continue;
		}
		const float distance = Length(Row(enemy->world, 4) - position);
		if (distance < best) {
			best = distance;
			nearest = enemy;
		}
	}
	return nearest;
}

// The route point to head for. Leaving the yard waits for its walkers
// (hunted down where they stand), and the lift waits for the whole upper
// stage, since it only moves once the boss is the last enemy left.
bool Autopilot::RouteGoal(const D3DXVECTOR3& position, D3DXVECTOR3& goal) {
	while (nextWaypoint < route.size()) {
		const Waypoint& point = route[nextWaypoint];
		if (point.ride) {
			goal = route[nextWaypoint - 1].position;
			if (position.y < point.position.y + 2.0f) {
				++nextWaypoint;
				continue;
			}
			return true;
		}
		if (point.name == "plateau_ramp" && !WalkersClear()) {
			if (const EnemyBase* walker = NearestWalkerAlive(position)) {
				const D3DXVECTOR3 at = Row(walker->world, 4);
				goal = ClearWalk(position, at, 0.0f) ? at : position + WayRound(position, at, walker);
				return true;
			}
		}
		if (point.name == "lift_top" && !UpperStageClear()) {
			goal = route[nextWaypoint - 1].position;
			return true;
		}
		if (Length(Flat(point.position - position)) < WAYPOINT_REACHED) {
			++nextWaypoint;
			continue;
		}
		// A fight may have led off the route: go on to a later point when the
		// way there is open, and round the cover to this one when it is not.
		while (nextWaypoint + 1 < route.size() && CanSkipTo(position, nextWaypoint + 1)) {
			++nextWaypoint;
		}
		const D3DXVECTOR3 aim = route[nextWaypoint].position;
		goal = SameLevel(position, aim) && !ClearWalk(position, aim, 0.0f) ? position + WayRound(position, aim, nullptr)
		                                                                   : aim;
		return true;
	}
	return false;
}

bool Autopilot::SameLevel(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return std::fabs(a.y - b.y) < 2.0f; }

// Past the next point only on one level and never past the lift.
bool Autopilot::CanSkipTo(const D3DXVECTOR3& position, size_t index) const {
	const Waypoint& current = route[index - 1];
	const Waypoint& later = route[index];
	return !later.ride && current.name != "lift_top" && current.name != "plateau_ramp" &&
	       SameLevel(current.position, later.position) && SameLevel(position, later.position) &&
	       ClearWalk(position, later.position, 0.0f);
}

// A straight walk meets no wall: rays at the robot's height down its middle
// and along both its sides, margin beyond the end.
bool Autopilot::ClearWalk(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float margin) const {
	const D3DXVECTOR3 line = Flat(to - from);
	const float length = Length(line);
	if (length < 1.0f) {
		return true;
	}
	const D3DXVECTOR3 along = line / length;
	const D3DXVECTOR3 side(along.z, 0.0f, -along.x);
	for (const float offset : {-HALF_WIDTH, 0.0f, HALF_WIDTH}) {
		const RayCastResult wall = CastRayAtMap(from + side * offset, along);
		if (wall.hit && wall.distance < length + margin) {
			return false;
		}
	}
	return true;
}

// The nearest enemy worth the gun now: a walker that is awake or close, the
// turret while the robot stands on its level, the boss inside its reach.
// Enemies in sight come before those behind cover.
const EnemyBase* Autopilot::ChooseTarget(const CGame& game) const {
	const D3DXVECTOR3 position = game.player.Position();
	const EnemyBase* best = nullptr;
	float bestScore = 1e30f;
	for (const EnemyBase* enemy : Enemies()) {
		if (!enemy->alive || enemy->isMissile) {
			continue;
		}
		const D3DXVECTOR3 at = Row(enemy->world, 4);
		const float distance = Length(at - position);
		bool wanted = false;
		if (IsWalker(*enemy)) {
			wanted = distance < WALKER_WAKE || enemy->walking || enemy->attacking;
		} else if (IsTurret(*enemy)) {
			wanted = distance < 420.0f && std::fabs(at.y - position.y) < 30.0f;
		} else if (IsBoss(*enemy)) {
			wanted = distance < BOSS_REACH + 40.0f;
		}
		if (!wanted) {
			continue;
		}
		const float score = distance + (InSight(position, at, static_cast<float>(enemy->bodyRadius)) ? 0.0f : 400.0f);
		if (score < bestScore) {
			bestScore = score;
			best = enemy;
		}
	}
	return best;
}

bool Autopilot::InSight(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float slack) const {
	const D3DXVECTOR3 line = to - from;
	const float length = Length(line);
	if (length < 1e-3f) {
		return true;
	}
	const RayCastResult hit = CastRayAtMap(from, line / length);
	return !hit.hit || hit.distance >= length - slack;
}

// The plasma shot flies 2 a frame along the launcher's -z axis and sinks
// along its -y axis by 0.003 more each frame; it bursts on touching a body.
bool Autopilot::PlasmaWouldHit(const CGame& game, const EnemyBase& target) const {
	const PlasmaLauncher& plasma = game.player.plasma;
	if (plasma.active || plasma.charge < PLASMA_READY) {
		return false;
	}
	const D3DXMATRIX& launch = game.player.pose.plasmaLaunch;
	const D3DXVECTOR3 forward = -Row(launch, 3);
	const D3DXVECTOR3 down = -Row(launch, 2);
	const D3DXVECTOR3 centre = Row(target.world, 4);
	const float reach = static_cast<float>(target.bodyRadius) + 5.0f;
	D3DXVECTOR3 shot = Row(launch, 4);
	float drop = 0.0f;
	for (int step = 0; step < PLASMA_FLIGHT_LIMIT; ++step) {
		shot += forward * 2.0f + down * drop;
		drop += 0.003f;
		if (Length(shot - centre) < reach) {
			return InSight(Row(launch, 4), shot, 2.0f);
		}
	}
	return false;
}

// The shot leaves the muzzle along its -x axis; turn that axis onto the
// point. The muzzle swings with the turn, so this closes in over frames.
void Autopilot::AimAt(const CGame& game, const D3DXVECTOR3& point, PilotInput& input, float& error) const {
	const D3DXMATRIX& muzzle = game.player.pose.muzzle;
	const D3DXVECTOR3 shot = Normalised(-Row(muzzle, 1));
	const D3DXVECTOR3 line = point - Row(muzzle, 4);
	const float yawError = Wrapped(Heading(line) - Heading(shot));
	const float pitchError = Elevation(line) - Elevation(shot);
	input.dx = static_cast<int>(std::lround(yawError * PIXELS_PER_DEGREE));
	input.dy = static_cast<int>(std::lround(-pitchError * PIXELS_PER_DEGREE));
	const float cosine = std::clamp(Dot(shot, Normalised(line)), -1.0f, 1.0f);
	error = Length(line) * std::sin(std::acos(cosine));
	if (cosine < 0.0f) {
		error = 1e30f;
	}
}

// Walking somewhere with nothing to shoot: face the way, aim level.
void Autopilot::FaceTowards(const CGame& game, const D3DXVECTOR3& point, PilotInput& input) const {
	const D3DXVECTOR3 line = Flat(point - game.player.Position());
	if (Length(line) < 2.0f) {
		return;
	}
	const float yawError = Wrapped(Heading(line) - Heading(Row(game.player.world, 3)));
	input.dx = static_cast<int>(std::lround(yawError * PIXELS_PER_DEGREE));
	input.dy = static_cast<int>(std::lround((game.player.aimPitch - LEVEL_AIM_PITCH) * PIXELS_PER_DEGREE));
}

int Autopilot::KeyTowards(const CGame& game, const D3DXVECTOR3& wish) const {
	const D3DXVECTOR3 want = Normalised(Flat(wish));
	if (Length(want) < 0.5f) {
		return 0;
	}
	const D3DXVECTOR3 forward = Normalised(Flat(Row(game.player.world, 3)));
	const D3DXVECTOR3 right = Normalised(Flat(Row(game.player.world, 1)));
	const struct {
		int key;
		D3DXVECTOR3 direction;
	} moves[] = {{'W', forward}, {'D', right}, {'S', -forward}, {'A', -right}};
	const D3DXVECTOR3 position = game.player.Position();
	// A key that runs into a wall is no use; with the way blocked, slide
	// sideways along the cover rather than stand behind it.
	int bestKey = 0;
	float bestScore = -0.5f;
	for (const auto& move : moves) {
		const float score = Dot(move.direction, want);
		if (score <= bestScore) {
			continue;
		}
		const RayCastResult wall = CastRayAtMap(position, move.direction);
		if (wall.hit && wall.distance < WALL_MARGIN) {
			continue;
		}
		bestScore = score;
		bestKey = move.key;
	}
	return bestKey;
}

D3DXVECTOR3 Autopilot::FightMove(const CGame& game, const EnemyBase& target) {
	const D3DXVECTOR3 position = game.player.Position();
	flanking = false;
	if (IsBoss(target)) {
		return BossOrbit(game, target);
	}
	const D3DXVECTOR3 toTarget = Flat(Row(target.world, 4) - position);
	if (IsTurret(target)) {
		return Length(toTarget) > 190.0f ? toTarget : D3DXVECTOR3(0, 0, 0);
	}
	const D3DXVECTOR3 at = Row(target.world, 4);
	const float slack = static_cast<float>(target.bodyRadius);
	// Clear for the gun, whose muzzle stands out beside the robot.
	const bool clear = InSight(Row(game.player.pose.muzzle, 4), at, slack) && InSight(position, at, slack);
	if (!clear) {
		flanking = true;
		return WayRound(position, at, &target);
	}
	const D3DXVECTOR3 away = WalkerSpacing(position);
	if (Length(away) > 0.0f) {
		// Backing off behind cover would only start the walk round again:
		// met close round a rock, stand and fight, stepping across its line.
		const D3DXVECTOR3 back = position + Normalised(away) * KEEP_SIGHT_STEP;
		if (InSight(back, at, slack)) {
			return away;
		}
		const D3DXVECTOR3 outward = Normalised(toTarget);
		const D3DXVECTOR3 across(-outward.z, 0.0f, outward.x);
		for (const float side : {1.0f, -1.0f}) {
			const D3DXVECTOR3 step = position + across * (side * KEEP_SIGHT_STEP);
			if (InSight(step, at, slack) && ClearWalk(position, step, WALL_MARGIN)) {
				return across * side;
			}
		}
		for (const float side : {1.0f, -1.0f}) {
			if (ClearWalk(position, position + across * (side * KEEP_SIGHT_STEP), WALL_MARGIN)) {
				return across * side;
			}
		}
		return toTarget;
	}
	if (Length(toTarget) > WALKER_FAR_ENOUGH) {
		return toTarget;
	}
	return D3DXVECTOR3(0, 0, 0);
}

// The way round cover, as a person steps round a rock: to the nearest spot
// within a short, open walk that sees the walker from outside its firing
// distance, or from which a route point lies open; with none in reach,
// straight on.
D3DXVECTOR3 Autopilot::WayRound(const D3DXVECTOR3& position, const D3DXVECTOR3& at, const EnemyBase* walker) const {
	D3DXVECTOR3 best = Flat(at - position);
	if (!WayRound(position, at, walker, WALKER_TOO_CLOSE, best)) {
		WayRound(position, at, walker, 0.0f, best);  // none out of its reach: closer, then
	}
	return best;
}

bool Autopilot::WayRound(const D3DXVECTOR3& position, const D3DXVECTOR3& at, const EnemyBase* walker,
                         float nearest, D3DXVECTOR3& best) const {
	float bestScore = 1e30f;
	for (int ring = 1; ring <= FLANK_RINGS; ++ring) {
		const float radius = FLANK_STEP * static_cast<float>(ring);
		for (int k = 0; k < FLANK_DIRECTIONS; ++k) {
			const float angle = 6.2831853f * static_cast<float>(k) / static_cast<float>(FLANK_DIRECTIONS);
			const D3DXVECTOR3 spot = position + D3DXVECTOR3(std::sin(angle), 0.0f, std::cos(angle)) * radius;
			const float range = Length(Flat(at - spot));
			const float score =
			    radius + (walker != nullptr ? 0.5f * std::fabs(range - WALKER_FAR_ENOUGH) : range);
			if (score >= bestScore || (walker != nullptr && range < nearest)) {
				continue;
			}
			const bool open = walker != nullptr ? WideSight(spot, at, static_cast<float>(walker->bodyRadius))
			                                    : ClearWalk(spot, at, 0.0f);
			if (!open || !OnFloorLevel(spot) || !ClearWalk(position, spot, WALL_MARGIN)) {
				continue;
			}
			bestScore = score;
			best = spot - position;
		}
	}
	return bestScore < 1e30f;
}

// In sight from the spot and from a step to either side of it, so that the
// gun beside the robot sees it too once the robot stands there.
bool Autopilot::WideSight(const D3DXVECTOR3& spot, const D3DXVECTOR3& at, float slack) const {
	const D3DXVECTOR3 line = Normalised(Flat(at - spot));
	const D3DXVECTOR3 side(line.z, 0.0f, -line.x);
	return InSight(spot, at, slack) && InSight(spot + side * WIDE_SIGHT, at, slack) &&
	       InSight(spot - side * WIDE_SIGHT, at, slack);
}

// Floor under a spot at the robot's height, at its own level: no ledge, pit
// or rock top.
bool Autopilot::OnFloorLevel(const D3DXVECTOR3& spot) const {
	const RayCastResult floor = CastRayAtMap(spot, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
	return floor.hit && std::fabs(floor.distance - STANDING_HEIGHT) < 3.0f;
}

// Away from every walker that has come inside its firing distance and a
// margin, the nearest pushing hardest. One behind cover cannot hit the
// robot (its shots stop at the rock), so it is gone round, not fled.
D3DXVECTOR3 Autopilot::WalkerSpacing(const D3DXVECTOR3& position) const {
	D3DXVECTOR3 away(0, 0, 0);
	for (const EnemyBase* enemy : Enemies()) {
		if (!enemy->alive || !IsWalker(*enemy) ||
		    !InSight(position, Row(enemy->world, 4), static_cast<float>(enemy->bodyRadius))) {
			continue;
		}
		const D3DXVECTOR3 from = Flat(position - Row(enemy->world, 4));
		const float distance = Length(from);
		if (distance < WALKER_TOO_CLOSE) {
			away += Normalised(from) * (WALKER_TOO_CLOSE - distance + 1.0f);
		}
	}
	return away;
}

// While the turret charges or its beam can still hurt, leave the beam's line
// sideways; its aim is held for the whole cycle.
D3DXVECTOR3 Autopilot::TurretDodge(const CGame& game) const {
	for (const EnemyBase* enemy : Enemies()) {
		const Turret* turret = dynamic_cast<const Turret*>(enemy);
		if (turret == nullptr || !turret->alive || !turret->attacking || turret->beamTimer >= TURRET_HARMFUL_END) {
			continue;
		}
		const D3DXVECTOR3 gun = Row(turret->world, 4) + D3DXVECTOR3(0, TURRET_GUN_HEIGHT, 0);
		const D3DXVECTOR3 axis = Normalised(Flat(-Row(turret->world, 3)));
		const D3DXVECTOR3 offset = Flat(game.player.Position() - gun);
		const D3DXVECTOR3 across = offset - axis * Dot(offset, axis);
		if (Dot(offset, axis) < 0.0f || Length(across) >= BEAM_CLEARANCE) {
			continue;
		}
		if (Length(across) > 1.0f) {
			return Normalised(across);
		}
		return D3DXVECTOR3(axis.z, 0.0f, -axis.x);
	}
	return D3DXVECTOR3(0, 0, 0);
}

// Circle the boss at gun range: its missiles fall where the robot stood at
// launch, and its shots and plasma chase a moving mark.
D3DXVECTOR3 Autopilot::BossOrbit(const CGame& game, const EnemyBase& boss) const {
	const D3DXVECTOR3 fromBoss = Flat(game.player.Position() - Row(boss.world, 4));
	const float radius = Length(fromBoss);
	const D3DXVECTOR3 outward = Normalised(fromBoss);
	const D3DXVECTOR3 tangent = D3DXVECTOR3(-outward.z, 0.0f, outward.x) * static_cast<float>(orbitSign);
	const float correction = std::clamp((radius - ORBIT_RADIUS) / 20.0f, -1.5f, 1.5f);
	return tangent - outward * correction;
}

// A key held, or a way wanted that no key would take, without headway for
// a while gives way to a sidestep.
void Autopilot::Unstick(const D3DXVECTOR3& position, bool wishing, PilotInput& input) {
	if (sidestepFrames > 0) {
		--sidestepFrames;
		input.moveKey = sidestepKey;
		lastProgress = position;
		return;
	}
	if ((input.moveKey == 0 && !wishing) || Length(Flat(position - lastProgress)) > 4.0f) {
		lastProgress = position;
		stuckFrames = 0;
		return;
	}
	if (++stuckFrames < STUCK_LIMIT) {
		return;
	}
	stuckFrames = 0;
	sidestepFrames = SIDESTEP_FRAMES;
	sidestepKey = input.moveKey == 'A' || input.moveKey == 'D' ? 'S' : (frame / STUCK_LIMIT) % 2 ? 'A' : 'D';
	orbitSign = -orbitSign;
	input.moveKey = sidestepKey;
}

// The button is held while the aim is good; a fresh press waits for the
// gun's own interval, so pressing never outpaces holding.
void Autopilot::HoldFire(bool wanted, PilotInput& input) {
	if (!wanted) {
		fireHeld = false;
	} else if (!fireHeld && frame - lastPress >= GUN_INTERVAL) {
		fireHeld = true;
		lastPress = frame;
	}
	input.fire = fireHeld;
}
