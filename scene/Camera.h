#pragma once
// The follow camera: it looks over the robot's right shoulder from behind
// and above, tilted by the mouse-driven view pitch, and trails the robot by
// three frames because it follows a short history of the robot's world
// matrices rather than the current one.

#include "platform/math/D3DXMath.h"

#include <cstdint>

constexpr int32_t CAMERA_HISTORY_LENGTH = 15;
// The entry of the history the view is built from: three frames old.
constexpr int32_t CAMERA_FOLLOW_DELAY = 3;

class Camera {
public:
	// Every history entry starts as the identity.
	explicit Camera(int32_t historyLength = CAMERA_HISTORY_LENGTH);

	// Builds the view from the delayed robot matrix and the hub's viewPitch,
	// sets it as the view transform and publishes cameraEye and cameraTarget.
	void Update();
	// The newest robot matrix goes to entry 0; the others age by one.
	void PushHistory(const D3DXMATRIX& robotWorld);

	// Where the eye and the target lie for a robot matrix and a view pitch in
	// degrees: the local points tilted about the robot's x axis, then carried
	// by the robot's matrix.
	static void ComputePose(const D3DXMATRIX& robotWorld, float pitchDegrees, D3DXVECTOR3& eye,
	                        D3DXVECTOR3& target);

	int32_t historyLength;
	D3DXMATRIX view;
	D3DXMATRIX history[CAMERA_HISTORY_LENGTH];
};
