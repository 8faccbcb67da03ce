#pragma once
// ID3DXEffect over OpenGL: one GLProgram per pass, the parameter values in
// an EffectParameterTable, pass render states set through the device's own
// SetRenderState so that they behave like any other state the game sets.

#include "platform/fx/D3DX9Effect.h"
#include "platform/fx/EffectParameterTable.h"
#include "platform/fx/EffectSource.h"
#include "platform/fx/GLProgram.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/RefCounted.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class GLEffect : public RefCounted<ID3DXEffect> {
public:
	// Compiles and links every pass; null with the reason (the GLSL log
	// naming the technique and pass) when one fails.
	static GLEffect* Create(IDirect3DDevice9* device, EffectSource source, const D3DXMACRO* defines,
	                        std::string& error);

	HRESULT SetTechnique(D3DXHANDLE technique) override;
	HRESULT Begin(UINT* passes, DWORD flags) override;
	HRESULT BeginPass(UINT pass) override;
	HRESULT CommitChanges() override;
	HRESULT EndPass() override;
	HRESULT End() override;

	HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override;
	HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override;
	HRESULT SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) override;
	HRESULT SetFloat(D3DXHANDLE parameter, float value) override;
	HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override;

	D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override;
	D3DXHANDLE GetTechniqueByName(LPCSTR name) override;

private:
	struct UniformBinding {
		int parameter;
		int location;
		unsigned glType;
		uint64_t uploadedSerial = 0;
	};
	struct SamplerBinding {
		int sampler;
		int parameter;
		int location;
		unsigned target;  // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP
	};
	struct PassProgram {
		GLProgram program;
		std::vector<UniformBinding> uniforms;
		std::vector<SamplerBinding> samplers;
		bool samplerUnitsSet = false;
	};

	GLEffect(IDirect3DDevice9* device, EffectSource source);
	~GLEffect() override;

	bool Build(const D3DXMACRO* defines, std::string& error);
	void BindProgram(PassProgram& pass);
	void CreateSamplerObjects();
	int FindTechnique(D3DXHANDLE handle) const;

	void UploadUniforms(PassProgram& pass);
	void BindTextures(const PassProgram& pass);
	void UnbindTextures(const PassProgram& pass);
	void SaveRenderStates();
	void RestoreRenderStates();

	IDirect3DDevice9* device;  // one reference held
	EffectSource source;
	EffectParameterTable parameters;
	std::vector<unsigned> samplerObjects;                    // one per sampler declaration
	std::vector<std::vector<std::unique_ptr<PassProgram>>> programs;  // [technique][pass]

	int technique = 0;
	bool begun = false;
	int activePass = -1;
	// Made while pixel work is off: passes keep their states and checks but
	// upload and bind nothing, since no draw will read them.
	const bool pixelWork;
	bool UploadsAndBinds() const { return pixelWork && !PictureSkipped(); }
	bool restoreStatesAtEnd = false;
	std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> savedStates;
};
