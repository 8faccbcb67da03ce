#include "app/PlainShader.h"

#include "app/GraphicsDevice.h"
#include "platform/system/Win32.h"

#include <string>

namespace {

const char* const EFFECT_FILE = "Shader/ModelSahder.fx";
const char* const COMPILE_ERROR_CAPTION = "シェーダコンパイルエラー";

}  // namespace

bool PlainShader::Init() {
	Release();
	ID3DXBuffer* errors = nullptr;
	const HRESULT result = D3DXCreateEffectFromFileA(GraphicsDevice::Get().device, EFFECT_FILE, nullptr, nullptr, 0,
	                                                 nullptr, &effect, &errors);
	if (FAILED(result)) {
		effect = nullptr;
		if (errors != nullptr) {
			const char* bytes = static_cast<const char*>(errors->GetBufferPointer());
			const std::string text(bytes, errors->GetBufferSize());
			MessageBoxA(nullptr, text.c_str(), COMPILE_ERROR_CAPTION, MB_OK);
		}
		SafeRelease(errors);
		return false;
	}
	SafeRelease(errors);
	if (!texture.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) {
		return false;
	}
	return texture.Fill(0xFFFFFFFF, 0);
}

void PlainShader::Release() {
	SafeRelease(effect);
	texture.Release();
}
