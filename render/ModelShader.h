#pragma once
// The effect every model is drawn with: toon lighting through a ramp, an
// environment reflection, the shadow comparison and a glow output, plus an
// inverted-hull outline. Without a compiled effect the draws do nothing.

#include "app/Texture.h"
#include "platform/fx/D3DX9Effect.h"
#include "render/ViewFrustum.h"

#include <optional>

class Model;

class ModelShader {
public:
	ModelShader() = default;
	ModelShader(const ModelShader&) = delete;
	ModelShader& operator=(const ModelShader&) = delete;
	~ModelShader() { Release(); }

	// Compiles the effect (a failure shows the compiler's text and leaves
	// the effect null) and loads the ramps, the white texture and the cube map.
	void Init();
	// Sets "mW" for the next draws; callers use this rather than the effect
	// so that a shader that failed to compile is simply skipped, and so that
	// culling knows where the model is.
	void SetWorld(const D3DXMATRIX& world);
	// Every subset with "Tech", placed by the last SetWorld.
	void DrawModel(const Model& model);
	// The same draw, but "Tech" stays begun afterwards, so that a run of
	// batched draws (a thousand shots) begins and ends it once and each
	// draw only commits its parameters. The batch ends at this shader's
	// next other call, at EndBatch, and before anything else touches the
	// device; nothing drawn differs from DrawModel's.
	void DrawBatched(const Model& model);
	void EndBatch();
	// Every subset with "DepthTech": depth alone, exactly where "Tech" will
	// put it, so that a later DrawModel shades only what stays in view.
	void DrawDepth(const Model& model);
	// Every subset with "OutlineTech": size in world units, color 4 floats.
	void DrawOutline(const Model& model, float size, const float* color);
	// While every model drawn is opaque, "Tech" draws with blending off: at
	// alpha 1 the blend puts each fragment down unchanged, and costs the
	// software rasterizer a read of both targets for every pixel it shades.
	void SetEveryModelOpaque(bool opaque) { everyModelOpaque = opaque; }
	// While a view is set, a draw whose model lies wholly outside it (its
	// outline included) is left out: it could not reach a pixel of the
	// picture, and the rasterizer would still transform and clip every
	// triangle. Null draws everything again.
	void SetCullingView(const ViewFrustum* view);
	void Release();

	ID3DXEffect* effect = nullptr;
	Texture toonRamp;
	Texture toonRamp2;  // kept loaded, bound to nothing
	Texture whiteTexture;  // stands in for a material without texture
	IDirect3DCubeTexture9* environmentMap = nullptr;

private:
	// Material parameters, commit and draw for every subset, inside "Tech".
	void DrawSubsets(const Model& model);
	// Every subset inside technique's pass 0, with no parameter changes.
	void DrawBareSubsets(const char* technique, const Model& model);
	// "Tech" pass 0 begun and ended, with the blend suspended in between
	// while every model is opaque.
	void BeginTech();
	void EndTech(ID3DXEffect* begun);
	// True while culling, when the model at the current world lies outside
	// the view, widened by the reach of an outline of this size if given.
	bool OutsideView(const Model& model, std::optional<float> outlineSize = std::nullopt) const;

	ID3DXEffect* batchEffect = nullptr;  // begun in "Tech" pass 0, one reference held
	bool everyModelOpaque = false;
	std::optional<ViewFrustum> cullingView;
	D3DXMATRIX world{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // as last set
	bool blendSuspended = false;
	DWORD blendBeforeTech = TRUE;
};

// Enemy parts are outlined this wide and in this colour; the robot never is.
constexpr float ENEMY_OUTLINE_SIZE = 0.05f;
extern const float ENEMY_OUTLINE_COLOR[4];
