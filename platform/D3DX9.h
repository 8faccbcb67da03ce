#pragma once
// Everything of Direct3D 9 and D3DX the game uses, in one include.

#include "platform/fx/D3DX9Effect.h"
#include "platform/gpu/D3D9.h"
#include "platform/gpu/D3DX9Tex.h"
#include "platform/math/D3DXMath.h"
#include "platform/mesh/D3DX9Mesh.h"
