// Reading well-formed X files: counts, materials, triangulation, face order,
// normals, frames, and the binary encodings against the text one.

#include "XFileSamples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using xsamples::Bytes;
using xsamples::LoadedMesh;

namespace {

constexpr DWORD NONE = 0xFFFFFFFFu;

void ExpectNear(const D3DXVECTOR3& actual, float x, float y, float z) {
	EXPECT_NEAR(actual.x, x, 1e-5f);
	EXPECT_NEAR(actual.y, y, 1e-5f);
	EXPECT_NEAR(actual.z, z, 1e-5f);
}

// Checks everything QUAD_AND_TRIANGLE states, whatever its encoding.
void ExpectQuadAndTriangle(const LoadedMesh& loaded) {
	ASSERT_EQ(loaded.result, S_OK);
	ASSERT_NE(loaded.mesh, nullptr);
	EXPECT_EQ(loaded.mesh->GetNumVertices(), 5u);
	// The quad becomes two triangles; with the triangle that makes three.
	EXPECT_EQ(loaded.mesh->GetNumFaces(), 3u);
	EXPECT_EQ(loaded.mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_TEX1);
	EXPECT_EQ(loaded.mesh->GetNumBytesPerVertex(), 20u);

	// Sorted by material: the file's second face (material 0) comes first,
	// then the quad's fan (0 1 2), (0 2 3).
	const std::vector<uint32_t> expected = {1, 4, 2, 0, 1, 2, 0, 2, 3};
	EXPECT_EQ(loaded.Indices(), expected);
	ExpectNear(loaded.Position(4), 2.0f, 0.5f, 0.0f);

	ASSERT_EQ(loaded.materialCount, 2u);
	ASSERT_NE(loaded.materials, nullptr);
	const D3DXMATERIAL& red = loaded.Material(0);
	EXPECT_FLOAT_EQ(red.MatD3D.Diffuse.r, 1.0f);
	EXPECT_FLOAT_EQ(red.MatD3D.Diffuse.b, 0.0f);
	EXPECT_FLOAT_EQ(red.MatD3D.Power, 5.0f);
	EXPECT_FLOAT_EQ(red.MatD3D.Specular.g, 0.25f);
	EXPECT_EQ(red.pTextureFilename, nullptr);
	const D3DXMATERIAL& blue = loaded.Material(1);
	EXPECT_FLOAT_EQ(blue.MatD3D.Diffuse.b, 1.0f);
	EXPECT_FLOAT_EQ(blue.MatD3D.Diffuse.a, 0.5f);
	EXPECT_FLOAT_EQ(blue.MatD3D.Power, 20.0f);
	EXPECT_FLOAT_EQ(blue.MatD3D.Emissive.b, 0.5f);
	ASSERT_NE(blue.pTextureFilename, nullptr);
	EXPECT_STREQ(blue.pTextureFilename, "tex/blue.png");
	// The name lives inside the material buffer, so releasing it frees all.
	const auto* begin = static_cast<const char*>(loaded.materials->GetBufferPointer());
	EXPECT_GE(blue.pTextureFilename, begin);
	EXPECT_LT(blue.pTextureFilename, begin + loaded.materials->GetBufferSize());

	ASSERT_NE(loaded.adjacency, nullptr);
	ASSERT_EQ(loaded.adjacency->GetBufferSize(), 9 * sizeof(DWORD));
	const auto* adjacency = static_cast<const DWORD*>(loaded.adjacency->GetBufferPointer());
	const std::vector<DWORD> expectedAdjacency = {NONE, NONE, 1, NONE, 0, 2, 1, NONE, NONE};
	EXPECT_EQ(std::vector<DWORD>(adjacency, adjacency + 9), expectedAdjacency);
}

}  // namespace

TEST(XFileReader, TextFileGivesCountsMaterialsAndSortedTriangles) {
	ExpectQuadAndTriangle(LoadedMesh(Bytes(xsamples::QUAD_AND_TRIANGLE)));
}

TEST(XFileReader, BinaryFilesReadLikeTheTextOne) {
	ExpectQuadAndTriangle(LoadedMesh(xsamples::QuadAndTriangleBinary(false)));
	ExpectQuadAndTriangle(LoadedMesh(xsamples::QuadAndTriangleBinary(true)));
}

TEST(XFileReader, TextureCoordinatesFollowTheirVertices) {
	const LoadedMesh loaded(Bytes(xsamples::QUAD_AND_TRIANGLE));
	ASSERT_EQ(loaded.result, S_OK);
	void* data = nullptr;
	ASSERT_EQ(loaded.mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
	const float* vertex4 = reinterpret_cast<const float*>(static_cast<const uint8_t*>(data) + 4 * 20);
	const float* vertex1 = reinterpret_cast<const float*>(static_cast<const uint8_t*>(data) + 1 * 20);
	EXPECT_FLOAT_EQ(vertex4[3], 0.5f);
	EXPECT_FLOAT_EQ(vertex4[4], 0.5f);
	EXPECT_FLOAT_EQ(vertex1[3], 1.0f);
	EXPECT_FLOAT_EQ(vertex1[4], 1.0f);
	loaded.mesh->UnlockVertexBuffer();
}

TEST(XFileReader, ShortMaterialListRepeatsItsLastEntry) {
	const LoadedMesh loaded(Bytes(R"(xof 0303txt 0032
Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;
 MeshMaterialList { 2; 1; 1;;
  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }
  Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; }
 }
})"));
	ASSERT_EQ(loaded.result, S_OK);
	ASSERT_EQ(loaded.materialCount, 2u);
	// Both faces use material 1, so subset 1 holds them and the face order stays.
	const std::vector<uint32_t> expected = {0, 1, 2, 0, 2, 3};
	EXPECT_EQ(loaded.Indices(), expected);
}

TEST(XFileReader, NormalsSplitVerticesWhereFacesDisagree) {
	// Two triangles folded along the edge 0-2, each with its own face normal.
	const LoadedMesh loaded(Bytes(R"(xof 0303txt 0032
Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;1;;
 2; 3;0,1,2;, 3;0,2,3;;
 MeshNormals { 2; 0;0;-1;, -0.6;0;-0.8;; 2; 3;0,0,0;, 3;1,1,1;; }
})"));
	ASSERT_EQ(loaded.result, S_OK);
	EXPECT_EQ(loaded.mesh->GetFVF(), D3DFVF_XYZ | D3DFVF_NORMAL);
	// Corners 0 and 2 of the second face need copies carrying its normal.
	ASSERT_EQ(loaded.mesh->GetNumVertices(), 6u);
	const std::vector<uint32_t> indices = loaded.Indices();
	const std::vector<uint32_t> expected = {0, 1, 2, 4, 5, 3};
	ASSERT_EQ(indices, expected);
	for (uint32_t vertex : {0u, 1u, 2u}) {
		ExpectNear(loaded.Normal(vertex), 0.0f, 0.0f, -1.0f);
	}
	for (uint32_t vertex : {3u, 4u, 5u}) {
		ExpectNear(loaded.Normal(vertex), -0.6f, 0.0f, -0.8f);
	}
	ExpectNear(loaded.Position(4), 0.0f, 0.0f, 0.0f);
	ExpectNear(loaded.Position(5), 1.0f, 1.0f, 0.0f);
	// The split copies still join the two faces across their shared edge.
	const auto* adjacency = static_cast<const DWORD*>(loaded.adjacency->GetBufferPointer());
	EXPECT_EQ(adjacency[2], 1u);
	EXPECT_EQ(adjacency[3], 0u);
	EXPECT_EQ(loaded.materialCount, 0u);
}

TEST(XFileReader, FrameTransformsPlaceTheirMeshes) {
	// The outer frame moves by 10 along x; the inner one turns 90 degrees
	// about z and doubles the size. Its matrix comes after its mesh, which
	// it must still place. A mesh outside any frame stays where it is.
	const LoadedMesh loaded(Bytes(R"(xof 0303txt 0032
Frame Root {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
 Frame Arm {
  Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;;
   MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; }
  }
  FrameTransformMatrix { 0,2,0,0, -2,0,0,0, 0,0,2,0, 0,0,0,1;; }
 }
}
Mesh Loose { 3; 5;5;5;, 6;5;5;, 5;6;5;; 1; 3;0,1,2;; }
)"));
	ASSERT_EQ(loaded.result, S_OK);
	ASSERT_EQ(loaded.mesh->GetNumVertices(), 6u);
	ASSERT_EQ(loaded.mesh->GetNumFaces(), 2u);
	ExpectNear(loaded.Position(0), 10.0f, 2.0f, 0.0f);
	ExpectNear(loaded.Position(1), 8.0f, 0.0f, 0.0f);
	ExpectNear(loaded.Position(2), 10.0f, 0.0f, 2.0f);
	// Normals turn with the frame but keep unit length.
	ExpectNear(loaded.Normal(0), 0.0f, 1.0f, 0.0f);
	ExpectNear(loaded.Position(3), 5.0f, 5.0f, 5.0f);
	ExpectNear(loaded.Position(5), 5.0f, 6.0f, 5.0f);
}

TEST(XFileReader, MeshesWithoutMaterialsShareADefaultWhenOthersHaveSome) {
	const LoadedMesh loaded(Bytes(R"(xof 0303txt 0032
Mesh Plain { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
Mesh Coloured { 3; 0;0;1;, 1;0;1;, 0;1;1;; 1; 3;0,1,2;;
 MeshMaterialList { 1; 1; 0;; Material { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; } }
}
)"));
	ASSERT_EQ(loaded.result, S_OK);
	ASSERT_EQ(loaded.materialCount, 2u);
	EXPECT_FLOAT_EQ(loaded.Material(1).MatD3D.Diffuse.g, 1.0f);
	// Face 0 (default material) is the plain mesh's, face 1 the coloured one's.
	EXPECT_FLOAT_EQ(loaded.Position(loaded.Indices()[3]).z, 1.0f);
	EXPECT_FLOAT_EQ(loaded.Position(loaded.Indices()[0]).z, 0.0f);
}

TEST(XFileReader, UnknownObjectsAndTemplatesAreSkipped) {
	const LoadedMesh loaded(Bytes(R"(xof 0303txt 0064
template Custom { <11111111-2222-3333-4444-555555555555> DWORD a; [ Mesh ] }
AnimationSet Walk { Animation { { Arm } AnimationKey { 0; 1; 0; 4; 1,0,0,0;;; } } }
Mesh { 3; 0;0;0;, 1e0;0;0;, 0;+1.0;0;; 1; 3;0,1,2;;
 Custom { 7; Nested { 1; } }
 SkinWeights { "bone"; 0; ; ; }
}
)"));
	ASSERT_EQ(loaded.result, S_OK);
	EXPECT_EQ(loaded.mesh->GetNumFaces(), 1u);
	ExpectNear(loaded.Position(2), 0.0f, 1.0f, 0.0f);
}

TEST(XFileReader, CompressedFilesReadLikeThePlainOnes) {
	const std::vector<uint8_t> text = Bytes(xsamples::QUAD_AND_TRIANGLE);
	ExpectQuadAndTriangle(LoadedMesh(xsamples::Mszip(text)));
	// Small blocks: later blocks refer back into the ones before them, which
	// only the chained history resolves; the gain in size shows they do.
	const std::vector<uint8_t> chained = xsamples::Mszip(text, 64, true);
	const std::vector<uint8_t> separate = xsamples::Mszip(text, 64, false);
	EXPECT_LT(chained.size(), separate.size());
	ExpectQuadAndTriangle(LoadedMesh(chained));
	ExpectQuadAndTriangle(LoadedMesh(separate));

	for (bool doubles : {false, true}) {
		std::vector<uint8_t> binary = xsamples::Mszip(xsamples::QuadAndTriangleBinary(doubles), 50);
		ASSERT_EQ(std::string(binary.begin(), binary.begin() + 16), doubles ? "xof 0303bzip0064" : "xof 0303bzip0032");
		ExpectQuadAndTriangle(LoadedMesh(binary));
		std::memcpy(binary.data() + 4, "0302", 4);  // older exporters
		ExpectQuadAndTriangle(LoadedMesh(binary));
	}
}

TEST(XFileReader, CompressedFileOfSeveralFullBlocks) {
	// A 60 x 60 grid of quads in the text encoding, well over 32 KiB.
	constexpr int SIDE = 60;
	std::string text = "xof 0303txt 0032\nMesh Grid {\n" + std::to_string(SIDE * SIDE) + ";\n";
	for (int y = 0; y < SIDE; ++y) {
		for (int x = 0; x < SIDE; ++x) {
			text += std::to_string(x) + ".0;" + std::to_string(y) + ".0;" + std::to_string(x * y % 7) + ".5;,\n";
		}
	}
	text.resize(text.size() - 2);
	text += ";\n" + std::to_string((SIDE - 1) * (SIDE - 1)) + ";\n";
	for (int y = 0; y + 1 < SIDE; ++y) {
		for (int x = 0; x + 1 < SIDE; ++x) {
			const int corner = y * SIDE + x;
			text += "4;" + std::to_string(corner) + "," + std::to_string(corner + 1) + "," +
			        std::to_string(corner + SIDE + 1) + "," + std::to_string(corner + SIDE) + ";,\n";
		}
	}
	text.resize(text.size() - 2);
	text += ";\n}\n";
	ASSERT_GT(text.size(), 3u * 32768u);

	const std::vector<uint8_t> compressed = xsamples::Mszip(Bytes(text));
	const LoadedMesh loaded(compressed, D3DXMESH_32BIT);
	ASSERT_EQ(loaded.result, S_OK);
	EXPECT_EQ(loaded.mesh->GetNumVertices(), uint32_t(SIDE * SIDE));
	EXPECT_EQ(loaded.mesh->GetNumFaces(), uint32_t(2 * (SIDE - 1) * (SIDE - 1)));
	ExpectNear(loaded.Position(SIDE * SIDE - 1), SIDE - 1, SIDE - 1, (SIDE - 1) * (SIDE - 1) % 7 + 0.5f);
	ExpectNear(loaded.Position(SIDE * 40 + 13), 13.0f, 40.0f, 13 * 40 % 7 + 0.5f);
	const std::vector<uint32_t> indices = loaded.Indices();
	const std::vector<uint32_t> lastTriangle(indices.end() - 3, indices.end());
	const uint32_t corner = (SIDE - 2) * SIDE + SIDE - 2;
	EXPECT_EQ(lastTriangle, (std::vector<uint32_t>{corner, corner + SIDE + 1, corner + SIDE}));
}
