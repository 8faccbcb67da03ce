#pragma once
// How programs other than the device's own (the effect framework's) draw
// through the device.
//
// - GpuUseProgram(device, program) selects the GL program for the draws that
//   follow; 0 returns to the device's built-in fixed-function emulation.
//   The program must stay alive while selected.
// - At each draw the device binds its framebuffer with every bound render
//   target (target i receives fragment output location i; a target whose size
//   differs from target 0 is left out), and applies the Direct3D render
//   states (blending incl. separate alpha, z enable/write/function, stencil,
//   cull mode, colour write mask, fill mode), the viewport and depth range.
// - Vertex attributes come from the FVF at fixed locations: 0 position (vec3,
//   or vec4 x y z rhw for D3DFVF_XYZRHW), 1 normal, 2 texcoord0, 3 diffuse
//   (vec4 from the D3DCOLOR, 1 when absent), 4 texcoord1.
// - Textures: every stage i given a texture with IDirect3DDevice9::SetTexture
//   is bound to texture unit i with a GL sampler object made from the
//   device's sampler states for stage i; units of stages without a texture
//   are left untouched. Effects bind their own samplers on units 8..15
//   (GpuTextureName/GpuTextureTarget), clear of the device's stages; the
//   device's uploads use a unit above 15.
// - Uniform "d3d_ViewportSize" (vec2, viewport width and height in pixels) is
//   set on the program at each draw when the program declares it. The effect
//   framework's helper vec4 d3d_PreTransformed(vec4 xyzrhw) uses it to turn
//   pre-transformed pixels into Direct3D clip space:
//   w = 1 / rhw; ((x / W * 2 - 1) * w, (1 - y / H * 2) * w, z * w, w).
// - Clip space: effect vertex shaders produce Direct3D clip coordinates; the
//   effect framework appends to every vertex shader the conversion
//   gl_Position.y = -gl_Position.y; gl_Position.z = 2 * gl_Position.z - gl_Position.w;
//   the device does not flip again for effect programs. The flip makes every
//   render target store its top row first, so v = 0 samples the top row of
//   render-target and loaded textures alike, and Direct3D's clockwise front
//   faces stay front faces under the device's cull-mode mapping.

#include "platform/gpu/D3D9.h"

#include <functional>

class GLTextureBinding;

void GpuUseProgram(IDirect3DDevice9* device, unsigned program);

// An effect pass kept begun across a run of draws (one model drawn many times)
// leaves its ending with the device, which runs it once before anything else
// draws, clears, presents, reads back, reads or changes render, sampler or
// stage states, textures, viewport or targets, or another effect begins.
// The owner removes it (null) around its own draws in the run and sets it
// again after. GpuRunPendingEnd runs it now.
void GpuSetPendingEnd(IDirect3DDevice9* device, std::function<void()> end);
void GpuRunPendingEnd(IDirect3DDevice9* device);

// GL texture name and target (GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP); 0 for null.
unsigned GpuTextureName(IDirect3DBaseTexture9* texture);
unsigned GpuTextureTarget(IDirect3DBaseTexture9* texture);
// The texture's GL side, for holders that look it up once per texture rather
// than once per draw; null for null or a texture of another device kind.
const GLTextureBinding* GpuTextureBinding(IDirect3DBaseTexture9* texture);

// Binds framebuffer, states, viewport, textures and program as a draw would,
// for callers that issue their own GL draw calls.
void GpuApplyStateForDraw(IDirect3DDevice9* device);
