#pragma once
// The robot's sixteen rigid parts placed from its world matrix, the aim and
// a blended pose of the hips and legs. Each kind of movement has one key
// pose; a change of movement blends from the pose shown at that moment into
// the new key pose over ten frames by quaternion interpolation.

#include "platform/math/D3DXMath.h"

#include <cstdint>

// Leg poses, in the order thigh left, shin left, thigh right, shin right.
constexpr int LEG_POSE_COUNT = 4;
constexpr int PLAYER_PART_COUNT = 16;

enum LegKeySet {
	LEG_KEYS_IDLE = 0,
	LEG_KEYS_FORWARD = 1,  // forward and back alike
	LEG_KEYS_STRAFE_LEFT = 2,
	LEG_KEYS_STRAFE_RIGHT = 3,
	LEG_KEY_SET_COUNT = 4
};

class MechPose {
public:
	MechPose();

	// Computes the key poses and stands the robot in the idle pose.
	void Initialise();
	// The pose shown now becomes the start of a new blend.
	void SaveBlendStart();
	// Places every part and anchor from world and the aim, with the current
	// hip and leg pose, then advances the blend towards the movement's key
	// pose; poseBlend is the robot's blend factor.
	void Update(const D3DXMATRIX& world, float aimPitch, float plasmaArmAngle, bool moving, int32_t moveDir,
	            float& poseBlend);
	void PlaceParts(const D3DXMATRIX& world, float aimPitch, float plasmaArmAngle);

	// The drawn parts in drawing order, world first, with their model slots.
	const D3DXMATRIX& PartMatrix(int part, const D3DXMATRIX& world) const;
	static int PartModel(int part);

	static LegKeySet KeySetFor(bool moving, int32_t moveDir);

	D3DXMATRIX underBody, backPack, nozzleRight, nozzleLeft;
	D3DXMATRIX shoulderLeft, upperArmLeft, forearmLeft;
	D3DXMATRIX shoulderRight, plasmaMount, upperArmRight, forearmRight;
	D3DXMATRIX thighLeft, shinLeft, thighRight, shinRight;
	D3DXMATRIX footAnchorLeft, footAnchorRight, muzzle, plasmaLaunch;

	D3DXMATRIX hipPose;
	D3DXMATRIX legPose[LEG_POSE_COUNT];
	// Hip, then the four leg poses, as they were at the last change.
	D3DXMATRIX blendFrom[1 + LEG_POSE_COUNT];
	D3DXMATRIX hipIdle, hipMove;
	D3DXMATRIX legKeys[LEG_KEY_SET_COUNT][LEG_POSE_COUNT];

private:
	void BuildKeyPoses();
	void Blend(LegKeySet keys, float t);
};

// The rotation of from slerped towards to's by t, and their translations
// interpolated linearly; scale is not carried.
D3DXMATRIX BlendPose(const D3DXMATRIX& from, const D3DXMATRIX& to, float t);
