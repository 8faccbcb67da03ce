#pragma once
// The small vector and matrix kit the mesh generators build with. Matrices
// are row-vector and left-handed, like the game's: p' = p * M, and A * B
// applies A first, so a child's matrix is local * parent.

#include <cmath>

struct Vec2 {
	float x = 0, y = 0;
};

struct Vec3 {
	float x = 0, y = 0, z = 0;

	Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
	Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
	Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
	Vec3 operator-() const { return {-x, -y, -z}; }
};

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
	return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
inline Vec3 Normalize(const Vec3& v) {
	const float length = Length(v);
	return length > 0 ? v * (1.0f / length) : Vec3{0, 1, 0};
}

struct Mat4 {
	float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

	static Mat4 Identity() { return {}; }
	static Mat4 Translation(float x, float y, float z) {
		Mat4 r;
		r.m[3][0] = x;
		r.m[3][1] = y;
		r.m[3][2] = z;
		return r;
	}
	static Mat4 Translation(const Vec3& v) { return Translation(v.x, v.y, v.z); }
	static Mat4 Scaling(float x, float y, float z) {
		Mat4 r;
		r.m[0][0] = x;
		r.m[1][1] = y;
		r.m[2][2] = z;
		return r;
	}
	static Mat4 RotationX(float a) {
		Mat4 r;
		r.m[1][1] = std::cos(a);
		r.m[1][2] = std::sin(a);
		r.m[2][1] = -std::sin(a);
		r.m[2][2] = std::cos(a);
		return r;
	}
	static Mat4 RotationY(float a) {
		Mat4 r;
		r.m[0][0] = std::cos(a);
		r.m[0][2] = -std::sin(a);
		r.m[2][0] = std::sin(a);
		r.m[2][2] = std::cos(a);
		return r;
	}
	static Mat4 RotationZ(float a) {
		Mat4 r;
		r.m[0][0] = std::cos(a);
		r.m[0][1] = std::sin(a);
		r.m[1][0] = -std::sin(a);
		r.m[1][1] = std::cos(a);
		return r;
	}
	// A frame whose local x, y, z axes are the given rows, placed at origin.
	static Mat4 Basis(const Vec3& xAxis, const Vec3& yAxis, const Vec3& zAxis, const Vec3& origin) {
		Mat4 r;
		const Vec3 rows[4] = {xAxis, yAxis, zAxis, origin};
		for (int i = 0; i < 4; ++i) {
			r.m[i][0] = rows[i].x;
			r.m[i][1] = rows[i].y;
			r.m[i][2] = rows[i].z;
		}
		return r;
	}

	Mat4 operator*(const Mat4& o) const {
		Mat4 r;
		for (int i = 0; i < 4; ++i) {
			for (int j = 0; j < 4; ++j) {
				r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j] + m[i][3] * o.m[3][j];
			}
		}
		return r;
	}

	Vec3 TransformPoint(const Vec3& p) const {
		return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
		        p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
		        p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
	}
	Vec3 TransformVector(const Vec3& v) const {
		return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
		        v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
	}
	float Determinant3() const {
		return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
		       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
	}
	// Normals go through the cofactor matrix (the inverse transpose up to
	// scale), signed so that mirroring keeps them pointing outward.
	Vec3 TransformNormal(const Vec3& n) const {
		const Vec3 r0{m[0][0], m[0][1], m[0][2]}, r1{m[1][0], m[1][1], m[1][2]}, r2{m[2][0], m[2][1], m[2][2]};
		const Vec3 c0 = Cross(r1, r2), c1 = Cross(r2, r0), c2 = Cross(r0, r1);
		const Vec3 out = c0 * n.x + c1 * n.y + c2 * n.z;
		return Normalize(Determinant3() < 0 ? -out : out);
	}
	Vec3 Row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
};
