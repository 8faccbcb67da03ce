// A shader file that does not compile is reported in the shader error box
// with the compiler's text, and the objects built on it go on without it.

#include "render/EffectLoader.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using EffectLoaderTest = RenderTest;

TEST_F(EffectLoaderTest, AMissingFileShowsTheBoxAndGivesNoEffect) {
	const std::string path = (Folder() / "Absent.fx").string();
	EXPECT_EQ(LoadEffectReportingErrors(path.c_str()), nullptr);
	ASSERT_EQ(ShaderErrorBoxes(), 1u);
	const ScriptedSystemBackend::Question& box = backend.Questions().back();
	EXPECT_NE(box.text.find("Absent.fx"), std::string::npos) << box.text;
	EXPECT_EQ(box.type & 0xF, 0u);  // MB_OK
}

TEST_F(EffectLoaderTest, ACompileErrorShowsTheCompilersText) {
	const std::string path = WriteFile("Broken.fx", "vortane-effect 1\n"
	                                                "vertex VS <<<\nvoid main() { gl_Position = undefinedThing; }\n>>>\n"
	                                                "fragment FS <<<\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n>>>\n"
	                                                "technique Tech { pass P0 { VertexShader = VS; FragmentShader = FS; } }\n");
	EXPECT_EQ(LoadEffectReportingErrors(path.c_str()), nullptr);
	ASSERT_EQ(ShaderErrorBoxes(), 1u);
	EXPECT_NE(backend.Questions().back().text.find("undefinedThing"), std::string::npos)
	    << backend.Questions().back().text;
}

TEST_F(EffectLoaderTest, AGoodFileShowsNothing) {
	ID3DXEffect* effect = LoadEffectReportingErrors("Shader/Blur.fx");
	ASSERT_NE(effect, nullptr);
	EXPECT_EQ(ShaderErrorBoxes(), 0u);
	effect->Release();
}

}  // namespace
