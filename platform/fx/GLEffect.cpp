#include "platform/fx/GLEffect.h"

#include "platform/fx/ShaderSourceAssembler.h"
#include "platform/gpu/GLTextureBinding.h"
#include "platform/gpu/GLTextureStorage.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/gpu/GpuProgramBinding.h"

#include <epoxy/gl.h>

#include <algorithm>

namespace {

GLint MinFilter(DWORD minFilter, DWORD mipFilter) {
	const bool linear = minFilter != D3DTEXF_POINT && minFilter != D3DTEXF_NONE;
	switch (mipFilter) {
	case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
	case D3DTEXF_LINEAR:
	case D3DTEXF_ANISOTROPIC: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
	default: return linear ? GL_LINEAR : GL_NEAREST;
	}
}

GLint Wrap(DWORD address) {
	switch (address) {
	case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
	case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
	case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
	default: return GL_REPEAT;
	}
}

// Effect samplers use units 8..15, clear of the device's texture stages 0..7,
// so a pass never disturbs what SetTexture bound. (d3d_ViewportSize is the
// device's to set, at each draw.)
constexpr unsigned FIRST_EFFECT_TEXTURE_UNIT = 8;

unsigned EffectTextureUnit(int sampler) { return FIRST_EFFECT_TEXTURE_UNIT + static_cast<unsigned>(sampler); }

}  // namespace

GLEffect* GLEffect::Create(IDirect3DDevice9* device, EffectSource source, const D3DXMACRO* defines,
                           std::string& error) {
	if (device == nullptr) {
		error = "no device";
		return nullptr;
	}
	GLEffect* effect = new GLEffect(device, std::move(source));
	if (!effect->Build(defines, error)) {
		effect->Release();
		return nullptr;
	}
	return effect;
}

GLEffect::GLEffect(IDirect3DDevice9* device_, EffectSource source_)
	: device(device_), source(std::move(source_)), parameters(source.parameters), pixelWork(PixelWorkEnabled()) {
	device->AddRef();
}

GLEffect::~GLEffect() {
	if (activePass >= 0) {
		GpuUseProgram(device, 0);  // never leave the device drawing with a deleted program
	}
	programs.clear();
	if (!samplerObjects.empty()) {
		glDeleteSamplers(static_cast<GLsizei>(samplerObjects.size()), samplerObjects.data());
	}
	device->Release();
}

bool GLEffect::Build(const D3DXMACRO* defines, std::string& error) {
	const ShaderSourceAssembler assembler(source, defines);
	for (const EffectTechniqueDecl& techniqueDecl : source.techniques) {
		programs.emplace_back();
		for (const EffectPassDecl& passDecl : techniqueDecl.passes) {
			auto pass = std::make_unique<PassProgram>();
			const std::string vertexText = assembler.Assemble(*source.FindBlock(passDecl.vertexBlock));
			const std::string fragmentText = assembler.Assemble(*source.FindBlock(passDecl.fragmentBlock));
			std::string log;
			if (!pass->program.Build(vertexText, fragmentText, log)) {
				error = "technique '" + techniqueDecl.name + "', pass '" + passDecl.name + "' (" +
				        passDecl.vertexBlock + ", " + passDecl.fragmentBlock + "):\n" + log;
				return false;
			}
			BindProgram(*pass);
			programs.back().push_back(std::move(pass));
		}
	}
	CreateSamplerObjects();
	return true;
}

// Ties the program's active uniforms to the parameters and samplers of the
// same names; uniforms the optimiser dropped simply have no binding.
void GLEffect::BindProgram(PassProgram& pass) {
	for (const GLProgram::Uniform& uniform : pass.program.Uniforms()) {
		const int parameter = parameters.Find(uniform.name.c_str());
		if (parameter >= 0) {
			pass.uniforms.push_back({parameter, uniform.location, uniform.type});
			continue;
		}
		for (size_t i = 0; i < source.samplers.size(); ++i) {
			const EffectSamplerDecl& sampler = source.samplers[i];
			if (sampler.name != uniform.name) {
				continue;
			}
			const bool cube = uniform.type == GL_SAMPLER_CUBE;
			pass.samplers.push_back({static_cast<int>(i), parameters.Find(sampler.texture.c_str()),
			                         uniform.location, cube ? unsigned(GL_TEXTURE_CUBE_MAP) : unsigned(GL_TEXTURE_2D)});
		}
	}
}

void GLEffect::CreateSamplerObjects() {
	samplerObjects.assign(source.samplers.size(), 0);
	if (samplerObjects.empty()) {
		return;
	}
	glGenSamplers(static_cast<GLsizei>(samplerObjects.size()), samplerObjects.data());
	const bool anisotropy = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
	                        epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
	for (size_t i = 0; i < samplerObjects.size(); ++i) {
		const EffectSamplerDecl& sampler = source.samplers[i];
		const GLuint object = samplerObjects[i];
		glSamplerParameteri(object, GL_TEXTURE_MIN_FILTER, MinFilter(sampler.minFilter, sampler.mipFilter));
		glSamplerParameteri(object, GL_TEXTURE_MAG_FILTER,
		                    sampler.magFilter == D3DTEXF_POINT || sampler.magFilter == D3DTEXF_NONE ? GL_NEAREST
		                                                                                            : GL_LINEAR);
		glSamplerParameteri(object, GL_TEXTURE_WRAP_S, Wrap(sampler.addressU));
		glSamplerParameteri(object, GL_TEXTURE_WRAP_T, Wrap(sampler.addressV));
		glSamplerParameteri(object, GL_TEXTURE_WRAP_R, Wrap(sampler.addressW));
		if (anisotropy && sampler.minFilter == D3DTEXF_ANISOTROPIC) {
			const float amount = static_cast<float>(std::clamp<DWORD>(sampler.maxAnisotropy, 1, 16));
			glSamplerParameterf(object, GL_TEXTURE_MAX_ANISOTROPY_EXT, amount);
		}
	}
}

int GLEffect::FindTechnique(D3DXHANDLE handle) const {
	if (handle == nullptr) {
		return -1;
	}
	for (size_t i = 0; i < source.techniques.size(); ++i) {
		if (source.techniques[i].name.c_str() == handle || source.techniques[i].name == handle) {
			return static_cast<int>(i);
		}
	}
	return -1;
}

HRESULT GLEffect::SetTechnique(D3DXHANDLE handle) {
	const int index = FindTechnique(handle);
	if (index < 0 || begun) {
		return D3DERR_INVALIDCALL;
	}
	technique = index;
	return S_OK;
}

HRESULT GLEffect::Begin(UINT* passes, DWORD flags) {
	// A pass left begun for a run of draws ends before this one saves states.
	GpuRunPendingEnd(device);
	if (begun) {
		return D3DERR_INVALIDCALL;
	}
	begun = true;
	restoreStatesAtEnd = (flags & D3DXFX_DONOTSAVESTATE) == 0;
	if (restoreStatesAtEnd) {
		SaveRenderStates();
	}
	if (passes != nullptr) {
		*passes = static_cast<UINT>(source.techniques[technique].passes.size());
	}
	return S_OK;
}

HRESULT GLEffect::BeginPass(UINT pass) {
	if (!begun || activePass >= 0 || pass >= programs[technique].size()) {
		return D3DERR_INVALIDCALL;
	}
	activePass = static_cast<int>(pass);
	for (const RenderStateAssignment& assignment : source.techniques[technique].passes[pass].states) {
		device->SetRenderState(assignment.state, assignment.value);
	}
	PassProgram& program = *programs[technique][pass];
	GpuUseProgram(device, program.program.Name());
	if (!UploadsAndBinds()) {
		return S_OK;
	}
	// The device binds the selected program only when it draws; uniforms go
	// to whichever program GL has current, so make it ours now.
	glUseProgram(program.program.Name());
	if (!program.samplerUnitsSet) {
		for (const SamplerBinding& sampler : program.samplers) {
			glUniform1i(sampler.location, EffectTextureUnit(sampler.sampler));
		}
		program.samplerUnitsSet = true;
	}
	return CommitChanges();
}

HRESULT GLEffect::CommitChanges() {
	if (activePass < 0) {
		return D3DERR_INVALIDCALL;
	}
	if (!UploadsAndBinds()) {
		return S_OK;
	}
	PassProgram& program = *programs[technique][activePass];
	glUseProgram(program.program.Name());
	UploadUniforms(program);
	BindTextures(program);
	return S_OK;
}

HRESULT GLEffect::EndPass() {
	if (activePass < 0) {
		return D3DERR_INVALIDCALL;
	}
	if (UploadsAndBinds()) {
		UnbindTextures(*programs[technique][activePass]);
	}
	GpuUseProgram(device, 0);
	activePass = -1;
	return S_OK;
}

HRESULT GLEffect::End() {
	if (!begun) {
		return D3DERR_INVALIDCALL;
	}
	if (activePass >= 0) {
		EndPass();
	}
	if (restoreStatesAtEnd) {
		RestoreRenderStates();
	}
	begun = false;
	return S_OK;
}

void GLEffect::SaveRenderStates() {
	savedStates.clear();
	for (const EffectPassDecl& pass : source.techniques[technique].passes) {
		for (const RenderStateAssignment& assignment : pass.states) {
			const bool known = std::any_of(savedStates.begin(), savedStates.end(),
			                               [&](const auto& saved) { return saved.first == assignment.state; });
			DWORD value = 0;
			if (!known && SUCCEEDED(device->GetRenderState(assignment.state, &value))) {
				savedStates.push_back({assignment.state, value});
			}
		}
	}
}

void GLEffect::RestoreRenderStates() {
	for (const auto& [state, value] : savedStates) {
		device->SetRenderState(state, value);
	}
	savedStates.clear();
}

void GLEffect::UploadUniforms(PassProgram& pass) {
	for (UniformBinding& binding : pass.uniforms) {
		const EffectParameterTable::Parameter& parameter = parameters.At(static_cast<size_t>(binding.parameter));
		if (binding.uploadedSerial == parameter.serial) {
			continue;
		}
		binding.uploadedSerial = parameter.serial;
		const float* value = parameter.value.data();
		switch (binding.glType) {
		case GL_FLOAT: glUniform1fv(binding.location, 1, value); break;
		case GL_FLOAT_VEC2: glUniform2fv(binding.location, 1, value); break;
		case GL_FLOAT_VEC3: glUniform3fv(binding.location, 1, value); break;
		case GL_FLOAT_VEC4: glUniform4fv(binding.location, 1, value); break;
		// The game's matrices are row-major for row vectors; transposing on
		// upload makes the GLSL matrix the same matrix, so v * M reads as in
		// the game's own code.
		case GL_FLOAT_MAT4: glUniformMatrix4fv(binding.location, 1, GL_TRUE, value); break;
		default: break;
		}
	}
}

void GLEffect::BindTextures(const PassProgram& pass) {
	for (const SamplerBinding& sampler : pass.samplers) {
		const unsigned unit = EffectTextureUnit(sampler.sampler);
		const GLTextureBinding* texture =
			sampler.parameter >= 0 ? parameters.At(static_cast<size_t>(sampler.parameter)).textureBinding : nullptr;
		// A texture of the wrong shape for its sampler binds nothing, as null does.
		const bool usable = texture != nullptr && texture->Storage().Target() == sampler.target;
		glActiveTexture(GL_TEXTURE0 + unit);
		glBindTexture(sampler.target, usable ? texture->Storage().Name() : 0);
		glBindSampler(unit, samplerObjects[static_cast<size_t>(sampler.sampler)]);
	}
	glActiveTexture(GL_TEXTURE0);
}

void GLEffect::UnbindTextures(const PassProgram& pass) {
	for (const SamplerBinding& sampler : pass.samplers) {
		const unsigned unit = EffectTextureUnit(sampler.sampler);
		glActiveTexture(GL_TEXTURE0 + unit);
		glBindTexture(sampler.target, 0);
		glBindSampler(unit, 0);
	}
	glActiveTexture(GL_TEXTURE0);
}

HRESULT GLEffect::SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) {
	return parameters.SetMatrix(parameter, matrix);
}

HRESULT GLEffect::SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) {
	return parameters.SetVector(parameter, vector);
}

HRESULT GLEffect::SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) {
	return parameters.SetValue(parameter, data, bytes);
}

HRESULT GLEffect::SetFloat(D3DXHANDLE parameter, float value) { return parameters.SetFloat(parameter, value); }

HRESULT GLEffect::SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) {
	return parameters.SetTexture(parameter, texture);
}

D3DXHANDLE GLEffect::GetParameterByName(D3DXHANDLE parent, LPCSTR name) {
	if (parent != nullptr || name == nullptr) {
		return nullptr;
	}
	const int index = parameters.Find(name);
	return index < 0 ? nullptr : parameters.HandleOf(index);
}

D3DXHANDLE GLEffect::GetTechniqueByName(LPCSTR name) {
	const int index = FindTechnique(name);
	return index < 0 ? nullptr : source.techniques[static_cast<size_t>(index)].name.c_str();
}
