#include "platform/mesh/VertexFormat.h"

VertexFormat::VertexFormat(DWORD fvf_) : fvf(fvf_) {
	constexpr DWORD known = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEXCOUNT_MASK;
	texcoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
	// The high word would give coordinate sets other sizes than two floats.
	supported = (fvf & ~known) == 0 && (fvf & D3DFVF_XYZ) != 0 && texcoordSets <= 8;
	UINT offset = 12;
	if (fvf & D3DFVF_NORMAL) {
		normalOffset = int(offset);
		offset += 12;
	}
	if (fvf & D3DFVF_DIFFUSE) {
		diffuseOffset = int(offset);
		offset += 4;
	}
	texcoordOffset = offset;
	stride = offset + texcoordSets * 8;
}
