#pragma once
// The Direct3D 9 device over an OpenGL 3.3 core context.
//
// The back buffer is an offscreen framebuffer of the back-buffer size that
// Present copies to the window (scaled and letterboxed when the sizes
// differ). Every framebuffer stores its top row first: programs flip clip y,
// so Direct3D's top-left origin holds for rendering, sampling and read-back.
// Render state is kept as Direct3D values and turned into GL state at each
// draw, for the built-in fixed-function program and effect programs alike.

#include "platform/gpu/GLFixedFunctionProgram.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/RefCounted.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

class GLSurface;
class GLVertexBuffer;
class GLIndexBuffer;
class GLTextureStorage;

// What kind of GL context a device creation asks SDL for.
enum class GLContextRequest {
	Accelerated,   // hardware: an accelerated visual is required
	AnyRenderer,   // hardware or not, whichever SDL finds
	Software,      // a software rasterizer
};

class GLDevice final : public RefCounted<IDirect3DDevice9> {
public:
	static constexpr DWORD MAX_STAGES = 8;
	static constexpr DWORD MAX_RENDER_TARGETS = 4;

	// Creates the context on window and the device; fills in the back-buffer
	// size (the window's client size when 0 or windowed) and format.
	static HRESULT Create(SDL_Window* window, GLContextRequest request, D3DPRESENT_PARAMETERS& parameters,
	                      GLDevice** device);

	HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
	HRESULT BeginScene() override;
	HRESULT EndScene() override;
	HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const void* dirtyRegion) override;

	HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
	HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
	HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
	HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
	HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
	HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;

	HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
	HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
	HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
	HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
	HRESULT LightEnable(DWORD index, BOOL enable) override;
	HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
	HRESULT SetMaterial(const D3DMATERIAL9* material) override;
	HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
	HRESULT GetViewport(D3DVIEWPORT9* viewport) override;

	HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
	HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
	HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
	HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;

	HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
	                      IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
	HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
	                          IDirect3DCubeTexture9** texture, HANDLE* sharedHandle) override;
	HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
	                                  DWORD multiSampleQuality, BOOL discard, IDirect3DSurface9** surface,
	                                  HANDLE* sharedHandle) override;
	HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
	                           HANDLE* sharedHandle) override;
	HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
	                          HANDLE* sharedHandle) override;

	HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
	HRESULT SetFVF(DWORD fvf) override;
	HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
	HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
	HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
	HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex, UINT numVertices,
	                             UINT startIndex, UINT primitiveCount) override;
	HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;

	// Platform-side services.
	void MakeCurrent() const;
	// Waits for GL to finish every command given so far.
	void Drain();
	IDirect3DBaseTexture9* Texture(DWORD stage) const { return stage < MAX_STAGES ? textures[stage] : nullptr; }
	// Program for the following draws; 0 selects the built-in fixed-function one.
	void UseProgram(GLuint program) { currentProgram = program; }
	GLuint CurrentProgram() const { return currentProgram; }
	DWORD Fvf() const { return fvf; }
	// Binds the framebuffer, program, render states, viewport and textures for a draw.
	void ApplyStateForDraw();
	// An effect's pass left begun across draws (see GpuSetPendingEnd); null
	// forgets it without running it.
	void SetPendingEnd(std::function<void()> end) { pendingEnd = std::move(end); }
	void RunPendingEnd();
	bool ReadPixels(const GLSurface& surface, std::vector<uint8_t>& rgba, UINT& width, UINT& height);
	bool ReadFloats(const GLSurface& surface, std::vector<float>& values, UINT& width, UINT& height);

	// Resources tell the device when they go, so that nothing stays bound.
	void ForgetSurface(const GLSurface* surface);
	void ForgetTexture(const IDirect3DBaseTexture9* texture);
	void ForgetVertexBuffer(const GLVertexBuffer* buffer);
	void ForgetIndexBuffer(const GLIndexBuffer* buffer);

private:
	struct LightSlot {
		D3DLIGHT9 light{};
		bool enabled = false;
	};

	GLDevice(SDL_Window* window, SDL_GLContext context);
	~GLDevice() override;

	bool CreateObjects(const D3DPRESENT_PARAMETERS& parameters);
	void SetDefaultState();
	void BindFramebuffer();
	void ApplyRenderStates();
	void ApplyTextures(bool fixedFunction);
	void UpdateSampler(DWORD stage);
	void UseFixedFunction();
	void UseEffectProgram();
	// Points the fixed attribute locations at vertices of the current FVF in
	// the bound array buffer, starting at offset.
	void SetVertexAttributes(UINT stride, uintptr_t offset);
	bool ReadSurface(const GLSurface& surface, GLenum format, GLenum type, void* pixels);
	HRESULT CheckDrawable() const;

	SDL_Window* window;
	SDL_GLContext context;
	D3DPRESENT_PARAMETERS presentParameters{};
	bool inScene = false;

	GLSurface* backBuffer = nullptr;
	GLSurface* autoDepthStencil = nullptr;
	GLSurface* renderTargets[MAX_RENDER_TARGETS] = {};
	GLSurface* depthStencil = nullptr;
	bool framebufferDirty = true;
	bool pixelWork = true;  // off: draws, clears and presents only check their arguments
	bool DrawsPixels() const { return pixelWork && !PictureSkipped(); }

	GLuint framebuffer = 0;
	GLuint readFramebuffer = 0;
	GLuint vertexArray = 0;
	GLuint userPointerBuffer = 0;  // DrawPrimitiveUP vertices
	GLuint samplers[MAX_STAGES] = {};
	bool samplerDirty[MAX_STAGES] = {};
	GLFixedFunctionProgram fixedFunction;
	GLuint currentProgram = 0;
	std::function<void()> pendingEnd;
	std::unordered_map<GLuint, GLint> viewportUniforms;
	bool anisotropy = false;

	DWORD renderStates[256] = {};
	DWORD stageStates[MAX_STAGES][33] = {};
	DWORD samplerStates[MAX_STAGES][14] = {};
	std::map<DWORD, D3DMATRIX> transforms;
	std::map<DWORD, LightSlot> lights;
	D3DMATERIAL9 material{};
	D3DVIEWPORT9 viewport{};

	IDirect3DBaseTexture9* textures[MAX_STAGES] = {};
	DWORD fvf = 0;
	GLVertexBuffer* stream = nullptr;
	UINT streamOffset = 0;
	UINT streamStride = 0;
	GLIndexBuffer* indices = nullptr;
};
