// Subsets drawn on the real device: each DrawSubset covers exactly its
// material's faces, and edits through a lock reach the GPU copy.

#include "XFileSamples.h"

#include "tests/gpu/GpuTestFixture.h"

namespace {

using MeshDrawTest = GpuTest;

constexpr Pixel BLACK{0, 0, 0, 255};
constexpr Pixel WHITE{255, 255, 255, 255};

// Two quads in clip space: the right one is the file's first face but uses
// material 1, the left one material 0, so sorting puts the left one first.
const char* TWO_QUADS = R"(xof 0303txt 0032
Mesh { 8;
 0.1;-0.5;0.5;, 0.9;-0.5;0.5;, 0.9;0.5;0.5;, 0.1;0.5;0.5;,
 -0.9;-0.5;0.5;, -0.1;-0.5;0.5;, -0.1;0.5;0.5;, -0.9;0.5;0.5;;
 2; 4;0,1,2,3;, 4;4,5,6,7;;
 MeshMaterialList { 2; 2; 1, 0;;
  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }
  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }
 }
})";

class SubsetDraw {
public:
	explicit SubsetDraw(IDirect3DDevice9* device) : device(device) {
		D3DMATRIX identity{};
		identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
		device->SetTransform(D3DTS_WORLD, &identity);
		device->SetTransform(D3DTS_VIEW, &identity);
		device->SetTransform(D3DTS_PROJECTION, &identity);
		device->SetRenderState(D3DRS_LIGHTING, FALSE);
		device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
		device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
		device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
		device->SetTexture(0, nullptr);
		device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
		device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
	}

	void Draw(ID3DXMesh* mesh, std::initializer_list<DWORD> subsets) {
		device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
		device->BeginScene();
		for (DWORD subset : subsets) {
			EXPECT_EQ(mesh->DrawSubset(subset), S_OK);
		}
		device->EndScene();
	}

private:
	IDirect3DDevice9* device;
};

ID3DXMesh* LoadOnDevice(IDirect3DDevice9* device) {
	const std::vector<uint8_t> file = xsamples::Bytes(TWO_QUADS);
	ID3DXMesh* mesh = nullptr;
	EXPECT_EQ(D3DXLoadMeshFromXInMemory(file.data(), DWORD(file.size()), D3DXMESH_MANAGED, device, nullptr, nullptr,
	                                    nullptr, nullptr, &mesh),
	          S_OK);
	return mesh;
}

}  // namespace

TEST_F(MeshDrawTest, EachSubsetDrawsOnlyItsMaterialsFaces) {
	ID3DXMesh* mesh = LoadOnDevice(Device());
	ASSERT_NE(mesh, nullptr);
	SubsetDraw draw(Device());

	draw.Draw(mesh, {1});
	PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(960, 360), WHITE);
	EXPECT_EQ(image.At(320, 360), BLACK);

	draw.Draw(mesh, {0});
	image = ReadBackBuffer();
	EXPECT_EQ(image.At(960, 360), BLACK);
	EXPECT_EQ(image.At(320, 360), WHITE);
	// Both triangles of the quad are drawn: corners on either side of the diagonal.
	EXPECT_EQ(image.At(100, 200), WHITE);
	EXPECT_EQ(image.At(540, 520), WHITE);

	// An attribute without faces draws nothing and succeeds.
	draw.Draw(mesh, {7});
	EXPECT_EQ(ReadBackBuffer().CountDifferent(0, 0, 1280, 720, BLACK), 0u);
	mesh->Release();
}

TEST_F(MeshDrawTest, LockedEditsAndClonesReachTheGpu) {
	ID3DXMesh* mesh = LoadOnDevice(Device());
	ASSERT_NE(mesh, nullptr);
	SubsetDraw draw(Device());
	IDirect3DVertexBuffer9* buffer = nullptr;
	ASSERT_EQ(mesh->GetVertexBuffer(&buffer), S_OK);
	ASSERT_NE(buffer, nullptr);
	buffer->Release();

	// Move the left quad (vertices 4 to 7) off the screen.
	void* data = nullptr;
	ASSERT_EQ(mesh->LockVertexBuffer(0, &data), S_OK);
	for (int vertex = 4; vertex < 8; ++vertex) {
		static_cast<float*>(data)[vertex * 3 + 1] += 10.0f;
	}
	ASSERT_EQ(mesh->UnlockVertexBuffer(), S_OK);
	draw.Draw(mesh, {0, 1});
	PixelImage image = ReadBackBuffer();
	EXPECT_EQ(image.At(320, 360), BLACK);
	EXPECT_EQ(image.At(960, 360), WHITE);

	// A clone made with the device draws in the map's vertex layout.
	ID3DXMesh* clone = nullptr;
	ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_NPATCHES, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
	                             Device(), &clone),
	          S_OK);
	draw.Draw(clone, {1});
	EXPECT_EQ(ReadBackBuffer().At(960, 360), WHITE);
	clone->Release();
	mesh->Release();
}
