// D3DXCreateEffect and D3DXCreateEffectFromFileA: read, parse, compile.

#include "platform/fx/D3DX9Effect.h"

#include "platform/fx/EffectFileParser.h"
#include "platform/fx/EffectTextBuffer.h"
#include "platform/fx/GLEffect.h"
#include "platform/system/DataPath.h"

#include <string>
#include <vector>

namespace {

// Hands the reason to a caller that asked for it, NUL-terminated.
void ReportError(const std::string& reason, ID3DXBuffer** errors) {
	if (errors == nullptr) {
		return;
	}
	*errors = new EffectTextBuffer(reason);
}

HRESULT CreateEffect(IDirect3DDevice9* device, const void* data, UINT bytes, const std::string& sourceName,
                     const D3DXMACRO* defines, ID3DXEffect** effect, ID3DXBuffer** errors) {
	if (errors != nullptr) {
		*errors = nullptr;
	}
	if (effect == nullptr || device == nullptr || (data == nullptr && bytes != 0)) {
		ReportError("invalid arguments", errors);
		return D3DERR_INVALIDCALL;
	}
	*effect = nullptr;
	EffectFileParser parser(sourceName);
	EffectSource source;
	if (!parser.Parse({static_cast<const uint8_t*>(data), bytes}, source)) {
		ReportError(parser.Error(), errors);
		return D3DXERR_INVALIDDATA;
	}
	std::string why;
	GLEffect* created = GLEffect::Create(device, std::move(source), defines, why);
	if (created == nullptr) {
		ReportError(sourceName + ": " + why, errors);
		return E_FAIL;
	}
	*effect = created;
	return S_OK;
}

}  // namespace

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, UINT bytes, const D3DXMACRO* defines,
                         ID3DXInclude* /*include*/, DWORD /*flags*/, ID3DXEffectPool* /*pool*/,
                         ID3DXEffect** effect, ID3DXBuffer** errors) {
	return CreateEffect(device, data, bytes, "effect", defines, effect, errors);
}

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR fileName, const D3DXMACRO* defines,
                                  ID3DXInclude* /*include*/, DWORD /*flags*/, ID3DXEffectPool* /*pool*/,
                                  ID3DXEffect** effect, ID3DXBuffer** errors) {
	if (effect != nullptr) {
		*effect = nullptr;
	}
	if (fileName == nullptr) {
		ReportError("no file name", errors);
		return D3DERR_INVALIDCALL;
	}
	std::vector<uint8_t> bytes;
	std::string why;
	if (!ReadDataFile(fileName, bytes, EffectFileLimits{}.maxBytes, why)) {
		ReportError(std::string(fileName) + ": " + why, errors);
		return D3DERR_NOTAVAILABLE;
	}
	return CreateEffect(device, bytes.data(), static_cast<UINT>(bytes.size()), fileName, defines, effect, errors);
}
