#include "platform/gpu/GLDevice.h"

#include "platform/gpu/GLErrors.h"

#include "platform/gpu/GLCubeTexture.h"
#include "platform/gpu/GLIndexBuffer.h"
#include "platform/gpu/GLObjectCounter.h"
#include "platform/gpu/GLSurface.h"
#include "platform/gpu/GLTexture.h"
#include "platform/gpu/GLVertexBuffer.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/PlatformWindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr HRESULT D3DERR_NOTFOUND = static_cast<HRESULT>(0x88760866u);

D3DMATRIX IdentityMatrix() {
	D3DMATRIX identity{};
	identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
	return identity;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
	D3DMATRIX product{};
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 4; ++column) {
			float sum = 0.0f;
			for (int k = 0; k < 4; ++k) {
				sum += a.m[row][k] * b.m[k][column];
			}
			product.m[row][column] = sum;
		}
	}
	return product;
}

void ColorToFloats(D3DCOLOR color, float out[4]) {
	out[0] = float((color >> 16) & 0xFF) / 255.0f;
	out[1] = float((color >> 8) & 0xFF) / 255.0f;
	out[2] = float(color & 0xFF) / 255.0f;
	out[3] = float((color >> 24) & 0xFF) / 255.0f;
}

float FloatFromBits(DWORD bits) {
	float value;
	std::memcpy(&value, &bits, sizeof value);
	return value;
}

GLenum CompareFunction(DWORD function) {
	switch (function) {
	case D3DCMP_NEVER: return GL_NEVER;
	case D3DCMP_LESS: return GL_LESS;
	case D3DCMP_EQUAL: return GL_EQUAL;
	case D3DCMP_LESSEQUAL: return GL_LEQUAL;
	case D3DCMP_GREATER: return GL_GREATER;
	case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
	case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
	default: return GL_ALWAYS;
	}
}

GLenum BlendFactor(DWORD blend) {
	switch (blend) {
	case D3DBLEND_ZERO: return GL_ZERO;
	case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
	case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
	case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
	case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
	case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
	case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
	case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
	case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
	case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
	default: return GL_ONE;
	}
}

GLenum BlendEquation(DWORD operation) {
	switch (operation) {
	case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
	case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
	case D3DBLENDOP_MIN: return GL_MIN;
	case D3DBLENDOP_MAX: return GL_MAX;
	default: return GL_FUNC_ADD;
	}
}

GLenum StencilOperation(DWORD operation) {
	switch (operation) {
	case D3DSTENCILOP_ZERO: return GL_ZERO;
	case D3DSTENCILOP_REPLACE: return GL_REPLACE;
	case D3DSTENCILOP_INCRSAT: return GL_INCR;
	case D3DSTENCILOP_DECRSAT: return GL_DECR;
	case D3DSTENCILOP_INVERT: return GL_INVERT;
	case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
	case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
	default: return GL_KEEP;
	}
}

GLenum AddressMode(DWORD address) {
	switch (address) {
	case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
	case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
	case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
	default: return GL_REPEAT;
	}
}

GLenum MinifyFilter(DWORD minFilter, DWORD mipFilter) {
	const bool linear = minFilter != D3DTEXF_POINT && minFilter != D3DTEXF_NONE;
	switch (mipFilter) {
	case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
	case D3DTEXF_LINEAR:
	case D3DTEXF_ANISOTROPIC: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
	default: return linear ? GL_LINEAR : GL_NEAREST;
	}
}

bool PrimitiveVertices(D3DPRIMITIVETYPE type, UINT primitives, GLenum& mode, GLsizei& vertices) {
	switch (type) {
	case D3DPT_POINTLIST: mode = GL_POINTS; vertices = GLsizei(primitives); break;
	case D3DPT_LINELIST: mode = GL_LINES; vertices = GLsizei(primitives * 2); break;
	case D3DPT_LINESTRIP: mode = GL_LINE_STRIP; vertices = GLsizei(primitives + 1); break;
	case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES; vertices = GLsizei(primitives * 3); break;
	case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP; vertices = GLsizei(primitives + 2); break;
	case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN; vertices = GLsizei(primitives + 2); break;
	default: return false;
	}
	return primitives > 0 && primitives < (1u << 24);
}

// Where each element of a flexible vertex format lies.
struct VertexLayout {
	UINT positionSize = 0;  // floats: 3, or 4 for pre-transformed
	UINT positionOffset = 0;
	int normalOffset = -1;
	int diffuseOffset = -1;
	int texCoordOffset[2] = {-1, -1};
	UINT texCoordSize[2] = {2, 2};
	UINT stride = 0;
};

VertexLayout LayoutOf(DWORD fvf) {
	VertexLayout layout;
	UINT offset = 0;
	if ((fvf & D3DFVF_XYZRHW) != 0) {
		layout.positionSize = 4;
	} else if ((fvf & D3DFVF_XYZ) != 0) {
		layout.positionSize = 3;
	}
	offset += layout.positionSize * 4;
	if ((fvf & D3DFVF_NORMAL) != 0) {
		layout.normalOffset = int(offset);
		offset += 12;
	}
	if ((fvf & D3DFVF_PSIZE) != 0) {
		offset += 4;
	}
	if ((fvf & D3DFVF_DIFFUSE) != 0) {
		layout.diffuseOffset = int(offset);
		offset += 4;
	}
	if ((fvf & D3DFVF_SPECULAR) != 0) {
		offset += 4;
	}
	const UINT texCoords = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
	for (UINT set = 0; set < texCoords; ++set) {
		// Two bits per set from bit 16: 0 two floats, 1 three, 2 four, 3 one.
		static constexpr UINT SIZES[4] = {2, 3, 4, 1};
		const UINT size = SIZES[(fvf >> (16 + set * 2)) & 3];
		if (set < 2) {
			layout.texCoordOffset[set] = int(offset);
			layout.texCoordSize[set] = size;
		}
		offset += size * 4;
	}
	layout.stride = offset;
	return layout;
}

enum AttributeLocation : GLuint {
	POSITION_LOCATION = 0,
	NORMAL_LOCATION = 1,
	TEXCOORD0_LOCATION = 2,
	DIFFUSE_LOCATION = 3,
	TEXCOORD1_LOCATION = 4,
};

// The device's own names: two framebuffers, the vertex array and the buffer
// behind user-pointer draws.
void CountDeviceObjects(void (*count)(GLObjectKind)) {
	count(GLObjectKind::Framebuffer);
	count(GLObjectKind::Framebuffer);
	count(GLObjectKind::VertexArray);
	count(GLObjectKind::Buffer);
}

template <typename T>
T* AsPlatform(IUnknown* object) {
	return object != nullptr ? dynamic_cast<T*>(object) : nullptr;
}

}  // namespace

GLDevice::GLDevice(SDL_Window* targetWindow, SDL_GLContext glContext) : window(targetWindow), context(glContext) {}

GLDevice::~GLDevice() {
	MakeCurrent();
	if (backBuffer != nullptr) {
		backBuffer->DestroyContained();
	}
	if (autoDepthStencil != nullptr) {
		autoDepthStencil->DestroyContained();
	}
	fixedFunction.Destroy();
	glDeleteSamplers(GLsizei(MAX_STAGES), samplers);
	glDeleteFramebuffers(1, &framebuffer);
	glDeleteFramebuffers(1, &readFramebuffer);
	glDeleteVertexArrays(1, &vertexArray);
	glDeleteBuffers(1, &userPointerBuffer);
	if (framebuffer != 0) {
		CountDeviceObjects(&GLObjectCounter::Deleted);
	}
	SDL_GL_MakeCurrent(window, nullptr);
	SDL_GL_DeleteContext(context);
	if (!presentParameters.Windowed) {
		if (HWND owner = PlatformWindowFromSdl(window)) {
			PlatformWindowSetFullScreenDesktop(owner, false);
		} else {
			SDL_SetWindowFullscreen(window, 0);
		}
	}
}

HRESULT GLDevice::Create(SDL_Window* window, GLContextRequest request, D3DPRESENT_PARAMETERS& parameters,
                         GLDevice** device) {
	if (window == nullptr || device == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*device = nullptr;
	if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) {
		return D3DERR_NOTAVAILABLE;
	}
	SDL_GL_ResetAttributes();
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	if (request == GLContextRequest::Accelerated) {
		SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
	} else if (request == GLContextRequest::Software) {
		SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 0);
	}
	const SDL_GLContext context = SDL_GL_CreateContext(window);
	if (context == nullptr) {
		return D3DERR_NOTAVAILABLE;
	}
	if (epoxy_gl_version() < 33) {
		SDL_GL_DeleteContext(context);
		return D3DERR_NOTAVAILABLE;
	}
	SDL_GL_SetSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);

	if (!parameters.Windowed && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
		// Full screen keeps the desktop's mode; Present scales into it.
		SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
	}
	if (parameters.Windowed || parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
		int width = 0;
		int height = 0;
		SDL_GetWindowSize(window, &width, &height);
		if (parameters.Windowed || parameters.BackBufferWidth == 0) {
			parameters.BackBufferWidth = UINT(std::max(width, 1));
		}
		if (parameters.Windowed || parameters.BackBufferHeight == 0) {
			parameters.BackBufferHeight = UINT(std::max(height, 1));
		}
	}
	if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) {
		parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
	}
	if (parameters.BackBufferCount == 0) {
		parameters.BackBufferCount = 1;
	}

	GLDevice* created = new GLDevice(window, context);
	if (!created->CreateObjects(parameters)) {
		created->Release();
		return D3DERR_NOTAVAILABLE;
	}
	*device = created;
	return S_OK;
}

bool GLDevice::CreateObjects(const D3DPRESENT_PARAMETERS& parameters) {
	presentParameters = parameters;
	ClearGLErrors();
	glPixelStorei(GL_PACK_ALIGNMENT, 1);
	glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
	glGenFramebuffers(1, &framebuffer);
	glGenFramebuffers(1, &readFramebuffer);
	glGenVertexArrays(1, &vertexArray);
	glBindVertexArray(vertexArray);
	glGenBuffers(1, &userPointerBuffer);
	CountDeviceObjects(&GLObjectCounter::Made);
	glGenSamplers(GLsizei(MAX_STAGES), samplers);
	pixelWork = PixelWorkEnabled();
	if (!pixelWork) {
		// Draws, clears and presents stop after their checks; anything that
		// still reaches the rasteriser is discarded before it.
		glEnable(GL_RASTERIZER_DISCARD);
	}
	anisotropy = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
	             epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
	if (!fixedFunction.Create()) {
		return false;
	}
	const D3DFORMAT colorFormat =
	    parameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
	backBuffer = GLSurface::CreateDeviceBuffer(*this, parameters.BackBufferWidth, parameters.BackBufferHeight,
	                                           colorFormat, D3DUSAGE_RENDERTARGET);
	if (backBuffer == nullptr) {
		return false;
	}
	if (parameters.EnableAutoDepthStencil) {
		autoDepthStencil = GLSurface::CreateDeviceBuffer(*this, parameters.BackBufferWidth,
		                                                 parameters.BackBufferHeight,
		                                                 parameters.AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL);
		if (autoDepthStencil == nullptr) {
			return false;
		}
	}
	renderTargets[0] = backBuffer;
	depthStencil = autoDepthStencil;
	SetDefaultState();
	return NoGLErrors();
}

void GLDevice::SetDefaultState() {
	DWORD* rs = renderStates;
	rs[D3DRS_ZENABLE] = autoDepthStencil != nullptr ? D3DZB_TRUE : D3DZB_FALSE;
	rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
	rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
	rs[D3DRS_ZWRITEENABLE] = TRUE;
	rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
	rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
	rs[D3DRS_CULLMODE] = D3DCULL_CCW;
	rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
	rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
	rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
	rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
	rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
	rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
	rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
	rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
	rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
	rs[D3DRS_LIGHTING] = TRUE;
	rs[D3DRS_COLORWRITEENABLE] = 0xF;
	rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
	rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
	rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
	rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
	for (DWORD stage = 0; stage < MAX_STAGES; ++stage) {
		stageStates[stage][D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
		stageStates[stage][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
		stageStates[stage][D3DTSS_COLORARG2] = D3DTA_CURRENT;
		stageStates[stage][D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
		stageStates[stage][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
		stageStates[stage][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
		samplerStates[stage][D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
		samplerStates[stage][D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
		samplerStates[stage][D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
		samplerStates[stage][D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
		samplerStates[stage][D3DSAMP_MINFILTER] = D3DTEXF_POINT;
		samplerStates[stage][D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
		samplerStates[stage][D3DSAMP_MAXANISOTROPY] = 1;
		samplerDirty[stage] = true;
	}
	viewport = D3DVIEWPORT9{0, 0, presentParameters.BackBufferWidth, presentParameters.BackBufferHeight, 0.0f, 1.0f};
	material = D3DMATERIAL9{};
	material.Diffuse = D3DCOLORVALUE{1, 1, 1, 1};
}

void GLDevice::MakeCurrent() const {
	if (SDL_GL_GetCurrentContext() != context) {
		SDL_GL_MakeCurrent(window, context);
	}
}

void GLDevice::Drain() {
	MakeCurrent();
	glFinish();
}

// ---------------------------------------------------------------------------
// Frames

HRESULT GLDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
	RunPendingEnd();
	if ((count > 0 && rects == nullptr) || renderTargets[0] == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	if (!DrawsPixels()) {
		return S_OK;
	}
	MakeCurrent();
	BindFramebuffer();
	GLbitfield mask = 0;
	if ((flags & D3DCLEAR_TARGET) != 0) {
		float rgba[4];
		ColorToFloats(color, rgba);
		glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
		glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
		mask |= GL_COLOR_BUFFER_BIT;
	}
	if ((flags & D3DCLEAR_ZBUFFER) != 0 && depthStencil != nullptr) {
		glClearDepth(std::clamp(z, 0.0f, 1.0f));
		glDepthMask(GL_TRUE);
		mask |= GL_DEPTH_BUFFER_BIT;
	}
	if ((flags & D3DCLEAR_STENCIL) != 0 && depthStencil != nullptr && depthStencil->HasStencil()) {
		glClearStencil(GLint(stencil & 0xFF));
		glStencilMask(0xFF);
		mask |= GL_STENCIL_BUFFER_BIT;
	}
	if (mask == 0) {
		return S_OK;
	}
	// Clears stay inside the viewport, and inside each rectangle when given.
	const LONG viewLeft = LONG(viewport.X);
	const LONG viewTop = LONG(viewport.Y);
	const LONG viewRight = LONG(viewport.X + viewport.Width);
	const LONG viewBottom = LONG(viewport.Y + viewport.Height);
	glEnable(GL_SCISSOR_TEST);
	const DWORD areas = count > 0 ? count : 1;
	for (DWORD i = 0; i < areas; ++i) {
		LONG left = viewLeft, top = viewTop, right = viewRight, bottom = viewBottom;
		if (count > 0) {
			left = std::max(left, rects[i].x1);
			top = std::max(top, rects[i].y1);
			right = std::min(right, rects[i].x2);
			bottom = std::min(bottom, rects[i].y2);
		}
		if (right <= left || bottom <= top) {
			continue;
		}
		glScissor(left, top, right - left, bottom - top);
		glClear(mask);
	}
	glDisable(GL_SCISSOR_TEST);
	return S_OK;
}

HRESULT GLDevice::BeginScene() {
	RunPendingEnd();
	if (inScene) {
		return D3DERR_INVALIDCALL;
	}
	inScene = true;
	return S_OK;
}

HRESULT GLDevice::EndScene() {
	RunPendingEnd();
	if (!inScene) {
		return D3DERR_INVALIDCALL;
	}
	inScene = false;
	return S_OK;
}

HRESULT GLDevice::Present(const RECT*, const RECT*, HWND, const void*) {
	RunPendingEnd();
	if (!DrawsPixels()) {
		framebufferDirty = true;
		if (PresentHook()) {
			PresentHook()();
		}
		return S_OK;
	}
	MakeCurrent();
	int windowWidth = 0;
	int windowHeight = 0;
	SDL_GL_GetDrawableSize(window, &windowWidth, &windowHeight);
	const UINT width = backBuffer->Width();
	const UINT height = backBuffer->Height();
	if (windowWidth > 0 && windowHeight > 0) {
		// Fit the back buffer inside the window, keeping its shape; bars stay black.
		const double scale = std::min(double(windowWidth) / width, double(windowHeight) / height);
		const GLint shownWidth = GLint(std::lround(width * scale));
		const GLint shownHeight = GLint(std::lround(height * scale));
		const GLint left = (windowWidth - shownWidth) / 2;
		const GLint bottom = (windowHeight - shownHeight) / 2;

		glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
		backBuffer->Attach(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0);
		glReadBuffer(GL_COLOR_ATTACHMENT0);
		glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
		glDisable(GL_SCISSOR_TEST);
		glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
		glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
		glClear(GL_COLOR_BUFFER_BIT);
		// The back buffer's first row is the top of the picture: flip it.
		const bool scaled = shownWidth != GLint(width) || shownHeight != GLint(height);
		glBlitFramebuffer(0, 0, GLint(width), GLint(height), left, bottom + shownHeight, left + shownWidth, bottom,
		                  GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
		glBindFramebuffer(GL_FRAMEBUFFER, 0);
	}
	SDL_GL_SwapWindow(window);
	framebufferDirty = true;
	if (PresentHook()) {
		PresentHook()();
	}
	return S_OK;
}

// ---------------------------------------------------------------------------
// States

HRESULT GLDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
	RunPendingEnd();
	if (DWORD(state) >= std::size(renderStates)) {
		return D3DERR_INVALIDCALL;
	}
	renderStates[state] = value;
	return S_OK;
}

HRESULT GLDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
	RunPendingEnd();
	if (value == nullptr || DWORD(state) >= std::size(renderStates)) {
		return D3DERR_INVALIDCALL;
	}
	*value = renderStates[state];
	return S_OK;
}

HRESULT GLDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
	RunPendingEnd();
	if (stage >= MAX_STAGES || DWORD(type) >= std::size(stageStates[0])) {
		return D3DERR_INVALIDCALL;
	}
	stageStates[stage][type] = value;
	return S_OK;
}

HRESULT GLDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
	if (value == nullptr || stage >= MAX_STAGES || DWORD(type) >= std::size(stageStates[0])) {
		return D3DERR_INVALIDCALL;
	}
	*value = stageStates[stage][type];
	return S_OK;
}

HRESULT GLDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
	RunPendingEnd();
	if (sampler >= MAX_STAGES || DWORD(type) >= std::size(samplerStates[0])) {
		return D3DERR_INVALIDCALL;
	}
	if (samplerStates[sampler][type] != value) {
		samplerStates[sampler][type] = value;
		samplerDirty[sampler] = true;
	}
	return S_OK;
}

HRESULT GLDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
	if (value == nullptr || sampler >= MAX_STAGES || DWORD(type) >= std::size(samplerStates[0])) {
		return D3DERR_INVALIDCALL;
	}
	*value = samplerStates[sampler][type];
	return S_OK;
}

HRESULT GLDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
	if (matrix == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	transforms[state] = *matrix;
	return S_OK;
}

HRESULT GLDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
	if (matrix == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	const auto found = transforms.find(state);
	*matrix = found != transforms.end() ? found->second : IdentityMatrix();
	return S_OK;
}

HRESULT GLDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
	if (light == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	lights[index].light = *light;
	return S_OK;
}

HRESULT GLDevice::GetLight(DWORD index, D3DLIGHT9* light) {
	const auto found = lights.find(index);
	if (light == nullptr || found == lights.end()) {
		return D3DERR_INVALIDCALL;
	}
	*light = found->second.light;
	return S_OK;
}

HRESULT GLDevice::LightEnable(DWORD index, BOOL enable) {
	auto found = lights.find(index);
	if (found == lights.end()) {
		// Enabling a light never set gives Direct3D's default: white, along +z.
		LightSlot slot;
		slot.light.Type = D3DLIGHT_DIRECTIONAL;
		slot.light.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
		slot.light.Direction = D3DVECTOR{0, 0, 1};
		found = lights.emplace(index, slot).first;
	}
	found->second.enabled = enable != FALSE;
	return S_OK;
}

HRESULT GLDevice::GetLightEnable(DWORD index, BOOL* enable) {
	const auto found = lights.find(index);
	if (enable == nullptr || found == lights.end()) {
		return D3DERR_INVALIDCALL;
	}
	*enable = found->second.enabled ? TRUE : FALSE;
	return S_OK;
}

HRESULT GLDevice::SetMaterial(const D3DMATERIAL9* newMaterial) {
	if (newMaterial == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	material = *newMaterial;
	return S_OK;
}

HRESULT GLDevice::SetViewport(const D3DVIEWPORT9* newViewport) {
	RunPendingEnd();
	if (newViewport == nullptr || newViewport->Width == 0 || newViewport->Height == 0) {
		return D3DERR_INVALIDCALL;
	}
	viewport = *newViewport;
	return S_OK;
}

HRESULT GLDevice::GetViewport(D3DVIEWPORT9* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*out = viewport;
	return S_OK;
}

// ---------------------------------------------------------------------------
// Targets

HRESULT GLDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
	RunPendingEnd();
	if (index >= MAX_RENDER_TARGETS) {
		return D3DERR_INVALIDCALL;
	}
	GLSurface* target = AsPlatform<GLSurface>(surface);
	if (surface != nullptr && (target == nullptr || target->IsDepthStencil())) {
		return D3DERR_INVALIDCALL;
	}
	if (target != nullptr) {
		D3DSURFACE_DESC desc;
		target->GetDesc(&desc);
		if ((desc.Usage & D3DUSAGE_RENDERTARGET) == 0) {
			return D3DERR_INVALIDCALL;
		}
	}
	if (index == 0) {
		if (target == nullptr) {
			return D3DERR_INVALIDCALL;
		}
		viewport = D3DVIEWPORT9{0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
	}
	renderTargets[index] = target;
	framebufferDirty = true;
	return S_OK;
}

HRESULT GLDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
	if (surface == nullptr || index >= MAX_RENDER_TARGETS) {
		return D3DERR_INVALIDCALL;
	}
	*surface = renderTargets[index];
	if (*surface == nullptr) {
		return D3DERR_NOTFOUND;
	}
	(*surface)->AddRef();
	return S_OK;
}

HRESULT GLDevice::SetDepthStencilSurface(IDirect3DSurface9* surface) {
	RunPendingEnd();
	GLSurface* target = AsPlatform<GLSurface>(surface);
	if (surface != nullptr && (target == nullptr || !target->IsDepthStencil())) {
		return D3DERR_INVALIDCALL;
	}
	depthStencil = target;
	framebufferDirty = true;
	return S_OK;
}

HRESULT GLDevice::GetDepthStencilSurface(IDirect3DSurface9** surface) {
	if (surface == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*surface = depthStencil;
	if (*surface == nullptr) {
		return D3DERR_NOTFOUND;
	}
	(*surface)->AddRef();
	return S_OK;
}

// ---------------------------------------------------------------------------
// Resources

HRESULT GLDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** texture, HANDLE*) {
	if (texture == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*texture = GLTexture::Create(*this, width, height, levels, usage, format, pool);
	return *texture != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT GLDevice::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DCubeTexture9** texture, HANDLE*) {
	if (texture == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*texture = GLCubeTexture::Create(*this, edgeLength, levels, usage, format, pool);
	return *texture != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT GLDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                            IDirect3DSurface9** surface, HANDLE*) {
	if (surface == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	MakeCurrent();
	*surface = GLSurface::CreateDepthStencil(*this, width, height, format);
	return *surface != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT GLDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD bufferFvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** buffer, HANDLE*) {
	if (buffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*buffer = GLVertexBuffer::Create(*this, length, usage, bufferFvf, pool);
	return *buffer != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT GLDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer9** buffer, HANDLE*) {
	if (buffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*buffer = GLIndexBuffer::Create(*this, length, usage, format, pool);
	return *buffer != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

void GLDevice::ForgetSurface(const GLSurface* surface) {
	for (GLSurface*& target : renderTargets) {
		if (target == surface) {
			target = nullptr;
			framebufferDirty = true;
		}
	}
	if (renderTargets[0] == nullptr && surface != backBuffer) {
		// Drawing must go somewhere: fall back to the back buffer.
		renderTargets[0] = backBuffer;
	}
	if (depthStencil == surface) {
		depthStencil = nullptr;
		framebufferDirty = true;
	}
}

void GLDevice::ForgetTexture(const IDirect3DBaseTexture9* texture) {
	for (IDirect3DBaseTexture9*& bound : textures) {
		if (bound == texture) {
			bound = nullptr;
		}
	}
}

void GLDevice::ForgetVertexBuffer(const GLVertexBuffer* buffer) {
	if (stream == buffer) {
		stream = nullptr;
	}
}

void GLDevice::ForgetIndexBuffer(const GLIndexBuffer* buffer) {
	if (indices == buffer) {
		indices = nullptr;
	}
}

// ---------------------------------------------------------------------------
// Drawing

HRESULT GLDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
	RunPendingEnd();
	if (stage >= MAX_STAGES || (texture != nullptr && AsPlatform<GLTextureBinding>(texture) == nullptr)) {
		return D3DERR_INVALIDCALL;
	}
	textures[stage] = texture;
	return S_OK;
}

HRESULT GLDevice::SetFVF(DWORD newFvf) {
	fvf = newFvf;
	return S_OK;
}

HRESULT GLDevice::SetStreamSource(UINT index, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
	GLVertexBuffer* vertices = AsPlatform<GLVertexBuffer>(buffer);
	if (index != 0 || (buffer != nullptr && vertices == nullptr)) {
		return D3DERR_INVALIDCALL;
	}
	stream = vertices;
	streamOffset = offset;
	streamStride = stride;
	return S_OK;
}

HRESULT GLDevice::SetIndices(IDirect3DIndexBuffer9* buffer) {
	GLIndexBuffer* indexBuffer = AsPlatform<GLIndexBuffer>(buffer);
	if (buffer != nullptr && indexBuffer == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	indices = indexBuffer;
	return S_OK;
}

HRESULT GLDevice::CheckDrawable() const {
	const VertexLayout layout = LayoutOf(fvf);
	return layout.positionSize != 0 && renderTargets[0] != nullptr ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT GLDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
	GLenum mode;
	GLsizei count;
	if (!PrimitiveVertices(type, primitiveCount, mode, count) || stream == nullptr || FAILED(CheckDrawable())) {
		return D3DERR_INVALIDCALL;
	}
	const UINT stride = streamStride != 0 ? streamStride : LayoutOf(fvf).stride;
	const uint64_t end = uint64_t(streamOffset) + (uint64_t(startVertex) + uint64_t(count)) * stride;
	if (end > stream->Size()) {
		return D3DERR_INVALIDCALL;
	}
	if (!DrawsPixels()) {
		return S_OK;
	}
	MakeCurrent();
	ApplyStateForDraw();
	glBindBuffer(GL_ARRAY_BUFFER, stream->Name());
	SetVertexAttributes(stride, streamOffset);
	glDrawArrays(mode, GLint(startVertex), count);
	return S_OK;
}

HRESULT GLDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT, UINT, UINT startIndex,
                                       UINT primitiveCount) {
	GLenum mode;
	GLsizei count;
	if (!PrimitiveVertices(type, primitiveCount, mode, count) || stream == nullptr || indices == nullptr ||
	    FAILED(CheckDrawable())) {
		return D3DERR_INVALIDCALL;
	}
	const uint64_t end = (uint64_t(startIndex) + uint64_t(count)) * indices->IndexSize();
	if (end > indices->Size()) {
		return D3DERR_INVALIDCALL;
	}
	if (!DrawsPixels()) {
		return S_OK;
	}
	const UINT stride = streamStride != 0 ? streamStride : LayoutOf(fvf).stride;
	MakeCurrent();
	ApplyStateForDraw();
	glBindBuffer(GL_ARRAY_BUFFER, stream->Name());
	SetVertexAttributes(stride, streamOffset);
	glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->Name());
	glDrawElementsBaseVertex(mode, count, indices->IndexType(),
	                         reinterpret_cast<const void*>(uintptr_t(startIndex) * indices->IndexSize()),
	                         baseVertexIndex);
	return S_OK;
}

HRESULT GLDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
	GLenum mode;
	GLsizei count;
	if (!PrimitiveVertices(type, primitiveCount, mode, count) || vertices == nullptr || stride == 0 ||
	    FAILED(CheckDrawable())) {
		return D3DERR_INVALIDCALL;
	}
	if (!DrawsPixels()) {
		return S_OK;
	}
	MakeCurrent();
	ApplyStateForDraw();
	glBindBuffer(GL_ARRAY_BUFFER, userPointerBuffer);
	glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(count) * stride), vertices, GL_STREAM_DRAW);
	SetVertexAttributes(stride, 0);
	glDrawArrays(mode, 0, count);
	return S_OK;
}

void GLDevice::SetVertexAttributes(UINT stride, uintptr_t offset) {
	const VertexLayout layout = LayoutOf(fvf);
	glBindVertexArray(vertexArray);
	auto floats = [&](GLuint location, GLint size, int elementOffset) {
		if (elementOffset < 0) {
			glDisableVertexAttribArray(location);
			return;
		}
		glEnableVertexAttribArray(location);
		glVertexAttribPointer(location, size, GL_FLOAT, GL_FALSE, GLsizei(stride),
		                      reinterpret_cast<const void*>(offset + uintptr_t(elementOffset)));
	};
	floats(POSITION_LOCATION, GLint(layout.positionSize), int(layout.positionOffset));
	floats(NORMAL_LOCATION, 3, layout.normalOffset);
	floats(TEXCOORD0_LOCATION, GLint(layout.texCoordSize[0]), layout.texCoordOffset[0]);
	floats(TEXCOORD1_LOCATION, GLint(layout.texCoordSize[1]), layout.texCoordOffset[1]);
	if (layout.diffuseOffset >= 0) {
		// A D3DCOLOR is the bytes B, G, R, A: GL reads them as BGRA.
		glEnableVertexAttribArray(DIFFUSE_LOCATION);
		glVertexAttribPointer(DIFFUSE_LOCATION, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, GLsizei(stride),
		                      reinterpret_cast<const void*>(offset + uintptr_t(layout.diffuseOffset)));
	} else {
		glDisableVertexAttribArray(DIFFUSE_LOCATION);
		glVertexAttrib4f(DIFFUSE_LOCATION, 1.0f, 1.0f, 1.0f, 1.0f);
	}
	if (layout.normalOffset < 0) {
		glVertexAttrib4f(NORMAL_LOCATION, 0.0f, 0.0f, 0.0f, 1.0f);
	}
}

// The pass an effect leaves begun for a run of draws ends before anything
// else draws, clears, presents, reads back, or reads or changes the states
// and targets it holds: to everyone else the device looks as if it had
// ended after its last draw.
void GLDevice::RunPendingEnd() {
	if (!pendingEnd) {
		return;
	}
	// Taken first: ending the pass restores render states through this device.
	std::function<void()> end = std::move(pendingEnd);
	pendingEnd = nullptr;
	end();
}

void GLDevice::ApplyStateForDraw() {
	RunPendingEnd();
	MakeCurrent();
	BindFramebuffer();
	glViewport(GLint(viewport.X), GLint(viewport.Y), GLsizei(viewport.Width), GLsizei(viewport.Height));
	glDepthRange(viewport.MinZ, viewport.MaxZ);
	ApplyRenderStates();
	const bool fixed = currentProgram == 0;
	ApplyTextures(fixed);
	if (fixed) {
		UseFixedFunction();
	} else {
		UseEffectProgram();
	}
	glBindVertexArray(vertexArray);
}

void GLDevice::BindFramebuffer() {
	glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
	if (!framebufferDirty) {
		return;
	}
	framebufferDirty = false;
	const GLSurface* first = renderTargets[0];
	GLenum drawBuffers[MAX_RENDER_TARGETS];
	for (DWORD i = 0; i < MAX_RENDER_TARGETS; ++i) {
		const GLSurface* target = renderTargets[i];
		// A target whose size differs from target 0 would shrink the drawable
		// area to the overlap; leave it out instead.
		const bool usable = target != nullptr && first != nullptr && target->Width() == first->Width() &&
		                    target->Height() == first->Height();
		if (usable) {
			target->Attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i);
			drawBuffers[i] = GL_COLOR_ATTACHMENT0 + i;
		} else {
			glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_RENDERBUFFER, 0);
			drawBuffers[i] = GL_NONE;
		}
	}
	glDrawBuffers(GLsizei(MAX_RENDER_TARGETS), drawBuffers);
	glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
	if (depthStencil != nullptr) {
		depthStencil->Attach(GL_FRAMEBUFFER,
		                     depthStencil->HasStencil() ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT);
	}
}

void GLDevice::ApplyRenderStates() {
	const DWORD* rs = renderStates;
	if (rs[D3DRS_ZENABLE] != D3DZB_FALSE) {
		glEnable(GL_DEPTH_TEST);
		glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
	} else {
		glDisable(GL_DEPTH_TEST);
	}
	glDepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE ? GL_TRUE : GL_FALSE);

	if (rs[D3DRS_ALPHABLENDENABLE] != FALSE) {
		glEnable(GL_BLEND);
		if (rs[D3DRS_SEPARATEALPHABLENDENABLE] != FALSE) {
			glBlendFuncSeparate(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]),
			                    BlendFactor(rs[D3DRS_SRCBLENDALPHA]), BlendFactor(rs[D3DRS_DESTBLENDALPHA]));
			glBlendEquationSeparate(BlendEquation(rs[D3DRS_BLENDOP]), BlendEquation(rs[D3DRS_BLENDOPALPHA]));
		} else {
			glBlendFunc(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]));
			glBlendEquation(BlendEquation(rs[D3DRS_BLENDOP]));
		}
	} else {
		glDisable(GL_BLEND);
	}

	// Clip y is flipped, which mirrors winding: Direct3D's clockwise front
	// faces are GL's counter-clockwise ones.
	glFrontFace(GL_CCW);
	switch (rs[D3DRS_CULLMODE]) {
	case D3DCULL_CW:
		glEnable(GL_CULL_FACE);
		glCullFace(GL_FRONT);
		break;
	case D3DCULL_CCW:
		glEnable(GL_CULL_FACE);
		glCullFace(GL_BACK);
		break;
	default:
		glDisable(GL_CULL_FACE);
		break;
	}

	const bool stencil = rs[D3DRS_STENCILENABLE] != FALSE && depthStencil != nullptr && depthStencil->HasStencil();
	if (stencil) {
		glEnable(GL_STENCIL_TEST);
		glStencilFunc(CompareFunction(rs[D3DRS_STENCILFUNC]), GLint(rs[D3DRS_STENCILREF] & 0xFF),
		              rs[D3DRS_STENCILMASK] & 0xFF);
		glStencilOp(StencilOperation(rs[D3DRS_STENCILFAIL]), StencilOperation(rs[D3DRS_STENCILZFAIL]),
		            StencilOperation(rs[D3DRS_STENCILPASS]));
		glStencilMask(rs[D3DRS_STENCILWRITEMASK] & 0xFF);
	} else {
		glDisable(GL_STENCIL_TEST);
	}

	const DWORD writes = rs[D3DRS_COLORWRITEENABLE];
	glColorMask((writes & D3DCOLORWRITEENABLE_RED) != 0, (writes & D3DCOLORWRITEENABLE_GREEN) != 0,
	            (writes & D3DCOLORWRITEENABLE_BLUE) != 0, (writes & D3DCOLORWRITEENABLE_ALPHA) != 0);

	switch (rs[D3DRS_FILLMODE]) {
	case D3DFILL_POINT: glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); break;
	case D3DFILL_WIREFRAME: glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); break;
	default: glPolygonMode(GL_FRONT_AND_BACK, GL_FILL); break;
	}
	glDisable(GL_SCISSOR_TEST);
}

void GLDevice::ApplyTextures(bool fixedFunction) {
	for (DWORD stage = 0; stage < MAX_STAGES; ++stage) {
		const GLTextureBinding* binding = AsPlatform<GLTextureBinding>(textures[stage]);
		// The built-in program reads stage 0 only; units of stages without a
		// texture are left as whoever bound them left them.
		if (binding == nullptr || (fixedFunction && stage > 0)) {
			continue;
		}
		UpdateSampler(stage);
		glActiveTexture(GL_TEXTURE0 + stage);
		glBindTexture(binding->Storage().Target(), binding->Storage().Name());
		glBindSampler(stage, samplers[stage]);
	}
	glActiveTexture(GL_TEXTURE0);
}

void GLDevice::UpdateSampler(DWORD stage) {
	if (!samplerDirty[stage]) {
		return;
	}
	samplerDirty[stage] = false;
	const DWORD* state = samplerStates[stage];
	const GLuint sampler = samplers[stage];
	glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
	                    GLint(MinifyFilter(state[D3DSAMP_MINFILTER], state[D3DSAMP_MIPFILTER])));
	glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
	                    state[D3DSAMP_MAGFILTER] == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR);
	glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GLint(AddressMode(state[D3DSAMP_ADDRESSU])));
	glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GLint(AddressMode(state[D3DSAMP_ADDRESSV])));
	glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GLint(AddressMode(state[D3DSAMP_ADDRESSW])));
	float border[4];
	ColorToFloats(state[D3DSAMP_BORDERCOLOR], border);
	glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
	const float bias = FloatFromBits(state[D3DSAMP_MIPMAPLODBIAS]);
	glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? std::clamp(bias, -16.0f, 16.0f) : 0.0f);
	// Direct3D's MAXMIPLEVEL names the largest level used, i.e. GL's minimum LOD.
	glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, float(std::min<DWORD>(state[D3DSAMP_MAXMIPLEVEL], 15)));
	if (anisotropy) {
		const bool anisotropic = state[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC;
		const float amount = anisotropic ? float(std::clamp<DWORD>(state[D3DSAMP_MAXANISOTROPY], 1, 16)) : 1.0f;
		glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, amount);
	}
}

void GLDevice::UseFixedFunction() {
	FixedFunctionSetup setup;
	const VertexLayout layout = LayoutOf(fvf);
	setup.preTransformed = layout.positionSize == 4;
	if (!setup.preTransformed) {
		D3DMATRIX world, view, projection;
		GetTransform(D3DTS_WORLD, &world);
		GetTransform(D3DTS_VIEW, &view);
		GetTransform(D3DTS_PROJECTION, &projection);
		setup.worldViewProjection = Multiply(Multiply(world, view), projection);
	}
	setup.viewport[0] = float(viewport.X);
	setup.viewport[1] = float(viewport.Y);
	setup.viewport[2] = float(viewport.Width);
	setup.viewport[3] = float(viewport.Height);
	const GLTextureBinding* binding = AsPlatform<GLTextureBinding>(textures[0]);
	setup.textured = binding != nullptr && binding->Storage().Target() == GL_TEXTURE_2D;
	setup.colorOp = stageStates[0][D3DTSS_COLOROP];
	setup.colorArg1 = stageStates[0][D3DTSS_COLORARG1];
	setup.colorArg2 = stageStates[0][D3DTSS_COLORARG2];
	setup.alphaOp = stageStates[0][D3DTSS_ALPHAOP];
	setup.alphaArg1 = stageStates[0][D3DTSS_ALPHAARG1];
	setup.alphaArg2 = stageStates[0][D3DTSS_ALPHAARG2];
	setup.textureFactor = renderStates[D3DRS_TEXTUREFACTOR];
	setup.alphaTest = renderStates[D3DRS_ALPHATESTENABLE] != FALSE;
	setup.alphaFunc = renderStates[D3DRS_ALPHAFUNC];
	setup.alphaRef = renderStates[D3DRS_ALPHAREF];
	fixedFunction.Use(setup);
}

void GLDevice::UseEffectProgram() {
	glUseProgram(currentProgram);
	auto found = viewportUniforms.find(currentProgram);
	if (found == viewportUniforms.end()) {
		found = viewportUniforms.emplace(currentProgram, glGetUniformLocation(currentProgram, "d3d_ViewportSize")).first;
	}
	if (found->second >= 0) {
		glUniform2f(found->second, float(viewport.Width), float(viewport.Height));
	}
}

// ---------------------------------------------------------------------------
// Read-back

bool GLDevice::ReadSurface(const GLSurface& surface, GLenum format, GLenum type, void* pixels) {
	RunPendingEnd();
	if (surface.IsDepthStencil()) {
		return false;
	}
	MakeCurrent();
	ClearGLErrors();
	glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
	surface.Attach(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0);
	glReadBuffer(GL_COLOR_ATTACHMENT0);
	const bool complete = glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
	if (complete) {
		// llvmpipe was seen handing back a picture several frames old without
		// this; read-backs are rare (screenshots, tests), so the stall is cheap.
		glFinish();
		glReadPixels(0, 0, GLsizei(surface.Width()), GLsizei(surface.Height()), format, type, pixels);
	}
	glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
	glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
	return complete && NoGLErrors();
}

bool GLDevice::ReadPixels(const GLSurface& surface, std::vector<uint8_t>& rgba, UINT& width, UINT& height) {
	width = surface.Width();
	height = surface.Height();
	rgba.assign(size_t(width) * height * 4, 0);
	if (!ReadSurface(surface, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data())) {
		rgba.clear();
		return false;
	}
	if (surface.IsOpaqueFormat()) {
		for (size_t i = 3; i < rgba.size(); i += 4) {
			rgba[i] = 0xFF;
		}
	}
	return true;
}

bool GLDevice::ReadFloats(const GLSurface& surface, std::vector<float>& values, UINT& width, UINT& height) {
	width = surface.Width();
	height = surface.Height();
	values.assign(size_t(width) * height, 0.0f);
	if (!ReadSurface(surface, GL_RED, GL_FLOAT, values.data())) {
		values.clear();
		return false;
	}
	return true;
}
