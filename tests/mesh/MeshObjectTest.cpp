// Cloning to the map's vertex layout, buffer locks, index widths and the
// CPU-only mesh's refusal to draw.

#include "XFileSamples.h"

#include "platform/mesh/D3DXMeshObject.h"

#include <gtest/gtest.h>

using xsamples::Bytes;
using xsamples::LoadedMesh;

namespace {

constexpr DWORD MAP_FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

const char* NORMAL_QUAD = R"(xof 0303txt 0032
Mesh { 4; 0;0;0;, 2;0;0;, 2;2;0;, 0;2;0;; 1; 4;0,1,2,3;;
 MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }
 MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }
})";

// A flat strip of count vertices in pairs, as a mesh straight from memory.
D3DXMeshObject* Strip(size_t pairs, DWORD options) {
	std::vector<D3DXVECTOR3> positions;
	std::vector<uint32_t> indices;
	for (size_t i = 0; i < pairs; ++i) {
		positions.push_back(D3DXVECTOR3(float(i), 0.0f, 0.0f));
		positions.push_back(D3DXVECTOR3(float(i), 1.0f, 0.0f));
		if (i + 1 < pairs) {
			const uint32_t a = uint32_t(2 * i);
			indices.insert(indices.end(), {a, a + 1, a + 2, a + 1, a + 3, a + 2});
		}
	}
	std::vector<uint8_t> bytes(positions.size() * 12);
	std::memcpy(bytes.data(), positions.data(), bytes.size());
	D3DXMeshObject* mesh = nullptr;
	D3DXMeshObject::Create(options, D3DFVF_XYZ, std::move(bytes), indices, std::vector<DWORD>(indices.size() / 3, 0),
	                       nullptr, &mesh);
	return mesh;
}

}  // namespace

TEST(MeshObject, CloneToTheMapLayoutGives32ByteVerticesAnd16BitIndices) {
	const LoadedMesh loaded(Bytes(xsamples::QUAD_AND_TRIANGLE));  // position and texcoord only
	ASSERT_EQ(loaded.result, S_OK);
	ID3DXMesh* clone = nullptr;
	ASSERT_EQ(loaded.mesh->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_NPATCHES, MAP_FVF, nullptr, &clone), S_OK);
	ASSERT_NE(clone, nullptr);
	EXPECT_EQ(clone->GetNumBytesPerVertex(), 32u);
	EXPECT_EQ(clone->GetFVF(), MAP_FVF);
	EXPECT_EQ(clone->GetNumFaces(), loaded.mesh->GetNumFaces());
	EXPECT_EQ(clone->GetNumVertices(), loaded.mesh->GetNumVertices());
	EXPECT_FALSE(dynamic_cast<D3DXMeshObject*>(clone)->Uses32BitIndices());

	void* vertices = nullptr;
	void* indices = nullptr;
	ASSERT_EQ(clone->LockVertexBuffer(D3DLOCK_READONLY, &vertices), S_OK);
	ASSERT_EQ(clone->LockIndexBuffer(D3DLOCK_READONLY, &indices), S_OK);
	const auto* vertex4 = reinterpret_cast<const float*>(static_cast<const uint8_t*>(vertices) + 4 * 32);
	EXPECT_FLOAT_EQ(vertex4[0], 2.0f);       // position kept
	EXPECT_FLOAT_EQ(vertex4[1], 0.5f);
	EXPECT_FLOAT_EQ(vertex4[3], 0.0f);       // no normal in the file: zero
	EXPECT_FLOAT_EQ(vertex4[6], 0.5f);       // texcoord moved behind the normal
	EXPECT_FLOAT_EQ(vertex4[7], 0.5f);
	const auto* narrow = static_cast<const uint16_t*>(indices);
	const std::vector<uint32_t> original = loaded.Indices();
	for (size_t i = 0; i < original.size(); ++i) {
		EXPECT_EQ(narrow[i], original[i]);
	}
	clone->UnlockIndexBuffer();
	clone->UnlockVertexBuffer();
	clone->Release();
}

TEST(MeshObject, CloneKeepsNormalsAndCanAskFor32BitIndices) {
	const LoadedMesh loaded(Bytes(NORMAL_QUAD));
	ASSERT_EQ(loaded.result, S_OK);
	EXPECT_EQ(loaded.mesh->GetNumBytesPerVertex(), 32u);
	ID3DXMesh* clone = nullptr;
	ASSERT_EQ(loaded.mesh->CloneMeshFVF(D3DXMESH_32BIT, D3DFVF_XYZ | D3DFVF_NORMAL, nullptr, &clone), S_OK);
	EXPECT_EQ(clone->GetNumBytesPerVertex(), 24u);
	EXPECT_TRUE(dynamic_cast<D3DXMeshObject*>(clone)->Uses32BitIndices());
	void* vertices = nullptr;
	clone->LockVertexBuffer(D3DLOCK_READONLY, &vertices);
	const auto* vertex2 = reinterpret_cast<const float*>(static_cast<const uint8_t*>(vertices) + 2 * 24);
	EXPECT_FLOAT_EQ(vertex2[0], 2.0f);
	EXPECT_FLOAT_EQ(vertex2[5], -1.0f);
	clone->UnlockVertexBuffer();
	clone->Release();
	// Transformed positions and unknown format bits are refused.
	EXPECT_EQ(loaded.mesh->CloneMeshFVF(0, D3DFVF_XYZRHW, nullptr, &clone), D3DERR_INVALIDCALL);
	EXPECT_EQ(clone, nullptr);
	EXPECT_EQ(loaded.mesh->CloneMeshFVF(0, MAP_FVF | D3DFVF_SPECULAR, nullptr, &clone), D3DERR_INVALIDCALL);
}

TEST(MeshObject, SixteenBitIndicesMustReachEveryVertex) {
	// 70,000 vertices: too many for 16-bit indices.
	D3DXMeshObject* narrow = Strip(35000, 0);
	EXPECT_EQ(narrow, nullptr);
	D3DXMeshObject* wide = Strip(35000, D3DXMESH_32BIT);
	ASSERT_NE(wide, nullptr);
	ID3DXMesh* clone = nullptr;
	EXPECT_EQ(wide->CloneMeshFVF(D3DXMESH_MANAGED, MAP_FVF, nullptr, &clone), D3DERR_INVALIDCALL);
	EXPECT_EQ(clone, nullptr);
	ASSERT_EQ(wide->CloneMeshFVF(D3DXMESH_32BIT, MAP_FVF, nullptr, &clone), S_OK);
	EXPECT_EQ(clone->GetNumVertices(), 70000u);
	clone->Release();
	wide->Release();
	// The largest mesh that 16 bits can index still works.
	D3DXMeshObject* largest = Strip(0xFFFF / 2, 0);
	ASSERT_NE(largest, nullptr);
	largest->Release();
}

TEST(MeshObject, CpuOnlyMeshRefusesToDrawButLocksBalance) {
	const LoadedMesh loaded(Bytes(NORMAL_QUAD));
	ASSERT_EQ(loaded.result, S_OK);
	EXPECT_EQ(loaded.mesh->DrawSubset(0), D3DERR_INVALIDCALL);
	IDirect3DVertexBuffer9* buffer = nullptr;
	EXPECT_EQ(loaded.mesh->GetVertexBuffer(&buffer), D3DERR_INVALIDCALL);
	EXPECT_EQ(loaded.mesh->UnlockVertexBuffer(), D3DERR_INVALIDCALL);
	EXPECT_EQ(loaded.mesh->UnlockIndexBuffer(), D3DERR_INVALIDCALL);
	void* data = nullptr;
	EXPECT_EQ(loaded.mesh->LockVertexBuffer(0, nullptr), D3DERR_INVALIDCALL);
	ASSERT_EQ(loaded.mesh->LockVertexBuffer(0, &data), S_OK);
	EXPECT_EQ(loaded.mesh->UnlockVertexBuffer(), S_OK);
	EXPECT_EQ(loaded.mesh->UnlockVertexBuffer(), D3DERR_INVALIDCALL);
}

TEST(MeshObject, ReferenceCountingOwnsTheMesh) {
	D3DXMeshObject* mesh = Strip(4, 0);
	ASSERT_NE(mesh, nullptr);
	EXPECT_EQ(mesh->AddRef(), 2u);
	EXPECT_EQ(mesh->Release(), 1u);
	EXPECT_EQ(mesh->Release(), 0u);
}
