#include "player/PlayerMech.h"

#include "app/Application.h"
#include "enemy/EnemyBase.h"
#include "player/Ammo.h"
#include "player/MapCollision.h"
#include "render/CharacterPixelScope.h"
#include "render/ModelTable.h"
#include "render/StageObject.h"
#include "scene/SceneManager.h"

#include <cmath>

namespace {

const char* const EFFECT_FOLDER = "data/Effect_data/";
const char* const FLASH_FILE = "data/Effect_data/Flash.efk";
const char* const BOOST_FILE = "data/Effect_data/Boost_2.efk";
const char* const FOOT_FILE = "data/Effect_data/Foot_Vernier.efk";
const char* const SMOKE_FILE = "data/Effect_data/Smoke.efk";
const char* const SPARK_RED_FILE = "data/Effect_data/Hit_SparkRed.efk";
const char* const SPARK_BLUE_FILE = "data/Effect_data/Hit_SparkBlue.efk";
const char* const BOOSTER_SOUND_FILE = "data/Sound/Game/Booster.wav";
const char* const SHOOT_SOUND_FILE = "data/Sound/Game/Shoot.wav";
const char* const WALL_HIT_SOUND_FILE = "data/Sound/Game/Hit_Wall.wav";
const char* const HIT_SOUND_FILE = "data/Sound/Game/Hit_any.wav";

// The robot turns itself by whole degrees times this.
constexpr float DEGREE = 0.017453f;
constexpr float GRAVITY = 0.05f;
// The ground ray starts this far below the robot's origin and sees ground
// within GROUND_REACH of its start: the origin settles 15 above the floor.
constexpr float GROUND_RAY_DROP = 10.0f;
constexpr float GROUND_REACH = 5.0f;
// The wall ray starts this far below the origin; walls are kept this far.
constexpr float WALL_RAY_DROP = 3.0f;
constexpr float WALL_DISTANCE = 10.0f;
// Enemies are kept this much beyond their body radius, closing 1 % a frame.
constexpr int32_t CONTACT_MARGIN = 5;
constexpr float CONTACT_RATE = 100.0f;
// The smoke puffs from under the robot.
constexpr float SMOKE_DROP = 15.0f;
// Cursor pixels per degree of turn at the default sensitivity.
constexpr float LOOK_PIXELS_PER_DEGREE = 7.0f;
// The cursor rests this far above the client area's centre.
constexpr int CURSOR_CENTRE_RAISE = 48;

constexpr float AIM_PITCH_MAX = 65.0f;
constexpr float AIM_PITCH_MIN = 5.0f;
constexpr float VIEW_PITCH_MIN = -40.0f;
constexpr float VIEW_PITCH_MAX = 20.0f;
constexpr float FULL_TURN = 360.0f;

const D3DXVECTOR3 DOWN(0.0f, -1.0f, 0.0f);
const D3DXVECTOR3 LOCAL_MOVES[4] = {
	D3DXVECTOR3(0.0f, 0.0f, 1.0f),
	D3DXVECTOR3(1.0f, 0.0f, 0.0f),
	D3DXVECTOR3(0.0f, 0.0f, -1.0f),
	D3DXVECTOR3(-1.0f, 0.0f, 0.0f),
};

// The held move key by priority W, S, D, A; MOVE_NONE when none.
int32_t HeldMove() {
	if (IsKeyDown('W')) {
		return MOVE_FORWARD;
	}
	if (IsKeyDown('S')) {
		return MOVE_BACK;
	}
	if (IsKeyDown('D')) {
		return MOVE_RIGHT;
	}
	if (IsKeyDown('A')) {
		return MOVE_LEFT;
	}
	return MOVE_NONE;
}

}  // namespace

PlayerMech::PlayerMech() {
	D3DXMatrixIdentity(&world);
	for (D3DXVECTOR3& direction : moveDirs) {
		direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	}
}

PlayerMech::~PlayerMech() { Release(); }

void PlayerMech::Initialise() {
	hitPoints = PLAYER_START_HIT_POINTS;
	lookDeltaX = 0.0f;
	lookDeltaY = 0.0f;
	yaw = 0.0f;
	aimPitch = 25.0f;
	plasmaArmAngle = -25.0f;
	fireCooldown = 0;
	const GameSettings& settings = Application::Get().settings;
	lookSensitivity = LOOK_PIXELS_PER_DEGREE / settings.lookSensitivity;
	invertLook = settings.invertLook;
	moving = false;
	moveDir = MOVE_FORWARD;
	verticalSpeed = 0.0f;
	pose.Initialise();
	poseBlend = 1.0f;
	// The battle is drawn once before its first update: show the robot whole.
	pose.PlaceParts(world, aimPitch, plasmaArmAngle);
	plasma.Initialise(PLASMA_OWNER_PLAYER);
	CentreCursor();
	hud.Initialise();

	flash.Load(FLASH_FILE, EFFECT_FOLDER);
	boostLeft.Load(BOOST_FILE, EFFECT_FOLDER);
	boostRight.Load(BOOST_FILE, EFFECT_FOLDER);
	footRight.Load(FOOT_FILE, EFFECT_FOLDER);
	footLeft.Load(FOOT_FILE, EFFECT_FOLDER);
	smoke.Load(SMOKE_FILE, EFFECT_FOLDER);
	sparkRed.Load(SPARK_RED_FILE, EFFECT_FOLDER);
	sparkBlue.Load(SPARK_BLUE_FILE, EFFECT_FOLDER);
	boosterSound.Load(BOOSTER_SOUND_FILE);
	shootSound.Load(SHOOT_SOUND_FILE);
	wallHitSound.Load(WALL_HIT_SOUND_FILE);
	hitSound.Load(HIT_SOUND_FILE);
}

void PlayerMech::CentreCursor() {
	const Application& application = Application::Get();
	cursorCentre = POINT{application.clientWidth / 2, application.clientHeight / 2 - CURSOR_CENTRE_RAISE};
	ClientToScreen(application.window, &cursorCentre);
	ResetCursor();
}

void PlayerMech::ResetCursor() const { SetCursorPos(cursorCentre.x, cursorCentre.y); }

// A destroyed robot stays frozen where it fell while the battle goes on.
void PlayerMech::Update() {
	if (IsDead()) {
		hitPoints = 0.0f;
		return;
	}
	Walk();
	PushOffEnemies();
	StandOnGround();
	StandOnStageObjects();
	Look();
	pose.Update(world, aimPitch, plasmaArmAngle, moving, moveDir, poseBlend);
	UpdateEffects();
	UpdateGun();
	UpdatePlasma();
}

// Only one key acts. Holding a key from the battle's first frame walks
// forward without counting as a change, so the thrusters wait for the next.
void PlayerMech::Walk() {
	const int32_t held = HeldMove();
	if (held == MOVE_NONE) {
		if (moving) {
			moving = false;
			StartPoseBlend();
		}
		moveDir = MOVE_NONE;
		return;
	}
	if (held != moveDir) {
		moving = true;
		StartPoseBlend();
		moveDir = held;
	}
	MoveStep();
}

void PlayerMech::StartPoseBlend() {
	poseBlend = 0.0f;
	pose.SaveBlendStart();
}

void PlayerMech::MoveStep() {
	const D3DXVECTOR3 right(world._11, world._12, world._13);
	const D3DXVECTOR3 forward(world._31, world._32, world._33);
	const D3DXVECTOR3 worldMoves[4] = {forward, right, -forward, -right};
	moveDirs[moveDir] = worldMoves[moveDir];
	PushBackFromWall(moveDirs[moveDir]);
	const D3DXVECTOR3& step = LOCAL_MOVES[moveDir];
	D3DXMATRIX translation;
	D3DXMatrixTranslation(&translation, step.x, step.y, step.z);
	world = translation * world;
}

// Restores WALL_DISTANCE from the wall's plane at the ray's origin, so the
// robot slides along walls it walks into at an angle.
void PlayerMech::PushBackFromWall(const D3DXVECTOR3& direction) {
	const D3DXVECTOR3 origin = Position() - D3DXVECTOR3(0.0f, WALL_RAY_DROP, 0.0f);
	D3DXVECTOR3 push;
	if (WallPushOut(origin, direction, WALL_DISTANCE, push)) {
		world._41 += push.x;
		world._42 += push.y;
		world._43 += push.z;
	}
}

// At most one contact a frame: the first overlapping enemy in list order.
void PlayerMech::PushOffEnemies() {
	if (sceneManager == nullptr) {
		return;
	}
	for (EnemyBase* enemy : sceneManager->enemies) {
		const float dx = world._41 - enemy->world._41;
		const float dz = world._43 - enemy->world._43;
		const float distance = std::sqrt(dx * dx + 0.0f + dz * dz);
		const float reach = static_cast<float>(enemy->bodyRadius + CONTACT_MARGIN);
		if (reach > distance) {
			const float e = (reach - distance) / CONTACT_RATE;
			world._41 += e * dx;
			world._43 += e * dz;
			enemy->world._41 -= e * dx;
			enemy->world._43 -= e * dz;
			return;
		}
	}
}

// The ray is cast from before this frame's fall, so a fall faster than the
// reach in one frame passes through the floor.
void PlayerMech::StandOnGround() {
	const D3DXVECTOR3 origin = Position() - D3DXVECTOR3(0.0f, GROUND_RAY_DROP, 0.0f);
	const RayCastResult ground = CastRayAtMap(origin, DOWN);
	verticalSpeed -= GRAVITY;
	world._42 += verticalSpeed;
	if (ground.hit && ground.distance <= GROUND_REACH) {
		verticalSpeed = 0.0f;
		world._42 += GROUND_REACH - ground.distance;
	}
}

// A platform under the robot starts moving and carries it along.
void PlayerMech::StandOnStageObjects() {
	if (sceneManager == nullptr) {
		return;
	}
	for (StageObject* object : sceneManager->stageObjects) {
		const D3DXVECTOR3 origin = Position() - D3DXVECTOR3(0.0f, GROUND_RAY_DROP, 0.0f);
		const RayCastResult floor = CastRay(object->model.mesh, object->world, origin, DOWN);
		if (!floor.hit || floor.distance > GROUND_REACH) {
			continue;
		}
		object->active = true;
		verticalSpeed = 0.0f;
		world._42 += GROUND_REACH - floor.distance;
		const D3DXVECTOR3 carried = object->GetVelocity();
		world._41 += carried.x;
		world._42 += carried.y;
		world._43 += carried.z;
	}
}

// The cursor is read against its resting point and put back every frame,
// so each frame's motion is the look delta.
void PlayerMech::Look() {
	GetCursorPos(&cursorPos);
	lookDeltaX = static_cast<float>(cursorPos.x - cursorCentre.x) / lookSensitivity;
	lookDeltaY = static_cast<float>(cursorPos.y - cursorCentre.y) / lookSensitivity;
	if (invertLook) {
		lookDeltaY = -lookDeltaY;
	}
	ResetCursor();
	if (lookDeltaX < 0.0f || lookDeltaX > 0.0f) {
		Turn(lookDeltaX);
		ResetCursor();
	}
	if (lookDeltaY < 0.0f || lookDeltaY > 0.0f) {
		Aim(lookDeltaY);
		ResetCursor();
	}
}

// The heading wraps to exactly 0 or 360: the remainder is dropped.
void PlayerMech::Turn(float degrees) {
	D3DXMATRIX rotation;
	D3DXMatrixRotationY(&rotation, degrees * DEGREE);
	world = rotation * world;
	yaw += degrees;
	if (yaw < 0.0f) {
		yaw = FULL_TURN;
	} else if (yaw > FULL_TURN) {
		yaw = 0.0f;
	}
	Application::Get().viewYaw += degrees;
}

// The gun arm and the view tilt oppositely; moving the mouse up raises the
// aim and tilts the view up.
void PlayerMech::Aim(float delta) {
	Application& application = Application::Get();
	aimPitch -= delta;
	application.viewPitch += delta;
	if (delta < 0.0f) {
		aimPitch = std::fmin(aimPitch, AIM_PITCH_MAX);
		application.viewPitch = std::fmax(application.viewPitch, VIEW_PITCH_MIN);
	} else {
		aimPitch = std::fmax(aimPitch, AIM_PITCH_MIN);
		application.viewPitch = std::fmin(application.viewPitch, VIEW_PITCH_MAX);
	}
}

// Thrusters, foot verniers, smoke and the booster sound start anew on every
// frame of movement; each instance plays out by itself.
void PlayerMech::UpdateEffects() {
	flash.SetPosition(TranslationOf(pose.muzzle));
	flash.Update();
	if (moving) {
		boostRight.SetPosition(TranslationOf(pose.nozzleRight));
		boostLeft.SetPosition(TranslationOf(pose.nozzleLeft));
		footLeft.SetPosition(TranslationOf(pose.footAnchorLeft));
		footRight.SetPosition(TranslationOf(pose.footAnchorRight));
		smoke.SetPosition(Position() - D3DXVECTOR3(0.0f, SMOKE_DROP, 0.0f));
		boostRight.PlayRotatedY(yaw);
		boostLeft.PlayRotatedY(yaw);
		footLeft.Play();
		footRight.Play();
		smoke.Play();
		boosterSound.Play();
	}
	GameEffect* const running[] = {&boostRight, &boostLeft, &footLeft, &footRight, &smoke, &sparkRed, &sparkBlue};
	for (GameEffect* effect : running) {
		effect->Update();
	}
}

void PlayerMech::UpdateGun() {
	if (IsKeyDown(VK_LBUTTON) && shots.size() <= MAX_PLAYER_SHOTS) {
		if (fireCooldown == 0) {
			FireGun();
		}
		fireCooldown = (fireCooldown + 1) % GUN_FIRE_INTERVAL;
	} else {
		fireCooldown = 0;
	}
	DeleteSpentAmmo(shots);
	for (Ammo* shot : shots) {
		if (shot->TestMap()) {
			sparkBlue.SetPosition(shot->Position());
			sparkBlue.Restart();
			wallHitSound.Play();
		}
		shot->UpdatePlayerShot();
	}
}

void PlayerMech::FireGun() {
	Ammo* shot = new Ammo(AMMO_PLAYER);
	shot->SetLaunchMatrix(pose.muzzle);
	flash.PlayOriented(yaw, Application::Get().viewPitch);
	shootSound.Play();
	shots.push_back(shot);
}

// Holding the button fires again as soon as the launcher is ready.
void PlayerMech::UpdatePlasma() {
	if (IsKeyDown(VK_RBUTTON)) {
		plasma.Fire(pose.plasmaLaunch);
	}
	plasma.Update();
	if (plasma.active) {
		plasma.TestMap();
		plasma.CheckEnemies();
	}
}

void PlayerMech::Draw() {
	if (modelTable != nullptr) {
		ModelShader& shader = Application::Get().modelShader;
		for (int part = 0; part < PLAYER_PART_COUNT; ++part) {
			shader.SetWorld(pose.PartMatrix(part, world));
			shader.DrawModel((*modelTable)[MechPose::PartModel(part)]);
		}
	}
	const CharacterPixelScope shotsAndEffects;
	for (const Ammo* shot : shots) {
		shot->Draw();
	}
	plasma.Draw();
	flash.DrawCurrent();
	GameEffect* const trailing[] = {&boostRight, &boostLeft, &footLeft, &footRight};
	for (GameEffect* effect : trailing) {
		effect->Move();
	}
	GameEffect* const drawn[] = {&boostRight, &boostLeft, &footLeft, &footRight, &smoke, &sparkRed};
	for (GameEffect* effect : drawn) {
		effect->Draw();
	}
	sparkBlue.DrawCurrent();
}

void PlayerMech::DrawDepth() const {
	if (modelTable == nullptr) {
		return;
	}
	ModelShader& shader = Application::Get().modelShader;
	for (int part = 0; part < PLAYER_PART_COUNT; ++part) {
		shader.SetWorld(pose.PartMatrix(part, world));
		shader.DrawDepth((*modelTable)[MechPose::PartModel(part)]);
	}
}

void PlayerMech::DrawShadow() const {
	if (modelTable == nullptr) {
		return;
	}
	ShadowMap& shadowMap = Application::Get().shadowMap;
	for (int part = 0; part < PLAYER_PART_COUNT; ++part) {
		shadowMap.SetWorld(pose.PartMatrix(part, world));
		shadowMap.DrawModel((*modelTable)[MechPose::PartModel(part)]);
	}
}

void PlayerMech::DrawHud() const { hud.Draw(hitPoints, plasma.charge); }

void PlayerMech::Release() {
	for (Ammo* shot : shots) {
		delete shot;
	}
	shots.clear();
	plasma.Release();
	hud.Release();
	GameEffect* const effects[] = {&flash, &boostLeft, &boostRight, &footRight, &footLeft, &smoke, &sparkRed, &sparkBlue};
	for (GameEffect* effect : effects) {
		effect->Release();
	}
	SoundEffect* const sounds[] = {&boosterSound, &shootSound, &wallHitSound, &hitSound};
	for (SoundEffect* sound : sounds) {
		sound->Release();
	}
}
