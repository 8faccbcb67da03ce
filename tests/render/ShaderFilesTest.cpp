// The three shader files compile on the device and offer every technique
// and parameter the render code and the battle set, with the right types.

#include "tests/render/RenderTestSupport.h"

#include "app/Texture.h"

namespace {

enum class Kind { Matrix, Vector4, Float, Texture2D, TextureCube };

struct Expected {
	const char* name;
	Kind kind;
};

class ShaderFilesTest : public RenderTest {
protected:
	ID3DXEffect* Compile(const char* file) {
		ID3DXEffect* effect = nullptr;
		ID3DXBuffer* errors = nullptr;
		const HRESULT result = D3DXCreateEffectFromFileA(Device(), file, nullptr, nullptr, 0, nullptr, &effect, &errors);
		std::string text;
		if (errors != nullptr) {
			text = static_cast<const char*>(errors->GetBufferPointer());
			errors->Release();
		}
		EXPECT_EQ(result, S_OK) << file << ": " << text;
		return SUCCEEDED(result) ? effect : nullptr;
	}

	// Setting a value of the declared type works; a wider value or another
	// kind is refused, which pins the type down.
	void ExpectParameter(ID3DXEffect* effect, const Expected& parameter) {
		SCOPED_TRACE(parameter.name);
		ASSERT_NE(effect->GetParameterByName(nullptr, parameter.name), nullptr);
		const float values[17] = {};
		const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
		switch (parameter.kind) {
		case Kind::Matrix:
			EXPECT_EQ(effect->SetMatrix(parameter.name, &identity), S_OK);
			break;
		case Kind::Vector4:
			EXPECT_EQ(effect->SetValue(parameter.name, values, 16), S_OK);
			EXPECT_NE(effect->SetValue(parameter.name, values, 20), S_OK);
			EXPECT_NE(effect->SetMatrix(parameter.name, &identity), S_OK);
			break;
		case Kind::Float:
			EXPECT_EQ(effect->SetFloat(parameter.name, 1.0f), S_OK);
			EXPECT_NE(effect->SetValue(parameter.name, values, 8), S_OK);
			break;
		case Kind::Texture2D:
			EXPECT_EQ(effect->SetTexture(parameter.name, flat.texture), S_OK);
			EXPECT_NE(effect->SetFloat(parameter.name, 1.0f), S_OK);
			EXPECT_EQ(effect->SetTexture(parameter.name, nullptr), S_OK);
			break;
		case Kind::TextureCube:
			ASSERT_NE(cube, nullptr);
			EXPECT_EQ(effect->SetTexture(parameter.name, cube), S_OK);
			EXPECT_NE(effect->SetFloat(parameter.name, 1.0f), S_OK);
			EXPECT_EQ(effect->SetTexture(parameter.name, nullptr), S_OK);
			break;
		}
	}

	void ExpectTechnique(ID3DXEffect* effect, const char* name) {
		SCOPED_TRACE(name);
		ASSERT_NE(effect->GetTechniqueByName(name), nullptr);
		ASSERT_EQ(effect->SetTechnique(name), S_OK);
		UINT passes = 0;
		ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
		EXPECT_GE(passes, 1u);
		EXPECT_EQ(effect->BeginPass(0), S_OK);
		effect->EndPass();
		effect->End();
	}

	void SetUp() override {
		RenderTest::SetUp();
		ASSERT_TRUE(flat.Create(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
		ASSERT_EQ(D3DXCreateCubeTextureFromFileA(Device(), "data/Texture/ConcreteMap.dds", &cube), S_OK);
	}

	void TearDown() override {
		SafeRelease(cube);
		flat.Release();
		RenderTest::TearDown();
	}

	Texture flat;
	IDirect3DCubeTexture9* cube = nullptr;
};

TEST_F(ShaderFilesTest, TheModelShaderOffersItsTechniquesAndParameters) {
	ID3DXEffect* effect = Compile("Shader/Modelsahder.fx");
	ASSERT_NE(effect, nullptr);
	ExpectTechnique(effect, "Tech");
	ExpectTechnique(effect, "OutlineTech");
	const Expected parameters[] = {
	    {"mW", Kind::Matrix},           {"mV", Kind::Matrix},
	    {"mP", Kind::Matrix},           {"mLightVP", Kind::Matrix},
	    {"LightDir", Kind::Vector4},    {"LightColor", Kind::Vector4},
	    {"LightAmbient", Kind::Vector4}, {"LightSpecular", Kind::Vector4},
	    {"CamPos", Kind::Vector4},      {"MateDiffuse", Kind::Vector4},
	    {"MateEmissive", Kind::Vector4}, {"MateSpecular", Kind::Vector4},
	    {"MateSpePower", Kind::Float},  {"OutlineSize", Kind::Float},
	    {"OutlineColor", Kind::Vector4}, {"ShadowTex", Kind::Texture2D},
	    {"MateDiffuseTex", Kind::Texture2D}, {"ToonTex", Kind::Texture2D},
	    {"CubeTex", Kind::TextureCube},
	};
	for (const Expected& parameter : parameters) {
		ExpectParameter(effect, parameter);
	}
	// The plain shader hands light direction and camera position over as
	// three floats.
	const float three[3] = {1, 2, 3};
	EXPECT_EQ(effect->SetValue("LightDir", three, 12), S_OK);
	EXPECT_EQ(effect->SetValue("CamPos", three, 12), S_OK);
	effect->Release();
}

TEST_F(ShaderFilesTest, TheOtherSpellingNamesTheSameFile) {
	ID3DXEffect* effect = Compile("Shader/ModelSahder.fx");
	ASSERT_NE(effect, nullptr);
	EXPECT_NE(effect->GetTechniqueByName("OutlineTech"), nullptr);
	effect->Release();
}

TEST_F(ShaderFilesTest, TheShadowShaderOffersItsTechniqueAndParameters) {
	ID3DXEffect* effect = Compile("Shader/ShadowMap.fx");
	ASSERT_NE(effect, nullptr);
	ExpectTechnique(effect, "Tech");
	const Expected parameters[] = {
	    {"mLV", Kind::Matrix}, {"mLP", Kind::Matrix}, {"mW", Kind::Matrix}, {"MeshTex", Kind::Texture2D}};
	for (const Expected& parameter : parameters) {
		ExpectParameter(effect, parameter);
	}
	effect->Release();
}

TEST_F(ShaderFilesTest, TheBlurShaderOffersItsTechniquesAndParameters) {
	ID3DXEffect* effect = Compile("Shader/Blur.fx");
	ASSERT_NE(effect, nullptr);
	ExpectTechnique(effect, "NormalTech");
	ExpectTechnique(effect, "XBlurTech");
	ExpectTechnique(effect, "YBlurTech");
	const Expected parameters[] = {
	    {"TexelSize", Kind::Vector4}, {"Color", Kind::Vector4}, {"InputTex", Kind::Texture2D}};
	for (const Expected& parameter : parameters) {
		ExpectParameter(effect, parameter);
	}
	effect->Release();
}

}  // namespace
