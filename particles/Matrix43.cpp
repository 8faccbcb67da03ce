#include "particles/Matrix43.h"

namespace particles {

Matrix43 Matrix43::FromMatrix(const D3DXMATRIX& m) {
	Matrix43 result;
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 3; ++column) {
			result.value[row][column] = m.m[row][column];
		}
	}
	return result;
}

D3DXMATRIX Matrix43::ToMatrix() const {
	D3DXMATRIX m;
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 3; ++column) {
			m.m[row][column] = value[row][column];
		}
	}
	m._44 = 1.0f;
	return m;
}

}  // namespace particles
