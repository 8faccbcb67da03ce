// The camera's view volume for culling: what it must keep (anything that
// could reach a pixel) and what it may drop, and spheres placed by world
// matrices that stretch, turn and shear.

#include "render/ViewFrustum.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ViewFrustumTest : public ::testing::Test {
protected:
	void SetUp() override {
		const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
		D3DXMatrixLookAtLH(&view, &eye, &at, &up);
		// 60 degrees high, 16:9, as the battle's camera.
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 16.0f / 9.0f, 1.0f, 1000.0f);
	}

	D3DXMATRIX view;
	D3DXMATRIX projection;
};

TEST_F(ViewFrustumTest, KeepsWhatTouchesTheViewAndDropsWhatLiesWhollyOutside) {
	const ViewFrustum frustum(view, projection);
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(0, 0, 10), 1));
	EXPECT_TRUE(frustum.Excludes(D3DXVECTOR3(0, 0, -10), 1));  // behind the camera
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(0, 0, -10), 10.5f));
	// The left side at depth 10 is tan(30) * 16/9 * 10 = 10.26 units out.
	EXPECT_TRUE(frustum.Excludes(D3DXVECTOR3(-12, 0, 10), 1));
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(-12, 0, 10), 1.6f));
	EXPECT_TRUE(frustum.Excludes(D3DXVECTOR3(0, 8, 10), 1));  // top: 5.77 units up
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(0, 8, 10), 2));
	EXPECT_TRUE(frustum.Excludes(D3DXVECTOR3(0, 0, 1100), 50));  // beyond the far plane
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(0, 0, 1030), 50));
	// Between the eye and the near plane: kept, the device may still draw it.
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(0, 0, 0.5f), 0.1f));
	EXPECT_FLOAT_EQ(frustum.Depth(D3DXVECTOR3(3, -2, 42)), 42.0f);
}

TEST_F(ViewFrustumTest, ATurnedCameraLooksWhereItTurned) {
	const D3DXVECTOR3 eye(100, 5, 100), at(100, 5, 0), up(0, 1, 0);  // looking down -z
	D3DXMatrixLookAtLH(&view, &eye, &at, &up);
	const ViewFrustum frustum(view, projection);
	EXPECT_FALSE(frustum.Excludes(D3DXVECTOR3(100, 5, 50), 1));
	EXPECT_TRUE(frustum.Excludes(D3DXVECTOR3(100, 5, 150), 1));
	EXPECT_FLOAT_EQ(frustum.Depth(D3DXVECTOR3(100, 5, 50)), 50.0f);
}

TEST_F(ViewFrustumTest, APlacedSphereHoldsEveryPointOfThePlacedOne) {
	D3DXMATRIX turn, stretch, shear, move;
	D3DXMatrixRotationYawPitchRoll(&turn, 0.7f, -0.4f, 1.1f);
	D3DXMatrixScaling(&stretch, 1.0f, 3.0f, 0.5f);
	D3DXMatrixIdentity(&shear);
	shear(1, 0) = 1.5f;  // y leans into x
	D3DXMatrixTranslation(&move, 4, -2, 9);
	for (const D3DXMATRIX& world : {turn * move, stretch * turn * move, shear * stretch * move}) {
		const D3DXVECTOR3 localCenter(1, 2, 3);
		D3DXVECTOR3 center = localCenter;
		float radius = 2.0f;
		ViewFrustum::PlaceSphere(world, center, radius);
		for (int i = 0; i < 200; ++i) {
			// Points on the local sphere, spread by a golden-angle spiral.
			const float y = 1.0f - 2.0f * (float(i) + 0.5f) / 200.0f;
			const float ring = std::sqrt(1.0f - y * y);
			const float angle = 2.39996f * float(i);
			const D3DXVECTOR3 local = localCenter + 2.0f * D3DXVECTOR3(ring * std::cos(angle), y, ring * std::sin(angle));
			D3DXVECTOR3 placed;
			D3DXVec3TransformCoord(&placed, &local, &world);
			const D3DXVECTOR3 offset = placed - center;
			EXPECT_LE(D3DXVec3Length(&offset), radius * 1.0001f);
		}
	}
	// A turn with uniform scale keeps the sphere exactly its size.
	D3DXMATRIX scale;
	D3DXMatrixScaling(&scale, 2, 2, 2);
	D3DXVECTOR3 center(0, 0, 0);
	float radius = 1.5f;
	ViewFrustum::PlaceSphere(scale * turn * move, center, radius);
	EXPECT_NEAR(radius, 3.0f, 1e-4f);
	EXPECT_NEAR(center.x, 4.0f, 1e-5f);
	EXPECT_NEAR(center.z, 9.0f, 1e-5f);
}

}  // namespace
