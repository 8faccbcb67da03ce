#pragma once
// The runtime's instance transform: the first three columns of a row-vector
// 4 x 4 matrix (rotation and scale in rows 0..2, translation in row 3).

#include "platform/math/D3DXMath.h"

namespace particles {

struct Matrix43 {
	float value[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};

	static Matrix43 FromMatrix(const D3DXMATRIX& m);
	D3DXMATRIX ToMatrix() const;  // fourth column (0, 0, 0, 1)
	D3DXVECTOR3 Translation() const { return {value[3][0], value[3][1], value[3][2]}; }
};

}  // namespace particles
