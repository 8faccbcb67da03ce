#include "player/MechPose.h"

#include "render/ModelTable.h"

#include <algorithm>

namespace {

// Angles are whole degrees times this, as the robot turns itself.
constexpr float DEGREE = 0.017453f;
constexpr float RAD_5 = 0.087265f;
constexpr float RAD_20 = 0.34906f;
constexpr float RAD_40 = 0.69812f;
constexpr float RAD_45 = 0.785385f;
constexpr float RAD_60 = 1.04718f;
constexpr float RAD_65 = 1.13444f;
constexpr float RAD_90 = 1.57077f;
constexpr float RAD_180 = 3.14154f;

constexpr float BLEND_STEP = 0.1f;

D3DXMATRIX Translation(float x, float y, float z) {
	D3DXMATRIX m;
	return *D3DXMatrixTranslation(&m, x, y, z);
}

D3DXMATRIX RotX(float radians) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationX(&m, radians);
}

D3DXMATRIX RotY(float radians) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationY(&m, radians);
}

D3DXMATRIX RotZ(float radians) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationZ(&m, radians);
}

D3DXMATRIX Identity() {
	D3DXMATRIX m;
	return *D3DXMatrixIdentity(&m);
}

// A moving thigh: splayed by roll, swung forward by pitch, at its hip joint.
D3DXMATRIX Thigh(float roll, float pitch, float x) { return RotZ(roll) * RotX(pitch) * Translation(x, -1.7f, 1.0f); }

}  // namespace

D3DXMATRIX BlendPose(const D3DXMATRIX& from, const D3DXMATRIX& to, float t) {
	D3DXQUATERNION qFrom, qTo, q;
	D3DXQuaternionRotationMatrix(&qFrom, &from);
	D3DXQuaternionRotationMatrix(&qTo, &to);
	D3DXQuaternionSlerp(&q, &qFrom, &qTo, t);
	D3DXMATRIX result;
	D3DXMatrixRotationQuaternion(&result, &q);
	result._41 = from._41 + (to._41 - from._41) * t;
	result._42 = from._42 + (to._42 - from._42) * t;
	result._43 = from._43 + (to._43 - from._43) * t;
	return result;
}

MechPose::MechPose() {
	D3DXMATRIX* const all[] = {&underBody, &backPack, &nozzleRight, &nozzleLeft, &shoulderLeft, &upperArmLeft,
	                           &forearmLeft, &shoulderRight, &plasmaMount, &upperArmRight, &forearmRight,
	                           &thighLeft, &shinLeft, &thighRight, &shinRight, &footAnchorLeft, &footAnchorRight,
	                           &muzzle, &plasmaLaunch, &hipPose, &hipIdle, &hipMove};
	for (D3DXMATRIX* m : all) {
		D3DXMatrixIdentity(m);
	}
	for (D3DXMATRIX& m : legPose) {
		D3DXMatrixIdentity(&m);
	}
	for (D3DXMATRIX& m : blendFrom) {
		D3DXMatrixIdentity(&m);
	}
	for (auto& set : legKeys) {
		for (D3DXMATRIX& m : set) {
			D3DXMatrixIdentity(&m);
		}
	}
}

void MechPose::Initialise() {
	BuildKeyPoses();
	hipPose = hipIdle;
	std::copy(std::begin(legKeys[LEG_KEYS_IDLE]), std::end(legKeys[LEG_KEYS_IDLE]), legPose);
	SaveBlendStart();
}

void MechPose::BuildKeyPoses() {
	hipIdle = Identity();
	hipMove = Translation(0.0f, 0.5f, 0.5f) * RotX(RAD_20);

	const D3DXMATRIX idleShin = Translation(0.0f, -3.5f, 0.0f);
	const D3DXMATRIX movingShin = RotX(RAD_60) * Translation(0.0f, -3.5f, 0.0f);
	D3DXMATRIX(&idle)[LEG_POSE_COUNT] = legKeys[LEG_KEYS_IDLE];
	idle[0] = RotZ(-RAD_5) * Translation(-1.2f, -1.5f, 0.0f);
	idle[1] = idleShin;
	idle[2] = RotZ(RAD_5) * Translation(1.2f, -1.5f, 0.0f);
	idle[3] = idleShin;

	const D3DXMATRIX thighs[][2] = {
		{Thigh(-RAD_20, -RAD_60, -1.2f), Thigh(RAD_20, -RAD_45, 1.2f)},   // forward
		{Thigh(-RAD_5, -RAD_60, -1.2f), Thigh(RAD_40, -RAD_45, 1.2f)},    // strafe left
		{Thigh(-RAD_40, -RAD_45, -1.2f), Thigh(RAD_5, -RAD_60, 1.2f)},    // strafe right
	};
	for (int set = LEG_KEYS_FORWARD; set < LEG_KEY_SET_COUNT; ++set) {
		legKeys[set][0] = thighs[set - 1][0];
		legKeys[set][1] = movingShin;
		legKeys[set][2] = thighs[set - 1][1];
		legKeys[set][3] = movingShin;
	}
}

void MechPose::SaveBlendStart() {
	blendFrom[0] = hipPose;
	std::copy(std::begin(legPose), std::end(legPose), blendFrom + 1);
}

LegKeySet MechPose::KeySetFor(bool moving, int32_t moveDir) {
	if (!moving) {
		return LEG_KEYS_IDLE;
	}
	switch (moveDir) {
	case 1: return LEG_KEYS_STRAFE_RIGHT;
	case 3: return LEG_KEYS_STRAFE_LEFT;
	default: return LEG_KEYS_FORWARD;
	}
}

void MechPose::Update(const D3DXMATRIX& world, float aimPitch, float plasmaArmAngle, bool moving, int32_t moveDir,
                      float& poseBlend) {
	PlaceParts(world, aimPitch, plasmaArmAngle);
	Blend(KeySetFor(moving, moveDir), std::min(poseBlend, 1.0f));
	poseBlend = std::min(poseBlend, 1.0f);
	poseBlend += BLEND_STEP;
}

void MechPose::Blend(LegKeySet keys, float t) {
	hipPose = BlendPose(blendFrom[0], keys == LEG_KEYS_IDLE ? hipIdle : hipMove, t);
	for (int i = 0; i < LEG_POSE_COUNT; ++i) {
		legPose[i] = BlendPose(blendFrom[1 + i], legKeys[keys][i], t);
	}
}

// The limbs show last frame's blend: the blend advances after placing them.
void MechPose::PlaceParts(const D3DXMATRIX& world, float aimPitch, float plasmaArmAngle) {
	underBody = Translation(0.0f, -3.5f, 0.0f) * hipPose * world;
	backPack = Translation(0.0f, 0.0f, -2.0f) * world;
	nozzleRight = Translation(0.5f, -1.2f, -0.7f) * backPack;
	nozzleLeft = Translation(-0.5f, -1.2f, -0.7f) * backPack;

	shoulderLeft = RotX(-aimPitch * DEGREE) * Translation(-2.0f, 0.5f, -0.5f) * world;
	upperArmLeft = RotZ(RAD_90) * Translation(-0.5f, 0.0f, 0.0f) * shoulderLeft;
	forearmLeft = RotY(RAD_65) * Translation(-2.65f, 0.0f, 0.0f) * upperArmLeft;

	// The right shoulder is the left one turned about: mirrored aim.
	shoulderRight = RotX(aimPitch * DEGREE) * RotY(RAD_180) * Translation(2.0f, 0.5f, -0.5f) * world;
	plasmaMount = RotX(plasmaArmAngle * DEGREE) * shoulderRight;
	upperArmRight = RotZ(RAD_90) * RotY(-DEGREE) * Translation(-0.5f, 0.0f, 0.0f) * shoulderRight;
	forearmRight = RotY(-RAD_65) * Translation(-2.65f, 0.0f, 0.0f) * upperArmRight;

	thighLeft = legPose[0] * underBody;
	shinLeft = legPose[1] * thighLeft;
	thighRight = legPose[2] * underBody;
	shinRight = legPose[3] * thighRight;

	footAnchorRight = Translation(0.0f, -5.0f, 0.0f) * shinRight;
	footAnchorLeft = Translation(0.0f, -5.0f, 0.0f) * shinLeft;
	muzzle = Translation(-8.0f, -0.2f, -1.0f) * forearmRight;
	plasmaLaunch = Translation(0.0f, 2.5f, 0.0f) * plasmaMount;
}

const D3DXMATRIX& MechPose::PartMatrix(int part, const D3DXMATRIX& world) const {
	const D3DXMATRIX* const parts[PLAYER_PART_COUNT] = {
		&world,        &underBody,     &backPack,     &nozzleRight,  &nozzleLeft,   &shoulderLeft,
		&upperArmLeft, &forearmLeft,   &shoulderRight, &upperArmRight, &forearmRight, &plasmaMount,
		&thighLeft,    &shinLeft,      &thighRight,   &shinRight,
	};
	return *parts[part];
}

// The left and right forearms swap models, and the L_ models serve both sides.
int MechPose::PartModel(int part) {
	static const int models[PLAYER_PART_COUNT] = {
		MODEL_ROBOT_BODY,           MODEL_ROBOT_UNDER_BODY,    MODEL_ROBOT_BACKPACK,     MODEL_ROBOT_VERNIER,
		MODEL_ROBOT_VERNIER,        MODEL_ROBOT_LEFT_SHOULDER, MODEL_ROBOT_UPPER_ARM,    MODEL_ROBOT_RIGHT_LOWER_ARM,
		MODEL_ROBOT_RIGHT_SHOULDER, MODEL_ROBOT_UPPER_ARM,     MODEL_ROBOT_LEFT_LOWER_ARM, MODEL_ROBOT_PLASMA,
		MODEL_ROBOT_UPPER_LEG,      MODEL_ROBOT_LOWER_LEG,     MODEL_ROBOT_UPPER_LEG,    MODEL_ROBOT_LOWER_LEG,
	};
	return models[part];
}
