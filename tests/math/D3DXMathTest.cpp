// Expected values below are worked out by hand from the D3DX definitions:
// row vectors, left-handed frame, A * B applies A first.

#include "platform/math/D3DXMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kTolerance = 1e-5f;

void ExpectVectorNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance = kTolerance) {
	EXPECT_NEAR(expected.x, actual.x, tolerance);
	EXPECT_NEAR(expected.y, actual.y, tolerance);
	EXPECT_NEAR(expected.z, actual.z, tolerance);
}

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance = kTolerance) {
	for (int row = 0; row < 4; row++) {
		for (int column = 0; column < 4; column++) {
			EXPECT_NEAR(expected.m[row][column], actual.m[row][column], tolerance) << "element _" << row + 1 << column + 1;
		}
	}
}

void ExpectQuaternionNear(const D3DXQUATERNION& expected, const D3DXQUATERNION& actual, float tolerance = kTolerance) {
	EXPECT_NEAR(expected.x, actual.x, tolerance);
	EXPECT_NEAR(expected.y, actual.y, tolerance);
	EXPECT_NEAR(expected.z, actual.z, tolerance);
	EXPECT_NEAR(expected.w, actual.w, tolerance);
}

D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& point, const D3DXMATRIX& m) {
	D3DXVECTOR3 out;
	D3DXVec3TransformCoord(&out, &point, &m);
	return out;
}

D3DXMATRIX Identity() {
	D3DXMATRIX m;
	D3DXMatrixIdentity(&m);
	return m;
}

D3DXMATRIX RotationY(float angle) {
	D3DXMATRIX m;
	D3DXMatrixRotationY(&m, angle);
	return m;
}

D3DXMATRIX Translation(float x, float y, float z) {
	D3DXMATRIX m;
	D3DXMatrixTranslation(&m, x, y, z);
	return m;
}

D3DXMATRIX YawPitchRoll(float yaw, float pitch, float roll) {
	D3DXMATRIX m;
	D3DXMatrixRotationYawPitchRoll(&m, yaw, pitch, roll);
	return m;
}

const float kQuarterTurn = D3DX_PI / 2.0f;
const D3DXVECTOR3 kAxisX(1.0f, 0.0f, 0.0f);
const D3DXVECTOR3 kAxisY(0.0f, 1.0f, 0.0f);
const D3DXVECTOR3 kAxisZ(0.0f, 0.0f, 1.0f);

}  // namespace

TEST(MatrixBasics, ConstructionIdentityAndTranspose) {
	const D3DXMATRIX zero;
	for (int i = 0; i < 16; i++) {
		EXPECT_EQ(0.0f, (&zero._11)[i]);
	}
	EXPECT_FALSE(D3DXMatrixIsIdentity(&zero));
	const D3DXMATRIX identity = Identity();
	EXPECT_TRUE(D3DXMatrixIsIdentity(&identity));
	const D3DXMATRIX moved = Translation(0.0f, 0.0f, 1.0f);
	EXPECT_FALSE(D3DXMatrixIsIdentity(&moved));

	const D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
	D3DXMATRIX t;
	D3DXMatrixTranspose(&t, &m);
	EXPECT_EQ(5.0f, t._12);
	EXPECT_EQ(4.0f, t._41);
	EXPECT_EQ(16.0f, t._44);
	D3DXMatrixTranspose(&t, &t);
	EXPECT_TRUE(t == m);
}

TEST(MatrixProduct, TranslationThenRotationDiffersFromReverse) {
	const D3DXMATRIX translate = Translation(10.0f, 0.0f, 0.0f);
	const D3DXMATRIX rotate = RotationY(kQuarterTurn);
	const D3DXVECTOR3 point(1.0f, 0.0f, 0.0f);

	// Moved to (11, 0, 0) first, then a quarter turn about y carries +x to -z.
	ExpectVectorNear(D3DXVECTOR3(0.0f, 0.0f, -11.0f), TransformPoint(point, translate * rotate));
	// Turned to (0, 0, -1) first, then moved.
	ExpectVectorNear(D3DXVECTOR3(10.0f, 0.0f, -1.0f), TransformPoint(point, rotate * translate));

	// The product's translation row is the translation carried through the rotation.
	const D3DXMATRIX product = translate * rotate;
	EXPECT_NEAR(0.0f, product._41, kTolerance);
	EXPECT_NEAR(-10.0f, product._43, kTolerance);

	D3DXMATRIX viaFunction;
	D3DXMatrixMultiply(&viaFunction, &translate, &rotate);
	ExpectMatrixNear(product, viaFunction);
}

TEST(MatrixProduct, MultiplyMayWriteOverItsInput) {
	D3DXMATRIX m = Translation(1.0f, 2.0f, 3.0f);
	const D3DXMATRIX rotate = RotationY(kQuarterTurn);
	const D3DXMATRIX expected = m * rotate;
	D3DXMatrixMultiply(&m, &m, &rotate);
	ExpectMatrixNear(expected, m);
	m = Translation(1.0f, 2.0f, 3.0f);
	m *= rotate;
	ExpectMatrixNear(expected, m);
}

TEST(MatrixRotation, SingleAxesFollowTheLeftHandedConvention) {
	D3DXMATRIX m;
	D3DXMatrixRotationY(&m, 0.3f);
	EXPECT_FLOAT_EQ(std::cos(0.3f), m._11);
	EXPECT_FLOAT_EQ(-std::sin(0.3f), m._13);
	EXPECT_FLOAT_EQ(std::sin(0.3f), m._31);
	EXPECT_FLOAT_EQ(std::cos(0.3f), m._33);

	D3DXMatrixRotationX(&m, kQuarterTurn);
	ExpectVectorNear(kAxisZ, TransformPoint(kAxisY, m));
	D3DXMatrixRotationZ(&m, kQuarterTurn);
	ExpectVectorNear(kAxisY, TransformPoint(kAxisX, m));
	D3DXMatrixRotationY(&m, kQuarterTurn);
	ExpectVectorNear(-kAxisZ, TransformPoint(kAxisX, m));
}

TEST(MatrixRotation, AxisRotationMatchesTheNamedAxes) {
	D3DXMATRIX axis, named;
	const D3DXVECTOR3 longY(0.0f, 5.0f, 0.0f);  // the axis is normalised first
	D3DXMatrixRotationAxis(&axis, &longY, 0.7f);
	D3DXMatrixRotationY(&named, 0.7f);
	ExpectMatrixNear(named, axis);
	D3DXMatrixRotationAxis(&axis, &kAxisX, -1.2f);
	D3DXMatrixRotationX(&named, -1.2f);
	ExpectMatrixNear(named, axis);
	D3DXMatrixRotationAxis(&axis, &kAxisZ, 2.5f);
	D3DXMatrixRotationZ(&named, 2.5f);
	ExpectMatrixNear(named, axis);
}

TEST(MatrixRotation, YawPitchRollIsRollThenPitchThenYaw) {
	const float yaw = 0.3f, pitch = -0.7f, roll = 1.1f;
	D3DXMATRIX rz, rx, ry;
	D3DXMatrixRotationZ(&rz, roll);
	D3DXMatrixRotationX(&rx, pitch);
	D3DXMatrixRotationY(&ry, yaw);
	ExpectMatrixNear(rz * rx * ry, YawPitchRoll(yaw, pitch, roll));

	// Each angle alone turns the axes as its single-axis rotation.
	ExpectVectorNear(-kAxisZ, TransformPoint(kAxisX, YawPitchRoll(kQuarterTurn, 0.0f, 0.0f)));
	ExpectVectorNear(kAxisZ, TransformPoint(kAxisY, YawPitchRoll(0.0f, kQuarterTurn, 0.0f)));
	ExpectVectorNear(kAxisY, TransformPoint(kAxisX, YawPitchRoll(0.0f, 0.0f, kQuarterTurn)));
	// Pitch before yaw: +y tips to +z, then yaw carries +z to +x.
	ExpectVectorNear(kAxisX, TransformPoint(kAxisY, YawPitchRoll(kQuarterTurn, kQuarterTurn, 0.0f)));
	// Roll before yaw: +x rolls to +y, which yaw leaves alone.
	ExpectVectorNear(kAxisY, TransformPoint(kAxisX, YawPitchRoll(kQuarterTurn, 0.0f, kQuarterTurn)));
}

TEST(MatrixView, LookAtLHAlongZ) {
	const D3DXVECTOR3 eye(0.0f, 0.0f, -5.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
	D3DXMATRIX view;
	D3DXMatrixLookAtLH(&view, &eye, &at, &up);
	D3DXMATRIX expected = Identity();
	expected._43 = 5.0f;
	ExpectMatrixNear(expected, view);
}

TEST(MatrixView, LookAtLHAlongNegativeX) {
	// Looking from +x towards the origin: z axis (-1,0,0), x axis up × z = (0,0,1), y axis (0,1,0).
	const D3DXVECTOR3 eye(3.0f, 0.0f, 0.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 2.0f, 0.0f);
	D3DXMATRIX view;
	D3DXMatrixLookAtLH(&view, &eye, &at, &up);
	const D3DXMATRIX expected(0.0f, 0.0f, -1.0f, 0.0f,
	                          0.0f, 1.0f, 0.0f, 0.0f,
	                          1.0f, 0.0f, 0.0f, 0.0f,
	                          0.0f, 0.0f, 3.0f, 1.0f);
	ExpectMatrixNear(expected, view);
	// One unit along world +z lies to the right of the viewer, level with the eye.
	ExpectVectorNear(D3DXVECTOR3(1.0f, 0.0f, 0.0f), TransformPoint(D3DXVECTOR3(3.0f, 0.0f, 1.0f), view));
}

TEST(MatrixView, LookAtLHTranslationUsesAllAxes) {
	// Eye (1,2,3) looking down +y with +z as up: z=(0,1,0), x=(0,0,1)×(0,1,0)=(-1,0,0), y=z×x=(0,0,1).
	const D3DXVECTOR3 eye(1.0f, 2.0f, 3.0f), at(1.0f, 7.0f, 3.0f), up(0.0f, 0.0f, 1.0f);
	D3DXMATRIX view;
	D3DXMatrixLookAtLH(&view, &eye, &at, &up);
	const D3DXMATRIX expected(-1.0f, 0.0f, 0.0f, 0.0f,
	                          0.0f, 0.0f, 1.0f, 0.0f,
	                          0.0f, 1.0f, 0.0f, 0.0f,
	                          1.0f, -3.0f, -2.0f, 1.0f);
	ExpectMatrixNear(expected, view);
}

TEST(MatrixProjection, PerspectiveFovLHReferenceValues) {
	D3DXMATRIX projection;
	D3DXMatrixPerspectiveFovLH(&projection, kQuarterTurn, 2.0f, 1.0f, 11.0f);
	// cot(45°) = 1; x scale 1 / 2; depth 11 / 10; offset -1 * 11 / 10.
	const D3DXMATRIX expected(0.5f, 0.0f, 0.0f, 0.0f,
	                          0.0f, 1.0f, 0.0f, 0.0f,
	                          0.0f, 0.0f, 1.1f, 1.0f,
	                          0.0f, 0.0f, -1.1f, 0.0f);
	ExpectMatrixNear(expected, projection);

	D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3.0f, 1.0f, 0.5f, 100.0f);
	EXPECT_NEAR(std::sqrt(3.0f), projection._22, kTolerance);  // cot(30°)
	EXPECT_NEAR(std::sqrt(3.0f), projection._11, kTolerance);
}

TEST(MatrixProjection, TransformCoordDividesByW) {
	D3DXMATRIX projection;
	D3DXMatrixPerspectiveFovLH(&projection, kQuarterTurn, 2.0f, 1.0f, 11.0f);
	// Clip (1, 1, 3.3, 4) for the point (2, 1, 4).
	ExpectVectorNear(D3DXVECTOR3(0.25f, 0.25f, 0.825f), TransformPoint(D3DXVECTOR3(2.0f, 1.0f, 4.0f), projection));
	EXPECT_NEAR(0.0f, TransformPoint(D3DXVECTOR3(0.0f, 0.0f, 1.0f), projection).z, kTolerance);
	EXPECT_NEAR(1.0f, TransformPoint(D3DXVECTOR3(0.0f, 0.0f, 11.0f), projection).z, kTolerance);

	D3DXVECTOR4 clip;
	const D3DXVECTOR3 point(2.0f, 1.0f, 4.0f);
	D3DXVec3Transform(&clip, &point, &projection);
	EXPECT_NEAR(4.0f, clip.w, kTolerance);
	EXPECT_NEAR(3.3f, clip.z, kTolerance);
}

TEST(MatrixProjection, OrthoLHReferenceValues) {
	D3DXMATRIX projection;
	D3DXMatrixOrthoLH(&projection, 4.0f, 2.0f, 1.0f, 5.0f);
	const D3DXMATRIX expected(0.5f, 0.0f, 0.0f, 0.0f,
	                          0.0f, 1.0f, 0.0f, 0.0f,
	                          0.0f, 0.0f, 0.25f, 0.0f,
	                          0.0f, 0.0f, -0.25f, 1.0f);
	ExpectMatrixNear(expected, projection);
	ExpectVectorNear(D3DXVECTOR3(1.0f, 1.0f, 1.0f), TransformPoint(D3DXVECTOR3(2.0f, 1.0f, 5.0f), projection));
	ExpectVectorNear(D3DXVECTOR3(-1.0f, 0.0f, 0.0f), TransformPoint(D3DXVECTOR3(-2.0f, 0.0f, 1.0f), projection));
}

TEST(VectorTransform, NormalIgnoresTranslation) {
	D3DXMATRIX scale;
	D3DXMatrixScaling(&scale, 2.0f, 3.0f, 4.0f);
	const D3DXMATRIX m = scale * Translation(5.0f, 6.0f, 7.0f);
	const D3DXVECTOR3 v(1.0f, 1.0f, 1.0f);
	D3DXVECTOR3 normal;
	D3DXVec3TransformNormal(&normal, &v, &m);
	ExpectVectorNear(D3DXVECTOR3(2.0f, 3.0f, 4.0f), normal);
	ExpectVectorNear(D3DXVECTOR3(7.0f, 9.0f, 11.0f), TransformPoint(v, m));
}

TEST(MatrixInverse, InverseTimesMatrixIsIdentity) {
	D3DXMATRIX scale;
	D3DXMatrixScaling(&scale, 2.0f, 3.0f, 4.0f);
	const D3DXMATRIX m = scale * YawPitchRoll(0.4f, -1.0f, 2.2f) * Translation(1.0f, -2.0f, 3.0f);
	D3DXMATRIX inverse;
	float determinant = 0.0f;
	ASSERT_EQ(&inverse, D3DXMatrixInverse(&inverse, &determinant, &m));
	EXPECT_NEAR(24.0f, determinant, 1e-4f);  // rotations keep volume; the scale multiplies it by 2*3*4
	EXPECT_NEAR(24.0f, D3DXMatrixDeterminant(&m), 1e-4f);
	ExpectMatrixNear(Identity(), inverse * m);
	ExpectMatrixNear(Identity(), m * inverse);
}

TEST(MatrixInverse, ProjectionAndInPlaceInverse) {
	D3DXMATRIX projection;
	D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.5f, 0.5f, 50.0f);
	D3DXMATRIX inverse = projection;
	ASSERT_NE(nullptr, D3DXMatrixInverse(&inverse, nullptr, &inverse));
	ExpectMatrixNear(Identity(), inverse * projection, 1e-4f);

	// Hand-inverted: the inverse of a translation moves back.
	D3DXMATRIX back;
	const D3DXMATRIX forward = Translation(3.0f, -4.0f, 5.0f);
	ASSERT_NE(nullptr, D3DXMatrixInverse(&back, nullptr, &forward));
	ExpectMatrixNear(Translation(-3.0f, 4.0f, -5.0f), back);
}

TEST(MatrixInverse, SingularMatrixReturnsNullAndLeavesOutput) {
	D3DXMATRIX flat;
	D3DXMatrixScaling(&flat, 1.0f, 0.0f, 1.0f);
	D3DXMATRIX out = Translation(7.0f, 8.0f, 9.0f);
	float determinant = 1.0f;
	EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, &determinant, &flat));
	EXPECT_EQ(0.0f, determinant);
	ExpectMatrixNear(Translation(7.0f, 8.0f, 9.0f), out);

	const D3DXMATRIX repeatedRows(1, 2, 3, 4, 1, 2, 3, 4, 0, 1, 0, 0, 0, 0, 0, 1);
	EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, nullptr, &repeatedRows));
	const D3DXMATRIX zero;
	EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, nullptr, &zero));

	D3DXMATRIX mirror;
	D3DXMatrixScaling(&mirror, -2.0f, 1.0f, 1.0f);
	EXPECT_NE(nullptr, D3DXMatrixInverse(&out, &determinant, &mirror));
	EXPECT_FLOAT_EQ(-2.0f, determinant);
	EXPECT_FLOAT_EQ(-0.5f, out._11);
}

TEST(Vector, NormalizeCrossAndLength) {
	D3DXVECTOR3 v(3.0f, 0.0f, -4.0f);
	EXPECT_FLOAT_EQ(5.0f, D3DXVec3Length(&v));
	EXPECT_FLOAT_EQ(25.0f, D3DXVec3LengthSq(&v));
	D3DXVec3Normalize(&v, &v);
	ExpectVectorNear(D3DXVECTOR3(0.6f, 0.0f, -0.8f), v);

	const D3DXVECTOR3 zero;
	D3DXVECTOR3 out(1.0f, 1.0f, 1.0f);
	D3DXVec3Normalize(&out, &zero);
	EXPECT_TRUE(out == zero);

	D3DXVECTOR3 cross;
	D3DXVec3Cross(&cross, &kAxisX, &kAxisY);
	ExpectVectorNear(kAxisZ, cross);
	D3DXVec3Cross(&cross, &kAxisY, &kAxisX);
	ExpectVectorNear(-kAxisZ, cross);

	D3DXVECTOR3 lerp;
	const D3DXVECTOR3 a(0.0f, 2.0f, 4.0f), b(10.0f, 0.0f, 4.0f);
	D3DXVec3Lerp(&lerp, &a, &b, 0.25f);
	ExpectVectorNear(D3DXVECTOR3(2.5f, 1.5f, 4.0f), lerp);
	ExpectVectorNear(D3DXVECTOR3(5.0f, 1.0f, 4.0f), (a + b) / 2.0f);
	ExpectVectorNear(D3DXVECTOR3(-10.0f, 2.0f, -4.0f), a - b + 2.0f * D3DXVECTOR3(0.0f, 0.0f, -2.0f));
	D3DXVECTOR3 c = -a;
	c += b;
	c *= 2.0f;
	c -= D3DXVECTOR3(1.0f, 1.0f, 1.0f);
	ExpectVectorNear(D3DXVECTOR3(19.0f, -5.0f, -1.0f), c);
}

TEST(Quaternion, AxisQuaternionMatchesAxisMatrix) {
	D3DXQUATERNION q;
	D3DXQuaternionRotationAxis(&q, &kAxisY, kQuarterTurn);
	const float h = std::sqrt(0.5f);  // sin and cos of 45°
	ExpectQuaternionNear(D3DXQUATERNION(0.0f, h, 0.0f, h), q);

	const D3DXVECTOR3 axis(1.0f, 2.0f, 3.0f);
	D3DXQuaternionRotationAxis(&q, &axis, 0.8f);
	D3DXMATRIX fromQuaternion, fromAxis;
	D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
	D3DXMatrixRotationAxis(&fromAxis, &axis, 0.8f);
	ExpectMatrixNear(fromAxis, fromQuaternion);
}

TEST(Quaternion, MatrixRoundTripOnEveryBranch) {
	// Small angles (positive trace) and half turns about each axis, where the
	// largest diagonal element picks the component solved first.
	std::vector<D3DXMATRIX> cases = {
		YawPitchRoll(0.3f, 0.2f, -0.1f),
		YawPitchRoll(2.0f, -1.3f, 0.9f),
		YawPitchRoll(0.0f, D3DX_PI, 0.0f),
		YawPitchRoll(D3DX_PI, 0.0f, 0.0f),
		YawPitchRoll(0.0f, 0.0f, D3DX_PI),
		YawPitchRoll(3.0f, 0.1f, 0.0f),
	};
	// Near half turns about tilted axes, where the off-diagonal terms matter too.
	const D3DXVECTOR3 nearX(1.0f, 0.2f, 0.1f), nearZ(0.1f, -0.2f, 1.0f);
	D3DXMATRIX tilted;
	cases.push_back(*D3DXMatrixRotationAxis(&tilted, &nearX, 2.8f));
	cases.push_back(*D3DXMatrixRotationAxis(&tilted, &nearZ, -2.8f));
	for (const D3DXMATRIX& rotation : cases) {
		D3DXQUATERNION q;
		D3DXQuaternionRotationMatrix(&q, &rotation);
		EXPECT_NEAR(1.0f, q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, kTolerance);
		D3DXMATRIX back;
		D3DXMatrixRotationQuaternion(&back, &q);
		ExpectMatrixNear(rotation, back);
	}
}

TEST(Quaternion, FromMatrixIgnoresTranslationAndScale) {
	D3DXQUATERNION q;
	D3DXMATRIX rotation;
	D3DXMatrixRotationZ(&rotation, kQuarterTurn);
	D3DXQuaternionRotationMatrix(&q, &rotation);
	const float h = std::sqrt(0.5f);
	ExpectQuaternionNear(D3DXQUATERNION(0.0f, 0.0f, h, h), q);

	D3DXMATRIX scale;
	D3DXMatrixScaling(&scale, 3.0f, 3.0f, 3.0f);
	const D3DXMATRIX placed = scale * rotation * Translation(4.0f, 5.0f, 6.0f);
	D3DXQUATERNION fromPlaced;
	D3DXQuaternionRotationMatrix(&fromPlaced, &placed);
	ExpectQuaternionNear(q, fromPlaced);
}

TEST(Quaternion, MultiplyComposesLikeMatrices) {
	D3DXQUATERNION a, b, ab;
	const D3DXVECTOR3 axisA(1.0f, 0.5f, 0.0f), axisB(0.0f, -1.0f, 2.0f);
	D3DXQuaternionRotationAxis(&a, &axisA, 0.9f);
	D3DXQuaternionRotationAxis(&b, &axisB, -1.4f);
	D3DXQuaternionMultiply(&ab, &a, &b);
	D3DXMATRIX ma, mb, mab;
	D3DXMatrixRotationQuaternion(&ma, &a);
	D3DXMatrixRotationQuaternion(&mb, &b);
	D3DXMatrixRotationQuaternion(&mab, &ab);
	ExpectMatrixNear(ma * mb, mab);
}

TEST(QuaternionSlerp, EndsAndMiddle) {
	D3DXQUATERNION identity, quarter, out;
	D3DXQuaternionIdentity(&identity);
	D3DXQuaternionRotationAxis(&quarter, &kAxisY, kQuarterTurn);

	D3DXQuaternionSlerp(&out, &identity, &quarter, 0.0f);
	ExpectQuaternionNear(identity, out);
	D3DXQuaternionSlerp(&out, &identity, &quarter, 1.0f);
	ExpectQuaternionNear(quarter, out);
	// Half-way through a quarter turn is an eighth turn: sin and cos of 22.5°.
	D3DXQuaternionSlerp(&out, &identity, &quarter, 0.5f);
	ExpectQuaternionNear(D3DXQUATERNION(0.0f, 0.38268343f, 0.0f, 0.92387953f), out);
	// A quarter of the way is 22.5°: sin and cos of 11.25°.
	D3DXQuaternionSlerp(&out, &identity, &quarter, 0.25f);
	ExpectQuaternionNear(D3DXQUATERNION(0.0f, 0.19509032f, 0.0f, 0.98078528f), out);
}

TEST(QuaternionSlerp, TakesTheShorterArc) {
	D3DXQUATERNION identity, quarter;
	D3DXQuaternionIdentity(&identity);
	D3DXQuaternionRotationAxis(&quarter, &kAxisY, kQuarterTurn);
	// -q is the same quarter turn; interpolating towards it must not go the long way round.
	const D3DXQUATERNION negated(-quarter.x, -quarter.y, -quarter.z, -quarter.w);
	D3DXQUATERNION out;
	D3DXQuaternionSlerp(&out, &identity, &negated, 0.5f);
	ExpectQuaternionNear(D3DXQUATERNION(0.0f, 0.38268343f, 0.0f, 0.92387953f), out);
}

TEST(QuaternionSlerp, NearlyParallelEndsStayFinite) {
	D3DXQUATERNION a, b, out;
	D3DXQuaternionRotationAxis(&a, &kAxisX, 0.5f);
	D3DXQuaternionSlerp(&out, &a, &a, 0.5f);
	ExpectQuaternionNear(a, out);

	D3DXQuaternionRotationAxis(&b, &kAxisX, 0.5002f);
	D3DXQuaternionSlerp(&out, &a, &b, 0.5f);
	ASSERT_TRUE(std::isfinite(out.w));
	D3DXQUATERNION middle;
	D3DXQuaternionRotationAxis(&middle, &kAxisX, 0.5001f);
	ExpectQuaternionNear(middle, out);
}

TEST(Color, PackingClampsAndRounds) {
	EXPECT_EQ(0xFFFF8000u, static_cast<DWORD>(D3DXCOLOR(1.0f, 0.5f, 0.0f, 1.0f)));  // A R G B
	// Out-of-range channels clamp; 0.25 * 255 rounds to 64 and 0.5 * 255 to 128.
	EXPECT_EQ(0x80FF0040u, static_cast<DWORD>(D3DXCOLOR(2.0f, -1.0f, 0.25f, 0.5f)));

	const D3DXCOLOR unpacked(0x80FF0040u);
	EXPECT_FLOAT_EQ(1.0f, unpacked.r);
	EXPECT_FLOAT_EQ(0.0f, unpacked.g);
	EXPECT_FLOAT_EQ(64.0f / 255.0f, unpacked.b);
	EXPECT_FLOAT_EQ(128.0f / 255.0f, unpacked.a);
	EXPECT_EQ(0x80FF0040u, static_cast<DWORD>(unpacked));
	EXPECT_EQ(0x12345678u, static_cast<DWORD>(D3DXCOLOR(0x12345678u)));
}
