#pragma once
// Observation points on the GPU device for the headless runner, screenshots
// and tests.

#include "platform/gpu/D3D9.h"

#include <cstdint>
#include <functional>
#include <vector>

// Runs after every Present, once the frame is on the window; empty to remove.
void SetPresentHook(std::function<void()> hook);
const std::function<void()>& PresentHook();

// Devices created while this is off rasterise nothing: every call keeps its
// bookkeeping, but no fragment is shaded, no clear or draw touches a pixel.
// For runs that need the game's frames and none of its pictures.
void SetPixelWorkEnabled(bool enabled);
bool PixelWorkEnabled();

// While on, every device and effect checks and books each call as usual but
// draws, clears, presents and uploads nothing: a frame the game runs only to
// keep its clock, whose picture nobody would see.
void SetPictureSkipped(bool skipped);
bool PictureSkipped();

// Waits until the device has finished every command given so far, for
// profilers that time the device's work; harmless on a null device.
void DrainDevice(IDirect3DDevice9* device);

// Reads a colour render target (the back buffer, or a render-target texture's
// surface): 8-bit RGBA, rows from top to bottom, alpha 255 for X formats.
bool ReadRenderTargetPixels(IDirect3DSurface9* surface, std::vector<uint8_t>& rgba, UINT& width, UINT& height);

// Reads the single channel of an R32F render target, rows from top to bottom.
bool ReadRenderTargetFloats(IDirect3DSurface9* surface, std::vector<float>& values, UINT& width, UINT& height);
