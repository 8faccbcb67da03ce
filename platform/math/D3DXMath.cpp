#include "platform/math/D3DXMath.h"

#include <cmath>

// Every function computes into a local before writing its output, so callers
// may pass the same object as input and output, as D3DX allows.

/*
===============================================================================
	D3DXVECTOR3
===============================================================================
*/

D3DXVECTOR3& D3DXVECTOR3::operator+=(const D3DXVECTOR3& v) {
	x += v.x;
	y += v.y;
	z += v.z;
	return *this;
}

D3DXVECTOR3& D3DXVECTOR3::operator-=(const D3DXVECTOR3& v) {
	x -= v.x;
	y -= v.y;
	z -= v.z;
	return *this;
}

D3DXVECTOR3& D3DXVECTOR3::operator*=(float s) {
	x *= s;
	y *= s;
	z *= s;
	return *this;
}

D3DXVECTOR3& D3DXVECTOR3::operator/=(float s) {
	x /= s;
	y /= s;
	z /= s;
	return *this;
}

D3DXVECTOR3 D3DXVECTOR3::operator-() const { return D3DXVECTOR3(-x, -y, -z); }
D3DXVECTOR3 D3DXVECTOR3::operator+(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
D3DXVECTOR3 D3DXVECTOR3::operator-(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
D3DXVECTOR3 D3DXVECTOR3::operator*(float s) const { return D3DXVECTOR3(x * s, y * s, z * s); }
D3DXVECTOR3 D3DXVECTOR3::operator/(float s) const { return D3DXVECTOR3(x / s, y / s, z / s); }
bool D3DXVECTOR3::operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
D3DXVECTOR3 operator*(float s, const D3DXVECTOR3& v) { return v * s; }

/*
===============================================================================
	D3DXCOLOR
===============================================================================
*/

D3DXCOLOR::D3DXCOLOR(DWORD argb)
	: r(static_cast<float>((argb >> 16) & 0xFF) / 255.0f)
	, g(static_cast<float>((argb >> 8) & 0xFF) / 255.0f)
	, b(static_cast<float>(argb & 0xFF) / 255.0f)
	, a(static_cast<float>((argb >> 24) & 0xFF) / 255.0f) {}

static DWORD PackColorChannel(float value) {
	if (!(value > 0.0f)) {  // also catches NaN
		return 0;
	}
	if (value >= 1.0f) {
		return 0xFF;
	}
	return static_cast<DWORD>(value * 255.0f + 0.5f);
}

D3DXCOLOR::operator DWORD() const {
	return (PackColorChannel(a) << 24) | (PackColorChannel(r) << 16) | (PackColorChannel(g) << 8) | PackColorChannel(b);
}

/*
===============================================================================
	D3DXMATRIX
===============================================================================
*/

D3DXMATRIX::D3DXMATRIX() : D3DMATRIX{} {}

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14,
                       float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34,
                       float m41, float m42, float m43, float m44) {
	_11 = m11; _12 = m12; _13 = m13; _14 = m14;
	_21 = m21; _22 = m22; _23 = m23; _24 = m24;
	_31 = m31; _32 = m32; _33 = m33; _34 = m34;
	_41 = m41; _42 = m42; _43 = m43; _44 = m44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
	D3DXMATRIX product;
	D3DXMatrixMultiply(&product, this, &other);
	return product;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) {
	D3DXMatrixMultiply(this, this, &other);
	return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
	for (int row = 0; row < 4; row++) {
		for (int column = 0; column < 4; column++) {
			if (m[row][column] != other.m[row][column]) {
				return false;
			}
		}
	}
	return true;
}

/*
===============================================================================
	Matrices
===============================================================================
*/

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
	*out = D3DXMATRIX(1.0f, 0.0f, 0.0f, 0.0f,
	                  0.0f, 1.0f, 0.0f, 0.0f,
	                  0.0f, 0.0f, 1.0f, 0.0f,
	                  0.0f, 0.0f, 0.0f, 1.0f);
	return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
	D3DXMATRIX identity;
	D3DXMatrixIdentity(&identity);
	return *m == identity;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
	D3DXMatrixIdentity(out);
	out->_41 = x;
	out->_42 = y;
	out->_43 = z;
	return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
	D3DXMatrixIdentity(out);
	out->_11 = sx;
	out->_22 = sy;
	out->_33 = sz;
	return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
	const float c = std::cos(angle);
	const float s = std::sin(angle);
	D3DXMatrixIdentity(out);
	out->_22 = c;
	out->_23 = s;
	out->_32 = -s;
	out->_33 = c;
	return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
	const float c = std::cos(angle);
	const float s = std::sin(angle);
	D3DXMatrixIdentity(out);
	out->_11 = c;
	out->_13 = -s;
	out->_31 = s;
	out->_33 = c;
	return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
	const float c = std::cos(angle);
	const float s = std::sin(angle);
	D3DXMatrixIdentity(out);
	out->_11 = c;
	out->_12 = s;
	out->_21 = -s;
	out->_22 = c;
	return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
	D3DXVECTOR3 v;
	D3DXVec3Normalize(&v, axis);
	const float c = std::cos(angle);
	const float s = std::sin(angle);
	const float t = 1.0f - c;
	*out = D3DXMATRIX(t * v.x * v.x + c,       t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0.0f,
	                  t * v.x * v.y - s * v.z, t * v.y * v.y + c,       t * v.y * v.z + s * v.x, 0.0f,
	                  t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x, t * v.z * v.z + c,       0.0f,
	                  0.0f,                    0.0f,                    0.0f,                    1.0f);
	return out;
}

// Roll about z first, then pitch about x, then yaw about y.
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
	D3DXMATRIX rollMatrix, pitchMatrix, yawMatrix;
	D3DXMatrixRotationZ(&rollMatrix, roll);
	D3DXMatrixRotationX(&pitchMatrix, pitch);
	D3DXMatrixRotationY(&yawMatrix, yaw);
	*out = rollMatrix * pitchMatrix * yawMatrix;
	return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
	const float x = q->x, y = q->y, z = q->z, w = q->w;
	*out = D3DXMATRIX(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w),        2.0f * (x * z - y * w),        0.0f,
	                  2.0f * (x * y - z * w),        1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + x * w),        0.0f,
	                  2.0f * (x * z + y * w),        2.0f * (y * z - x * w),        1.0f - 2.0f * (x * x + y * y), 0.0f,
	                  0.0f,                          0.0f,                          0.0f,                          1.0f);
	return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
	D3DXMATRIX product;
	for (int row = 0; row < 4; row++) {
		for (int column = 0; column < 4; column++) {
			product.m[row][column] = a->m[row][0] * b->m[0][column] + a->m[row][1] * b->m[1][column]
			                       + a->m[row][2] * b->m[2][column] + a->m[row][3] * b->m[3][column];
		}
	}
	*out = product;
	return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
	D3DXMATRIX transposed;
	for (int row = 0; row < 4; row++) {
		for (int column = 0; column < 4; column++) {
			transposed.m[row][column] = m->m[column][row];
		}
	}
	*out = transposed;
	return out;
}

// The 2x2 minors of the upper and lower row pairs; the determinant and the
// adjugate are both sums of their products (Laplace expansion by row pairs).
struct MatrixMinors {
	float s0, s1, s2, s3, s4, s5;  // rows 1 and 2
	float c0, c1, c2, c3, c4, c5;  // rows 3 and 4

	explicit MatrixMinors(const D3DXMATRIX& a) {
		s0 = a._11 * a._22 - a._21 * a._12;
		s1 = a._11 * a._23 - a._21 * a._13;
		s2 = a._11 * a._24 - a._21 * a._14;
		s3 = a._12 * a._23 - a._22 * a._13;
		s4 = a._12 * a._24 - a._22 * a._14;
		s5 = a._13 * a._24 - a._23 * a._14;
		c5 = a._33 * a._44 - a._43 * a._34;
		c4 = a._32 * a._44 - a._42 * a._34;
		c3 = a._32 * a._43 - a._42 * a._33;
		c2 = a._31 * a._44 - a._41 * a._34;
		c1 = a._31 * a._43 - a._41 * a._33;
		c0 = a._31 * a._42 - a._41 * a._32;
	}

	float Determinant() const { return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0; }
};

float D3DXMatrixDeterminant(const D3DXMATRIX* m) {
	return MatrixMinors(*m).Determinant();
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
	const D3DXMATRIX& a = *m;
	const MatrixMinors k(a);
	const float det = k.Determinant();
	if (determinant != nullptr) {
		*determinant = det;
	}
	if (det == 0.0f || !std::isfinite(det)) {
		return nullptr;
	}
	const float r = 1.0f / det;
	D3DXMATRIX inverse(
		( a._22 * k.c5 - a._23 * k.c4 + a._24 * k.c3) * r,
		(-a._12 * k.c5 + a._13 * k.c4 - a._14 * k.c3) * r,
		( a._42 * k.s5 - a._43 * k.s4 + a._44 * k.s3) * r,
		(-a._32 * k.s5 + a._33 * k.s4 - a._34 * k.s3) * r,

		(-a._21 * k.c5 + a._23 * k.c2 - a._24 * k.c1) * r,
		( a._11 * k.c5 - a._13 * k.c2 + a._14 * k.c1) * r,
		(-a._41 * k.s5 + a._43 * k.s2 - a._44 * k.s1) * r,
		( a._31 * k.s5 - a._33 * k.s2 + a._34 * k.s1) * r,

		( a._21 * k.c4 - a._22 * k.c2 + a._24 * k.c0) * r,
		(-a._11 * k.c4 + a._12 * k.c2 - a._14 * k.c0) * r,
		( a._41 * k.s4 - a._42 * k.s2 + a._44 * k.s0) * r,
		(-a._31 * k.s4 + a._32 * k.s2 - a._34 * k.s0) * r,

		(-a._21 * k.c3 + a._22 * k.c1 - a._23 * k.c0) * r,
		( a._11 * k.c3 - a._12 * k.c1 + a._13 * k.c0) * r,
		(-a._41 * k.s3 + a._42 * k.s1 - a._43 * k.s0) * r,
		( a._31 * k.s3 - a._32 * k.s1 + a._33 * k.s0) * r);
	*out = inverse;
	return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
	D3DXVECTOR3 zAxis, xAxis, yAxis;
	const D3DXVECTOR3 forward = *at - *eye;
	D3DXVec3Normalize(&zAxis, &forward);
	D3DXVec3Cross(&xAxis, up, &zAxis);
	D3DXVec3Normalize(&xAxis, &xAxis);
	D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
	*out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0.0f,
	                  xAxis.y, yAxis.y, zAxis.y, 0.0f,
	                  xAxis.z, yAxis.z, zAxis.z, 0.0f,
	                  -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye), -D3DXVec3Dot(&zAxis, eye), 1.0f);
	return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
	const float yScale = 1.0f / std::tan(fovY * 0.5f);
	const float xScale = yScale / aspect;
	const float depthScale = zFar / (zFar - zNear);
	*out = D3DXMATRIX(xScale, 0.0f,   0.0f,                 0.0f,
	                  0.0f,   yScale, 0.0f,                 0.0f,
	                  0.0f,   0.0f,   depthScale,           1.0f,
	                  0.0f,   0.0f,   -zNear * depthScale,  0.0f);
	return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar) {
	const float depthScale = 1.0f / (zFar - zNear);
	*out = D3DXMATRIX(2.0f / width, 0.0f,          0.0f,                0.0f,
	                  0.0f,         2.0f / height, 0.0f,                0.0f,
	                  0.0f,         0.0f,          depthScale,          0.0f,
	                  0.0f,         0.0f,          -zNear * depthScale, 1.0f);
	return out;
}

/*
===============================================================================
	Vectors
===============================================================================
*/

float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }
float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return D3DXVec3Dot(v, v); }
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
	*out = D3DXVECTOR3(a->y * b->z - a->z * b->y,
	                   a->z * b->x - a->x * b->z,
	                   a->x * b->y - a->y * b->x);
	return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
	const float length = D3DXVec3Length(v);
	if (length == 0.0f) {
		*out = D3DXVECTOR3();
		return out;
	}
	*out = *v / length;
	return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float t) {
	*out = *a + (*b - *a) * t;
	return out;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
	*out = D3DXVECTOR4(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
	                   v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
	                   v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
	                   v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
	return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
	const D3DXVECTOR4 point(*v, 1.0f);
	return D3DXVec4Transform(out, &point, m);
}

// As D3DX, the division by w is unguarded: a point on the eye plane of a
// projection comes out infinite.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
	D3DXVECTOR4 clip;
	D3DXVec3Transform(&clip, v, m);
	*out = D3DXVECTOR3(clip.x / clip.w, clip.y / clip.w, clip.z / clip.w);
	return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
	const D3DXVECTOR4 direction(*v, 0.0f);
	D3DXVECTOR4 result;
	D3DXVec4Transform(&result, &direction, m);
	*out = D3DXVECTOR3(result.x, result.y, result.z);
	return out;
}

/*
===============================================================================
	Quaternions
===============================================================================
*/

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
	*out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
	return out;
}

static float QuaternionDot(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
	return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
	const float length = std::sqrt(QuaternionDot(*q, *q));
	if (length == 0.0f) {
		*out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
		return out;
	}
	*out = D3DXQUATERNION(q->x / length, q->y / length, q->z / length, q->w / length);
	return out;
}

// Rows of the upper 3x3 with any scale divided out, so a scaled world matrix
// still yields the unit quaternion of its rotation.
static void RotationRows(const D3DXMATRIX& m, D3DXVECTOR3 rows[3]) {
	for (int row = 0; row < 3; row++) {
		const D3DXVECTOR3 r(m.m[row][0], m.m[row][1], m.m[row][2]);
		D3DXVec3Normalize(&rows[row], &r);
	}
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m) {
	D3DXVECTOR3 r[3];
	RotationRows(*m, r);
	const float m11 = r[0].x, m12 = r[0].y, m13 = r[0].z;
	const float m21 = r[1].x, m22 = r[1].y, m23 = r[1].z;
	const float m31 = r[2].x, m32 = r[2].y, m33 = r[2].z;
	const float trace = m11 + m22 + m33;
	D3DXQUATERNION q;
	// Solve for the largest component first to keep the division well conditioned.
	if (trace > 0.0f) {
		const float s = 2.0f * std::sqrt(1.0f + trace);
		q = D3DXQUATERNION((m23 - m32) / s, (m31 - m13) / s, (m12 - m21) / s, 0.25f * s);
	} else if (m11 >= m22 && m11 >= m33) {
		const float s = 2.0f * std::sqrt(1.0f + m11 - m22 - m33);
		q = D3DXQUATERNION(0.25f * s, (m12 + m21) / s, (m13 + m31) / s, (m23 - m32) / s);
	} else if (m22 >= m33) {
		const float s = 2.0f * std::sqrt(1.0f + m22 - m11 - m33);
		q = D3DXQUATERNION((m12 + m21) / s, 0.25f * s, (m23 + m32) / s, (m31 - m13) / s);
	} else {
		const float s = 2.0f * std::sqrt(1.0f + m33 - m11 - m22);
		q = D3DXQUATERNION((m13 + m31) / s, (m23 + m32) / s, 0.25f * s, (m12 - m21) / s);
	}
	return D3DXQuaternionNormalize(out, &q);
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle) {
	D3DXVECTOR3 v;
	D3DXVec3Normalize(&v, axis);
	const float s = std::sin(angle * 0.5f);
	*out = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f));
	return out;
}

// Along the shorter arc: q and -q are the same rotation, so when the ends
// point apart one is negated. Nearly parallel ends blend linearly, where the
// sine ratio would lose precision.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t) {
	float cosine = QuaternionDot(*a, *b);
	float sign = 1.0f;
	if (cosine < 0.0f) {
		cosine = -cosine;
		sign = -1.0f;
	}
	float weightA = 1.0f - t;
	float weightB = t;
	if (1.0f - cosine > 0.001f) {
		const float theta = std::acos(cosine);
		const float sine = std::sin(theta);
		weightA = std::sin(theta * (1.0f - t)) / sine;
		weightB = std::sin(theta * t) / sine;
	}
	weightB *= sign;
	*out = D3DXQUATERNION(weightA * a->x + weightB * b->x,
	                      weightA * a->y + weightB * b->y,
	                      weightA * a->z + weightB * b->z,
	                      weightA * a->w + weightB * b->w);
	return out;
}

// The rotation a followed by b, matching D3DXMatrixRotationQuaternion(a) * (b).
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
	*out = D3DXQUATERNION(b->w * a->x + b->x * a->w + b->y * a->z - b->z * a->y,
	                      b->w * a->y - b->x * a->z + b->y * a->w + b->z * a->x,
	                      b->w * a->z + b->x * a->y - b->y * a->x + b->z * a->w,
	                      b->w * a->w - b->x * a->x - b->y * a->y - b->z * a->z);
	return out;
}
