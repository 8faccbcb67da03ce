#pragma once
// A hidden window with the process-wide graphics device on it, the scripted
// system backend catching message boxes, small X files written on the fly,
// and an effect wrapper that records what the render code asks of it.

#include "app/GraphicsDevice.h"
#include "platform/fx/D3DX9Effect.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/PlatformWindow.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/SystemBackend.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline ULONG ReferenceCount(IUnknown* object) {
	object->AddRef();
	return object->Release();
}

struct Rgba {
	uint8_t r, g, b, a;
	int Brightness() const { return int(r) + int(g) + int(b); }
};

class RenderImage {
public:
	bool Read(IDirect3DSurface9* surface) { return ReadRenderTargetPixels(surface, rgba, width, height); }
	Rgba At(UINT x, UINT y) const {
		const uint8_t* p = rgba.data() + (size_t(y) * width + x) * 4;
		return Rgba{p[0], p[1], p[2], p[3]};
	}
	UINT Width() const { return width; }
	UINT Height() const { return height; }
	const std::vector<uint8_t>& Bytes() const { return rgba; }

private:
	std::vector<uint8_t> rgba;
	UINT width = 0;
	UINT height = 0;
};

class RenderTest : public ::testing::Test {
protected:
	void SetUp() override {
		SetSystemBackend(&backend);
		ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
		windowRecord.sdl = SDL_CreateWindow("render test", 0, 0, ScreenWidth(), 720,
		                                    SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
		ASSERT_NE(windowRecord.sdl, nullptr) << SDL_GetError();
		windowRecord.clientWidth = ScreenWidth();
		windowRecord.clientHeight = 720;
		ASSERT_TRUE(Graphics().Init(&windowRecord, ScreenWidth(), 720, D3DFMT_X8R8G8B8, false));
		Graphics().SetDefaultStates();
	}

	void TearDown() override {
		Graphics().Release();
		if (windowRecord.sdl != nullptr) {
			SDL_DestroyWindow(windowRecord.sdl);
		}
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
		SetSystemBackend(nullptr);
		if (!folder.empty()) {
			std::error_code ignored;
			std::filesystem::remove_all(folder, ignored);
		}
	}

	virtual int ScreenWidth() const { return 1280; }

	GraphicsDevice& Graphics() { return GraphicsDevice::Get(); }
	IDirect3DDevice9* Device() { return GraphicsDevice::Get().device; }

	// The shader error boxes shown so far.
	size_t ShaderErrorBoxes() const {
		size_t count = 0;
		for (const ScriptedSystemBackend::Question& box : backend.Questions()) {
			count += box.caption == "シェーダコンパイルエラー" ? 1 : 0;
		}
		return count;
	}

	// A folder of this test's own, removed afterwards.
	std::filesystem::path Folder() {
		if (folder.empty()) {
			folder = std::filesystem::temp_directory_path() /
			         ("vortane-render-" + std::to_string(::getpid()) + "-" +
			          ::testing::UnitTest::GetInstance()->current_test_info()->name());
			std::filesystem::create_directories(folder);
		}
		return folder;
	}

	std::string WriteFile(const std::string& relative, const std::string& contents) {
		const std::filesystem::path path = Folder() / relative;
		std::filesystem::create_directories(path.parent_path());
		std::ofstream(path, std::ios::binary) << contents;
		return path.string();
	}

	// Light 0 as the battle sets it up.
	void UseBattleLight() {
		Graphics().SetDirectionalLight(0, D3DXVECTOR3(0.5f, -1.0f, 1.0f), D3DXCOLOR(1, 1, 1, 1),
		                               D3DXCOLOR(0.3f, 0.3f, 0.3f, 0), D3DXCOLOR(1, 1, 1, 0));
	}

	ScriptedSystemBackend backend;
	PlatformWindow windowRecord;

private:
	std::filesystem::path folder;
};

// A quad of two triangles in the z = 0 plane from (-1, -1) to (1, 1),
// facing -z (towards a camera looking along +z), one material per triangle
// when twoMaterials, else one for both.
struct XMaterial {
	float r, g, b, a;
	float power;
	float specular[3];
	float emissive[3];
	std::string texture;  // empty: no TextureFilename
};

inline std::string QuadXFile(const std::vector<XMaterial>& materials) {
	std::string text = "xof 0303txt 0032\n";
	text += "Mesh quad {\n 4;\n -1.0;-1.0;0.0;,\n -1.0;1.0;0.0;,\n 1.0;1.0;0.0;,\n 1.0;-1.0;0.0;;\n";
	text += " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n";
	text += " MeshNormals {\n  1;\n  0.0;0.0;-1.0;;\n  2;\n  3;0,0,0;,\n  3;0,0,0;;\n }\n";
	text += " MeshTextureCoords {\n  4;\n  0.0;1.0;,\n  0.0;0.0;,\n  1.0;0.0;,\n  1.0;1.0;;\n }\n";
	const size_t count = materials.size();
	text += " MeshMaterialList {\n  " + std::to_string(count) + ";\n  2;\n";
	text += count > 1 ? "  0,\n  1;\n" : "  0,\n  0;\n";
	for (const XMaterial& m : materials) {
		auto f = [](float v) { return std::to_string(v); };
		text += "  Material {\n   " + f(m.r) + ";" + f(m.g) + ";" + f(m.b) + ";" + f(m.a) + ";;\n";
		text += "   " + f(m.power) + ";\n";
		text += "   " + f(m.specular[0]) + ";" + f(m.specular[1]) + ";" + f(m.specular[2]) + ";;\n";
		text += "   " + f(m.emissive[0]) + ";" + f(m.emissive[1]) + ";" + f(m.emissive[2]) + ";;\n";
		if (!m.texture.empty()) {
			text += "   TextureFilename { \"" + m.texture + "\"; }\n";
		}
		text += "  }\n";
	}
	text += " }\n}\n";
	return text;
}

inline XMaterial PlainMaterial(float r, float g, float b) { return XMaterial{r, g, b, 1, 10, {0, 0, 0}, {0, 0, 0}, ""}; }

// Forwards every call to a real effect and writes down what was asked.
class RecordingEffect : public ID3DXEffect {
public:
	struct Call {
		std::string what;   // "SetTechnique", "Begin", "BeginPass", "CommitChanges", "EndPass", "End", "SetTexture", ...
		std::string name;   // technique or parameter name
		IDirect3DBaseTexture9* texture = nullptr;
		D3DXVECTOR4 vector;
		float value = 0;
		D3DXMATRIX matrix;
	};

	explicit RecordingEffect(ID3DXEffect* inner) : inner(inner) {}

	ULONG AddRef() override { return ++references; }
	ULONG Release() override {
		const ULONG left = --references;
		if (left == 0) {
			inner->Release();
			delete this;
		}
		return left;
	}

	HRESULT SetTechnique(D3DXHANDLE technique) override {
		Record("SetTechnique", technique);
		return inner->SetTechnique(technique);
	}
	HRESULT Begin(UINT* passes, DWORD flags) override {
		Record("Begin", "");
		return inner->Begin(passes, flags);
	}
	HRESULT BeginPass(UINT pass) override {
		Record("BeginPass", std::to_string(pass).c_str());
		return inner->BeginPass(pass);
	}
	HRESULT CommitChanges() override {
		Record("CommitChanges", "");
		return inner->CommitChanges();
	}
	HRESULT EndPass() override {
		Record("EndPass", "");
		return inner->EndPass();
	}
	HRESULT End() override {
		Record("End", "");
		return inner->End();
	}
	HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override {
		Record("SetMatrix", parameter).matrix = *matrix;
		return inner->SetMatrix(parameter, matrix);
	}
	HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override {
		Call& call = Record("SetVector", parameter);
		call.vector = *vector;
		return inner->SetVector(parameter, vector);
	}
	HRESULT SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) override {
		Record("SetValue", parameter);
		return inner->SetValue(parameter, data, bytes);
	}
	HRESULT SetFloat(D3DXHANDLE parameter, float value) override {
		Record("SetFloat", parameter).value = value;
		return inner->SetFloat(parameter, value);
	}
	HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override {
		Record("SetTexture", parameter).texture = texture;
		return inner->SetTexture(parameter, texture);
	}
	D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override {
		return inner->GetParameterByName(parent, name);
	}
	D3DXHANDLE GetTechniqueByName(LPCSTR name) override { return inner->GetTechniqueByName(name); }

	// The calls of one kind, in order.
	std::vector<Call> Calls(const std::string& what) const {
		std::vector<Call> found;
		for (const Call& call : calls) {
			if (call.what == what) {
				found.push_back(call);
			}
		}
		return found;
	}
	// The kinds of the calls that frame a technique, in order.
	std::vector<std::string> Sequence() const {
		std::vector<std::string> sequence;
		for (const Call& call : calls) {
			if (call.what == "SetTechnique" || call.what == "Begin" || call.what == "BeginPass" ||
			    call.what == "EndPass" || call.what == "End") {
				sequence.push_back(call.what == "SetTechnique" ? "SetTechnique " + call.name : call.what);
			}
		}
		return sequence;
	}

	std::vector<Call> calls;

private:
	Call& Record(const std::string& what, D3DXHANDLE name) {
		calls.push_back(Call{what, name != nullptr ? name : "", nullptr, D3DXVECTOR4(), 0, D3DXMATRIX()});
		return calls.back();
	}

	ID3DXEffect* inner;
	ULONG references = 1;
};

// Replaces an owner's effect by a recorder around it, which takes over the
// owner's reference.
inline RecordingEffect* Record(ID3DXEffect*& effect) {
	RecordingEffect* recorder = new RecordingEffect(effect);
	effect = recorder;
	return recorder;
}

// A closed cube from -half to +half with one normal per corner, pointing
// out of the corner, so an inflated copy has no gaps at the edges.
inline std::string CubeXFile(float half, const XMaterial& material) {
	auto f = [](float v) { return std::to_string(v); };
	std::string text = "xof 0303txt 0032\nMesh cube {\n 8;\n";
	for (int i = 0; i < 8; ++i) {
		const float x = (i & 1) ? half : -half;
		const float y = (i & 2) ? half : -half;
		const float z = (i & 4) ? half : -half;
		text += " " + f(x) + ";" + f(y) + ";" + f(z) + (i < 7 ? ";,\n" : ";;\n");
	}
	// Clockwise seen from outside, as Direct3D's front faces are.
	const int faces[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 4, 6}, {0, 6, 2},
	                          {1, 3, 7}, {1, 7, 5}, {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3}};
	text += " 12;\n";
	for (int i = 0; i < 12; ++i) {
		text += " 3;" + std::to_string(faces[i][0]) + "," + std::to_string(faces[i][1]) + "," +
		        std::to_string(faces[i][2]) + (i < 11 ? ";,\n" : ";;\n");
	}
	const float n = 0.57735f;
	text += " MeshNormals {\n  8;\n";
	for (int i = 0; i < 8; ++i) {
		text += "  " + f((i & 1) ? n : -n) + ";" + f((i & 2) ? n : -n) + ";" + f((i & 4) ? n : -n) +
		        (i < 7 ? ";,\n" : ";;\n");
	}
	text += "  12;\n";
	for (int i = 0; i < 12; ++i) {
		text += "  3;" + std::to_string(faces[i][0]) + "," + std::to_string(faces[i][1]) + "," +
		        std::to_string(faces[i][2]) + (i < 11 ? ";,\n" : ";;\n");
	}
	text += " }\n MeshMaterialList {\n  1;\n  12;\n";
	for (int i = 0; i < 12; ++i) {
		text += i < 11 ? "  0,\n" : "  0;\n";
	}
	text += "  Material {\n   " + f(material.r) + ";" + f(material.g) + ";" + f(material.b) + ";" + f(material.a) +
	        ";;\n   " + f(material.power) + ";\n   " + f(material.specular[0]) + ";" + f(material.specular[1]) + ";" +
	        f(material.specular[2]) + ";;\n   " + f(material.emissive[0]) + ";" + f(material.emissive[1]) + ";" +
	        f(material.emissive[2]) + ";;\n  }\n }\n}\n";
	return text;
}

// Where a world point lands on a 1280 x 720 screen.
inline POINT ScreenPoint(const D3DXVECTOR3& world, const D3DXMATRIX& view, const D3DXMATRIX& projection,
                         float width = 1280, float height = 720) {
	const D3DXMATRIX viewProjection = view * projection;
	D3DXVECTOR3 clip;
	D3DXVec3TransformCoord(&clip, &world, &viewProjection);
	return POINT{LONG((clip.x * 0.5f + 0.5f) * width), LONG((0.5f - clip.y * 0.5f) * height)};
}
