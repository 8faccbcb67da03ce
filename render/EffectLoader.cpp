#include "render/EffectLoader.h"

#include "app/GraphicsDevice.h"
#include "platform/system/Win32.h"

#include <cstring>
#include <string>

namespace {

const char* const COMPILE_ERROR_CAPTION = "シェーダコンパイルエラー";

}  // namespace

ID3DXEffect* LoadEffectReportingErrors(const char* fileName) {
	ID3DXEffect* effect = nullptr;
	ID3DXBuffer* errors = nullptr;
	const HRESULT result = D3DXCreateEffectFromFileA(GraphicsDevice::Get().device, fileName, nullptr, nullptr, 0,
	                                                 nullptr, &effect, &errors);
	if (FAILED(result)) {
		effect = nullptr;
		if (errors != nullptr) {
			// The text is NUL-terminated, but a buffer without the NUL is not
			// read past its end.
			const char* bytes = static_cast<const char*>(errors->GetBufferPointer());
			const std::string text(bytes, strnlen(bytes, errors->GetBufferSize()));
			MessageBoxA(nullptr, text.c_str(), COMPILE_ERROR_CAPTION, MB_OK);
		}
	}
	SafeRelease(errors);
	return effect;
}
