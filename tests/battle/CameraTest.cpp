// The follow camera: its pose over the robot's shoulder, the pitch tilt,
// the three-frame delay and what Update publishes.

#include "app/Application.h"
#include "scene/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected) {
	EXPECT_NEAR(actual.x, expected.x, 1e-4f);
	EXPECT_NEAR(actual.y, expected.y, 1e-4f);
	EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

D3DXMATRIX Translation(float x, float y, float z) {
	D3DXMATRIX m;
	D3DXMatrixTranslation(&m, x, y, z);
	return m;
}

class CameraTest : public ::testing::Test {
protected:
	void TearDown() override { Application::Get().viewPitch = 0.0f; }
};

TEST_F(CameraTest, AtTheOriginUnturnedTheEyeIsBehindRightAndAboveTheTarget) {
	Application::Get().viewPitch = 0.0f;
	Camera camera;
	camera.Update();
	ExpectNear(Application::Get().cameraEye, D3DXVECTOR3(8.0f, 5.0f, -20.0f));
	ExpectNear(Application::Get().cameraTarget, D3DXVECTOR3(0.0f, 0.0f, 60.0f));
	D3DXMATRIX expected;
	const D3DXVECTOR3 eye(8, 5, -20), at(0, 0, 60), up(0, 1, 0);
	D3DXMatrixLookAtLH(&expected, &eye, &at, &up);
	for (int i = 0; i < 16; ++i) {
		EXPECT_NEAR((&camera.view._11)[i], (&expected._11)[i], 1e-5f) << i;
	}
}

TEST_F(CameraTest, PitchTiltsBothPointsAboutTheRobotsXAxisBeforeItsMatrix) {
	D3DXMATRIX turned;
	D3DXMatrixRotationY(&turned, D3DX_PI / 2.0f);  // facing +x
	const D3DXMATRIX robot = turned * Translation(100.0f, 20.0f, -50.0f);
	D3DXVECTOR3 eye, target;
	Camera::ComputePose(robot, 20.0f, eye, target);
	// Local (8, 5, -20) and (0, 0, 60) tilted by 20 degrees about x ...
	const float c = std::cos(20.0f * D3DX_PI / 180.0f), s = std::sin(20.0f * D3DX_PI / 180.0f);
	const D3DXVECTOR3 tiltedEye(8.0f, 5.0f * c + 20.0f * s, 5.0f * s - 20.0f * c);
	const D3DXVECTOR3 tiltedTarget(0.0f, -60.0f * s, 60.0f * c);
	// ... then turned to face +x (local z becomes world x, local x world -z)
	// and moved with the robot.
	ExpectNear(eye, D3DXVECTOR3(100.0f + tiltedEye.z, 20.0f + tiltedEye.y, -50.0f - tiltedEye.x));
	ExpectNear(target, D3DXVECTOR3(100.0f + tiltedTarget.z, 20.0f + tiltedTarget.y, -50.0f - tiltedTarget.x));
	// A positive pitch looks down.
	EXPECT_LT(target.y, 20.0f);
}

TEST_F(CameraTest, TheViewFollowsTheRobotThreePushesLate) {
	Camera camera;
	const D3DXMATRIX moved = Translation(0.0f, 0.0f, 100.0f);
	camera.PushHistory(moved);
	for (int push = 1; push <= 3; ++push) {
		camera.Update();
		ExpectNear(Application::Get().cameraEye, D3DXVECTOR3(8.0f, 5.0f, -20.0f));
		camera.PushHistory(moved);
	}
	// The first push has reached entry 3.
	camera.Update();
	ExpectNear(Application::Get().cameraEye, D3DXVECTOR3(8.0f, 5.0f, 80.0f));
}

TEST_F(CameraTest, PushingAgesEveryEntryAndTheOldestFallsOff) {
	Camera camera;
	for (int i = 0; i < CAMERA_HISTORY_LENGTH + 1; ++i) {
		camera.PushHistory(Translation(float(i), 0.0f, 0.0f));
	}
	for (int entry = 0; entry < CAMERA_HISTORY_LENGTH; ++entry) {
		EXPECT_FLOAT_EQ(camera.history[entry]._41, float(CAMERA_HISTORY_LENGTH - entry)) << entry;
	}
	EXPECT_EQ(camera.historyLength, CAMERA_HISTORY_LENGTH);
}

}  // namespace
