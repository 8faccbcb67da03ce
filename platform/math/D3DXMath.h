#pragma once
// Vectors, matrices and quaternions with D3DX's semantics: row vectors,
// left-handed frame, A * B applies A first, translation in the fourth row.

#include "platform/system/WinTypes.h"

struct D3DVECTOR {
	float x, y, z;
};

struct D3DCOLORVALUE {
	float r, g, b, a;
};

struct D3DMATRIX {
	union {
		struct {
			float _11, _12, _13, _14;
			float _21, _22, _23, _24;
			float _31, _32, _33, _34;
			float _41, _42, _43, _44;
		};
		float m[4][4];
	};
};

struct D3DXVECTOR2 {
	float x = 0.0f, y = 0.0f;
	D3DXVECTOR2() = default;
	D3DXVECTOR2(float x_, float y_) : x(x_), y(y_) {}
};

struct D3DXVECTOR3 : public D3DVECTOR {
	D3DXVECTOR3() : D3DVECTOR{0.0f, 0.0f, 0.0f} {}
	D3DXVECTOR3(float x_, float y_, float z_) : D3DVECTOR{x_, y_, z_} {}
	D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}

	D3DXVECTOR3& operator+=(const D3DXVECTOR3& v);
	D3DXVECTOR3& operator-=(const D3DXVECTOR3& v);
	D3DXVECTOR3& operator*=(float s);
	D3DXVECTOR3& operator/=(float s);
	D3DXVECTOR3 operator+() const { return *this; }
	D3DXVECTOR3 operator-() const;
	D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const;
	D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const;
	D3DXVECTOR3 operator*(float s) const;
	D3DXVECTOR3 operator/(float s) const;
	bool operator==(const D3DXVECTOR3& v) const;
	bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
	operator float*() { return &x; }
	operator const float*() const { return &x; }
};
D3DXVECTOR3 operator*(float s, const D3DXVECTOR3& v);

struct D3DXVECTOR4 {
	float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
	D3DXVECTOR4() = default;
	D3DXVECTOR4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
	D3DXVECTOR4(const D3DVECTOR& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}
	operator float*() { return &x; }
	operator const float*() const { return &x; }
};

struct D3DXQUATERNION {
	float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
	D3DXQUATERNION() = default;
	D3DXQUATERNION(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

struct D3DXCOLOR {
	float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
	D3DXCOLOR() = default;
	D3DXCOLOR(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}
	explicit D3DXCOLOR(DWORD argb);
	operator DWORD() const;  // clamps to 0..1 and packs as ARGB
};

struct D3DXMATRIX : public D3DMATRIX {
	D3DXMATRIX();  // zero-filled, as a value-initialised D3DMATRIX
	D3DXMATRIX(const D3DMATRIX& m_) : D3DMATRIX(m_) {}
	D3DXMATRIX(float m11, float m12, float m13, float m14,
	           float m21, float m22, float m23, float m24,
	           float m31, float m32, float m33, float m34,
	           float m41, float m42, float m43, float m44);
	float& operator()(UINT row, UINT column) { return m[row][column]; }
	float operator()(UINT row, UINT column) const { return m[row][column]; }
	D3DXMATRIX operator*(const D3DXMATRIX& other) const;  // this first, then other
	D3DXMATRIX& operator*=(const D3DXMATRIX& other);
	bool operator==(const D3DXMATRIX& other) const;
	operator float*() { return &_11; }
	operator const float*() const { return &_11; }
};

constexpr float D3DX_PI = 3.14159265358979323846f;
inline constexpr float D3DXToRadian(float degrees) { return degrees * (D3DX_PI / 180.0f); }
inline constexpr float D3DXToDegree(float radians) { return radians * (180.0f / D3DX_PI); }

// Matrices. Each returns its output argument, as D3DX does.
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
// Returns null (and leaves out untouched) when m is singular.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zNear, float zFar);

// Vectors.
float D3DXVec3Length(const D3DXVECTOR3* v);
float D3DXVec3LengthSq(const D3DXVECTOR3* v);
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);  // zero stays zero
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float t);
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m);

// Quaternions.
D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out);
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle);
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t);
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b);

// Row-vector matrices carry their position in the fourth row.
inline D3DXVECTOR3 TranslationOf(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

inline float DistanceBetween(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	const D3DXVECTOR3 offset = a - b;
	return D3DXVec3Length(&offset);
}
