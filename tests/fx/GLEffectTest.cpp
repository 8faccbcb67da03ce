#include "platform/fx/D3DX9Effect.h"
#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GpuHooks.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr UINT SIZE = 64;

std::string TestData(const char* name) {
	return (std::filesystem::path(__FILE__).parent_path() / "data" / name).string();
}

struct ScreenVertex {
	float x, y, z, rhw;
};

struct TexturedScreenVertex {
	float x, y, z, rhw;
	float u, v;
};

struct Rgba {
	uint8_t r, g, b, a;
	bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
	return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

// One hidden window and device for every test: creating GL contexts is slow
// on the software rasterizer.
class GLEffectTest : public ::testing::Test {
protected:
	static void SetUpTestSuite() {
		ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
		window = SDL_CreateWindow("fx tests", 0, 0, SIZE, SIZE, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
		ASSERT_NE(window, nullptr) << SDL_GetError();
		D3DPRESENT_PARAMETERS parameters{};
		parameters.BackBufferWidth = SIZE;
		parameters.BackBufferHeight = SIZE;
		parameters.Windowed = TRUE;
		parameters.EnableAutoDepthStencil = TRUE;
		parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
		GLDevice* created = nullptr;
		ASSERT_EQ(GLDevice::Create(window, GLContextRequest::AnyRenderer, parameters, &created), S_OK);
		device = created;
	}

	static void TearDownTestSuite() {
		SafeRelease(device);
		if (window != nullptr) {
			SDL_DestroyWindow(window);
			window = nullptr;
		}
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
	}

	void SetUp() override {
		ASSERT_NE(device, nullptr);
		device->GetRenderTarget(0, &backBuffer);
	}

	void TearDown() override {
		if (backBuffer != nullptr) {
			device->SetRenderTarget(0, backBuffer);
		}
		device->SetRenderTarget(1, nullptr);
		SafeRelease(backBuffer);
		SafeRelease(effect);
	}

	void Load(const char* file) {
		ID3DXBuffer* errors = nullptr;
		const HRESULT result =
			D3DXCreateEffectFromFileA(device, TestData(file).c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
		std::string why = errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "";
		SafeRelease(errors);
		ASSERT_EQ(result, S_OK) << why;
		ASSERT_NE(effect, nullptr);
	}

	void LoadText(const std::string& text) {
		ID3DXBuffer* errors = nullptr;
		const HRESULT result = D3DXCreateEffect(device, text.data(), UINT(text.size()), nullptr, nullptr, 0, nullptr,
		                                        &effect, &errors);
		std::string why = errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "";
		SafeRelease(errors);
		ASSERT_EQ(result, S_OK) << why;
	}

	static void DrawScreenRect(float left, float top, float right, float bottom) {
		const ScreenVertex quad[4] = {
			{left, top, 0.5f, 1.0f}, {right, top, 0.5f, 1.0f}, {left, bottom, 0.5f, 1.0f}, {right, bottom, 0.5f, 1.0f}};
		device->SetFVF(D3DFVF_XYZRHW);
		ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), S_OK);
	}

	// Draws pass 0 of technique over the rectangle, between its own Begin/End.
	void DrawWith(const char* technique, float left, float top, float right, float bottom) {
		ASSERT_EQ(effect->SetTechnique(technique), S_OK);
		UINT passes = 0;
		ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
		ASSERT_EQ(effect->BeginPass(0), S_OK);
		DrawScreenRect(left, top, right, bottom);
		effect->EndPass();
		effect->End();
	}

	static void ClearTo(D3DCOLOR color) { device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1, 0); }

	static std::vector<uint8_t> Read(IDirect3DSurface9* surface) {
		std::vector<uint8_t> rgba;
		UINT width = 0;
		UINT height = 0;
		EXPECT_TRUE(ReadRenderTargetPixels(surface, rgba, width, height));
		EXPECT_EQ(width, SIZE);
		EXPECT_EQ(height, SIZE);
		rgba.resize(size_t(SIZE) * SIZE * 4);
		return rgba;
	}

	static Rgba At(const std::vector<uint8_t>& rgba, UINT x, UINT y) {
		const uint8_t* p = &rgba[(size_t(y) * SIZE + x) * 4];
		return {p[0], p[1], p[2], p[3]};
	}

	static IDirect3DTexture9* CreateTarget() {
		IDirect3DTexture9* texture = nullptr;
		EXPECT_EQ(device->CreateTexture(SIZE, SIZE, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
		                                &texture, nullptr),
		          S_OK);
		return texture;
	}

	static inline SDL_Window* window = nullptr;
	static inline IDirect3DDevice9* device = nullptr;
	IDirect3DSurface9* backBuffer = nullptr;
	ID3DXEffect* effect = nullptr;
};

const Rgba BLACK{0, 0, 0, 255};
const Rgba GREEN{0, 255, 0, 255};
const Rgba MAGENTA{255, 0, 255, 255};

}  // namespace

TEST_F(GLEffectTest, DrawsAPreTransformedQuadInTheColourSetByName) {
	Load("SolidColor.fx");
	const D3DXVECTOR4 green(0, 1, 0, 1);
	ASSERT_EQ(effect->SetVector("FillColor", &green), S_OK);
	ClearTo(D3DCOLOR_XRGB(0, 0, 0));
	device->BeginScene();
	DrawWith("Fill", 16, 8, 48, 24);
	device->EndScene();

	const std::vector<uint8_t> pixels = Read(backBuffer);
	EXPECT_EQ(At(pixels, 16, 8), GREEN) << "the top-left pixel of the rectangle is covered";
	EXPECT_EQ(At(pixels, 47, 23), GREEN);
	EXPECT_EQ(At(pixels, 48, 12), BLACK) << "the right edge is exclusive";
	EXPECT_EQ(At(pixels, 20, 24), BLACK) << "the bottom edge is exclusive";
	EXPECT_EQ(At(pixels, 15, 12), BLACK);
	EXPECT_EQ(At(pixels, 20, 40), BLACK) << "pixel rows count from the top";
}

TEST_F(GLEffectTest, ValuesChangedInsideAPassApplyAtCommitChanges) {
	Load("SolidColor.fx");
	const D3DXVECTOR4 green(0, 1, 0, 1);
	const D3DXVECTOR4 magenta(1, 0, 1, 1);
	ASSERT_EQ(effect->SetVector("FillColor", &green), S_OK);
	ClearTo(D3DCOLOR_XRGB(0, 0, 0));
	device->BeginScene();
	ASSERT_EQ(effect->SetTechnique("Fill"), S_OK);
	ASSERT_EQ(effect->Begin(nullptr, 0), S_OK);
	ASSERT_EQ(effect->BeginPass(0), S_OK);
	DrawScreenRect(0, 0, 32, 32);
	ASSERT_EQ(effect->SetVector("FillColor", &magenta), S_OK);
	ASSERT_EQ(effect->CommitChanges(), S_OK);
	DrawScreenRect(32, 32, 64, 64);
	EXPECT_EQ(effect->EndPass(), S_OK);
	EXPECT_EQ(effect->End(), S_OK);
	// Parameters persist: the next Begin still draws magenta.
	DrawWith("Fill", 32, 0, 64, 32);
	device->EndScene();

	const std::vector<uint8_t> pixels = Read(backBuffer);
	EXPECT_EQ(At(pixels, 10, 10), GREEN);
	EXPECT_EQ(At(pixels, 50, 50), MAGENTA);
	EXPECT_EQ(At(pixels, 50, 10), MAGENTA);
	EXPECT_EQ(At(pixels, 10, 50), BLACK);
}

TEST_F(GLEffectTest, FragmentOutputsOneAndTwoReachRenderTargetsZeroAndOne) {
	Load("SolidColor.fx");
	IDirect3DTexture9* first = CreateTarget();
	IDirect3DTexture9* second = CreateTarget();
	ASSERT_NE(first, nullptr);
	ASSERT_NE(second, nullptr);
	IDirect3DSurface9* firstSurface = nullptr;
	IDirect3DSurface9* secondSurface = nullptr;
	first->GetSurfaceLevel(0, &firstSurface);
	second->GetSurfaceLevel(0, &secondSurface);
	ASSERT_EQ(device->SetRenderTarget(0, firstSurface), S_OK);
	ASSERT_EQ(device->SetRenderTarget(1, secondSurface), S_OK);
	ClearTo(D3DCOLOR_XRGB(0, 0, 0));

	const D3DXVECTOR4 green(0, 1, 0, 1);
	const D3DXVECTOR4 magenta(1, 0, 1, 1);
	effect->SetVector("FillColor", &green);
	effect->SetVector("SecondColor", &magenta);
	device->BeginScene();
	DrawWith("TwoTargets", 0, 0, 32, 64);
	device->EndScene();

	const std::vector<uint8_t> color = Read(firstSurface);
	const std::vector<uint8_t> glow = Read(secondSurface);
	EXPECT_EQ(At(color, 10, 30), GREEN);
	EXPECT_EQ(At(glow, 10, 30), MAGENTA);
	EXPECT_EQ(At(color, 40, 30), BLACK);
	EXPECT_EQ(At(glow, 40, 30), BLACK);
	device->SetRenderTarget(1, nullptr);
	SafeRelease(firstSurface);
	SafeRelease(secondSurface);
	SafeRelease(first);
	SafeRelease(second);
}

TEST_F(GLEffectTest, SetMatrixTakesTheGamesRowVectorMatrices) {
	Load("SolidColor.fx");
	const D3DXVECTOR4 green(0, 1, 0, 1);
	effect->SetVector("FillColor", &green);
	// A square around the origin in clip space, moved by the world matrix.
	const D3DXVECTOR3 square[4] = {{-0.125f, 0.125f, 0.5f}, {0.125f, 0.125f, 0.5f},
	                               {-0.125f, -0.125f, 0.5f}, {0.125f, -0.125f, 0.5f}};
	auto drawMoved = [&](float x, float y) {
		D3DXMATRIX translation;
		D3DXMatrixTranslation(&translation, x, y, 0);
		ASSERT_EQ(effect->SetMatrix("mW", &translation), S_OK);
		ASSERT_EQ(effect->SetTechnique("World"), S_OK);
		effect->Begin(nullptr, 0);
		effect->BeginPass(0);
		device->SetFVF(D3DFVF_XYZ);
		device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(D3DXVECTOR3));
		effect->EndPass();
		effect->End();
	};
	ClearTo(D3DCOLOR_XRGB(0, 0, 0));
	device->BeginScene();
	drawMoved(0.5f, 0.0f);   // right of centre: pixels x 44..52, y 28..36
	drawMoved(-0.5f, 0.5f);  // up and left: clip y up is the top of the picture
	device->EndScene();

	const std::vector<uint8_t> pixels = Read(backBuffer);
	EXPECT_EQ(At(pixels, 48, 32), GREEN);
	EXPECT_EQ(At(pixels, 32, 32), BLACK) << "the untranslated square would be here";
	EXPECT_EQ(At(pixels, 16, 16), GREEN);
	EXPECT_EQ(At(pixels, 16, 48), BLACK);
}

TEST_F(GLEffectTest, PassStatesApplyAndEndRestoresThem) {
	Load("SolidColor.fx");
	device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
	device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
	device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
	ASSERT_EQ(effect->SetTechnique("Fill"), S_OK);
	ASSERT_EQ(effect->Begin(nullptr, 0), S_OK);
	ASSERT_EQ(effect->BeginPass(0), S_OK);
	DWORD cull = 0;
	DWORD z = 0;
	DWORD blend = 0;
	device->GetRenderState(D3DRS_CULLMODE, &cull);
	device->GetRenderState(D3DRS_ZENABLE, &z);
	EXPECT_EQ(cull, DWORD(D3DCULL_NONE));
	EXPECT_EQ(z, DWORD(D3DZB_FALSE));
	effect->EndPass();
	effect->End();
	device->GetRenderState(D3DRS_CULLMODE, &cull);
	device->GetRenderState(D3DRS_ZENABLE, &z);
	device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
	EXPECT_EQ(cull, DWORD(D3DCULL_CCW));
	EXPECT_EQ(z, DWORD(D3DZB_TRUE));
	EXPECT_EQ(blend, DWORD(TRUE)) << "a state the pass does not assign is left alone";

	ASSERT_EQ(effect->Begin(nullptr, D3DXFX_DONOTSAVESTATE), S_OK);
	effect->BeginPass(0);
	effect->EndPass();
	effect->End();
	device->GetRenderState(D3DRS_CULLMODE, &cull);
	EXPECT_EQ(cull, DWORD(D3DCULL_NONE)) << "nothing saved, nothing restored";
	device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
	device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
	device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

TEST_F(GLEffectTest, RunsEveryPassOfATwoPassTechnique) {
	LoadText(R"(vortane-effect 1
float4 Base;
vertex VS <<<
void main() { gl_Position = d3d_PreTransformed(inPosition); }
>>>
fragment BaseFS <<<
layout(location = 0) out vec4 color;
void main() { color = Base; }
>>>
fragment BlueFS <<<
layout(location = 0) out vec4 color;
void main() { color = vec4(0.0, 0.0, 1.0, 1.0); }
>>>
technique Layered {
	pass Base { VertexShader = VS; FragmentShader = BaseFS; AlphaBlendEnable = False; ZEnable = False; }
	pass Add {
		VertexShader = VS; FragmentShader = BlueFS;
		AlphaBlendEnable = True; SrcBlend = One; DestBlend = One; BlendOp = Add; ZEnable = False;
	}
}
)");
	const D3DXVECTOR4 red(1, 0, 0, 1);
	effect->SetVector("Base", &red);
	ClearTo(D3DCOLOR_XRGB(0, 0, 0));
	device->BeginScene();
	ASSERT_EQ(effect->SetTechnique(effect->GetTechniqueByName("Layered")), S_OK);
	UINT passes = 0;
	ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
	ASSERT_EQ(passes, 2u);
	for (UINT pass = 0; pass < passes; ++pass) {
		ASSERT_EQ(effect->BeginPass(pass), S_OK);
		DrawScreenRect(0, 0, 32, 32);
		ASSERT_EQ(effect->EndPass(), S_OK);
	}
	EXPECT_EQ(effect->BeginPass(2), D3DERR_INVALIDCALL);
	effect->End();
	device->EndScene();
	DWORD blend = TRUE;
	device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
	EXPECT_EQ(blend, DWORD(FALSE)) << "blending set by pass 1 is undone by End";
	EXPECT_EQ(At(Read(backBuffer), 10, 10), MAGENTA) << "red from pass 0 plus blue from pass 1";
}

TEST_F(GLEffectTest, SamplesTheTextureSetByNameAndNothingOnceUnset) {
	LoadText(R"(vortane-effect 1
texture Picture;
sampler PictureSampler { Texture = Picture; MinFilter = Point; MagFilter = Point; AddressU = Clamp; AddressV = Clamp; }
vertex VS <<<
out vec2 uv;
void main() { gl_Position = d3d_PreTransformed(inPosition); uv = inTexCoord0; }
>>>
fragment FS <<<
in vec2 uv;
layout(location = 0) out vec4 color;
void main() { color = texture(PictureSampler, uv); }
>>>
technique Show { pass P0 { VertexShader = VS; FragmentShader = FS; CullMode = None; ZEnable = False; } }
)");
	// 2x1 texture: left texel green, right texel magenta (memory order B G R A).
	IDirect3DTexture9* texture = nullptr;
	ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
	D3DLOCKED_RECT locked{};
	ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
	const DWORD texels[2] = {0xFF00FF00u, 0xFFFF00FFu};
	std::memcpy(locked.pBits, texels, sizeof(texels));
	texture->UnlockRect(0);

	auto drawTextured = [&](float left, float right, float top) {
		const TexturedScreenVertex quad[4] = {{left, top, 0.5f, 1, 0, 0},
		                                      {right, top, 0.5f, 1, 1, 0},
		                                      {left, top + 16, 0.5f, 1, 0, 1},
		                                      {right, top + 16, 0.5f, 1, 1, 1}};
		effect->Begin(nullptr, 0);
		effect->BeginPass(0);
		device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
		device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedScreenVertex));
		effect->EndPass();
		effect->End();
	};
	ClearTo(D3DCOLOR_XRGB(255, 255, 255));
	device->BeginScene();
	ASSERT_EQ(effect->SetTexture("Picture", texture), S_OK);
	drawTextured(0, 32, 0);
	ASSERT_EQ(effect->SetTexture("Picture", nullptr), S_OK);
	drawTextured(32, 64, 0);
	// A cube map cannot feed a 2D sampler: it binds nothing, as null does.
	IDirect3DCubeTexture9* cube = nullptr;
	ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr), S_OK);
	ASSERT_EQ(effect->SetTexture("Picture", texture), S_OK);
	drawTextured(0, 32, 32);  // the picture again, so the unit holds it
	ASSERT_EQ(effect->SetTexture("Picture", cube), S_OK);
	while (glGetError() != GL_NO_ERROR) {
	}
	drawTextured(32, 64, 32);
	EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "no attempt to bind a cube map as a 2D texture";
	device->EndScene();
	SafeRelease(cube);
	SafeRelease(texture);

	const std::vector<uint8_t> pixels = Read(backBuffer);
	EXPECT_EQ(At(pixels, 4, 8), GREEN);
	EXPECT_EQ(At(pixels, 28, 8), MAGENTA);
	const Rgba unbound = At(pixels, 40, 8);
	EXPECT_EQ(unbound.r, 0) << "an unset texture samples as black, not the old picture";
	EXPECT_EQ(unbound.g, 0);
	EXPECT_EQ(At(pixels, 4, 40), GREEN);
	const Rgba wrongShape = At(pixels, 40, 40);
	EXPECT_EQ(wrongShape.r, 0) << "a cube map on a 2D sampler reads nothing";
	EXPECT_EQ(wrongShape.g, 0);
}

TEST_F(GLEffectTest, UnknownNamesAndMisplacedCallsFailHarmlessly) {
	Load("SolidColor.fx");
	D3DXMATRIX identity;
	D3DXMatrixIdentity(&identity);
	const D3DXVECTOR4 vector(1, 2, 3, 4);
	const float three[3] = {1, 2, 3};
	EXPECT_EQ(effect->SetMatrix("NoSuchMatrix", &identity), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->SetVector("NoSuchVector", &vector), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->SetValue("NoSuchValue", three, sizeof(three)), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->SetFloat(nullptr, 1.0f), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->SetTexture("FillColor", nullptr), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->SetTechnique("NoSuchTechnique"), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->GetParameterByName(nullptr, "NoSuchParameter"), nullptr);
	EXPECT_EQ(effect->GetTechniqueByName("NoSuchTechnique"), nullptr);
	EXPECT_NE(effect->GetParameterByName(nullptr, "FillColor"), nullptr);
	EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL) << "no Begin yet";
	EXPECT_EQ(effect->CommitChanges(), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->EndPass(), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);
	ASSERT_EQ(effect->Begin(nullptr, 0), S_OK);
	EXPECT_EQ(effect->Begin(nullptr, 0), D3DERR_INVALIDCALL);
	EXPECT_EQ(effect->SetTechnique("World"), D3DERR_INVALIDCALL) << "not between Begin and End";
	EXPECT_EQ(effect->End(), S_OK);
}

TEST_F(GLEffectTest, FailuresReturnTheirReasonAsText) {
	ID3DXBuffer* errors = nullptr;
	EXPECT_TRUE(FAILED(D3DXCreateEffectFromFileA(device, TestData("Missing.fx").c_str(), nullptr, nullptr, 0,
	                                             nullptr, &effect, &errors)));
	EXPECT_EQ(effect, nullptr);
	ASSERT_NE(errors, nullptr);
	std::string text = static_cast<const char*>(errors->GetBufferPointer());
	EXPECT_EQ(errors->GetBufferSize(), text.size() + 1) << "the text and its NUL";
	EXPECT_NE(text.find("Missing.fx"), std::string::npos) << text;
	SafeRelease(errors);

	EXPECT_TRUE(FAILED(D3DXCreateEffectFromFileA(device, TestData("BrokenGlsl.fx").c_str(), nullptr, nullptr, 0,
	                                             nullptr, &effect, &errors)));
	EXPECT_EQ(effect, nullptr);
	ASSERT_NE(errors, nullptr);
	text = static_cast<const char*>(errors->GetBufferPointer());
	EXPECT_NE(text.find("FillColour"), std::string::npos) << "the compiler's own log: " << text;
	EXPECT_TRUE(text.find(":13(") != std::string::npos || text.find("(13)") != std::string::npos)
		<< "GLSL lines are the file's lines: " << text;
	EXPECT_NE(text.find("technique 'Fill', pass 'P0'"), std::string::npos) << text;
	SafeRelease(errors);

	const std::string unterminated = "vortane-effect 1\nfloat4 A\n";
	EXPECT_EQ(D3DXCreateEffect(device, unterminated.data(), UINT(unterminated.size()), nullptr, nullptr, 0, nullptr,
	                           &effect, &errors),
	          D3DXERR_INVALIDDATA);
	ASSERT_NE(errors, nullptr);
	text = static_cast<const char*>(errors->GetBufferPointer());
	EXPECT_NE(text.find("(3): expected ';'"), std::string::npos) << text;
	SafeRelease(errors);

	// Without an error buffer the failure is still reported, and nothing leaks.
	EXPECT_TRUE(FAILED(D3DXCreateEffectFromFileA(device, TestData("BrokenGlsl.fx").c_str(), nullptr, nullptr, 0,
	                                             nullptr, &effect, nullptr)));
	EXPECT_EQ(effect, nullptr);
}

TEST_F(GLEffectTest, ExtensionDirectivesInsideBlocksCompile) {
	// The directive sits after the generated uniforms unless the assembler
	// moves it up; GLSL refuses it there.
	LoadText(R"(vortane-effect 1
float4 FillColor = { 0, 1, 0, 1 };
glsl Gather <<<
#extension GL_ARB_texture_gather : enable
vec4 Tint() { return FillColor; }
>>>
vertex QuadVS <<<
void main() { gl_Position = d3d_PreTransformed(inPosition); }
>>>
fragment QuadFS <<<
layout(location = 0) out vec4 color;
void main() { color = Tint(); }
>>>
technique Fill {
	pass P0 {
		VertexShader = QuadVS;
		FragmentShader = QuadFS;
	}
}
)");
	ClearTo(D3DCOLOR_XRGB(0, 0, 0));
	device->BeginScene();
	DrawWith("Fill", 0, 0, SIZE, SIZE);
	device->EndScene();
	EXPECT_EQ(At(Read(backBuffer), 10, 10), GREEN);
}
