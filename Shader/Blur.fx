vortane-effect 1
// The glow post-process, drawn with pre-transformed screen quads.
// NormalTech copies the input scaled by Color (downsample and composite,
// blended as the device is set); XBlurTech and YBlurTech are one
// direction each of a small bell-shaped kernel of two bilinear fetches,
// which the five rounds of the filter widen into a smooth Gaussian glow.

float4 TexelSize = { 0.0015625, 0.0027778, 0, 0 };
float4 Color = { 1, 1, 1, 1 };
texture InputTex;

sampler InputSampler {
	Texture = InputTex;
	MinFilter = Linear;
	MagFilter = Linear;
	AddressU = Clamp;
	AddressV = Clamp;
}

glsl Kernel <<<
// Each fetch falls three quarters of the way to a neighbour, so the pair
// weighs three texels 0.375, 0.25, 0.375 for the price of two fetches (the
// software rasterizer pays per fetch). Five rounds of it leave a bell about
// two half-size texels wide, and only 3% of a one-texel checker survives.
const float SIDE_OFFSET = 0.75;

vec3 BlurAlong(vec2 uv, vec2 step) {
	return (texture(InputSampler, uv + step * SIDE_OFFSET).rgb + texture(InputSampler, uv - step * SIDE_OFFSET).rgb) *
	       0.5;
}
>>>

vertex QuadVS <<<
out vec2 uv;
void main() {
	gl_Position = d3d_PreTransformed(inPosition);
	uv = inTexCoord0;
}
>>>

fragment NormalFS <<<
in vec2 uv;
layout(location = 0) out vec4 color;
void main() {
	// The glow lives in the colour channels; Color.a alone decides how much
	// of it the blend lets through.
	color = vec4(texture(InputSampler, uv).rgb * Color.rgb, Color.a);
}
>>>

fragment XBlurFS <<<
in vec2 uv;
layout(location = 0) out vec4 color;
void main() {
	color = vec4(BlurAlong(uv, vec2(TexelSize.x, 0.0)), 1.0);
}
>>>

fragment YBlurFS <<<
in vec2 uv;
layout(location = 0) out vec4 color;
void main() {
	color = vec4(BlurAlong(uv, vec2(0.0, TexelSize.y)), 1.0);
}
>>>

technique NormalTech {
	pass P0 {
		VertexShader = QuadVS;
		FragmentShader = NormalFS;
		CullMode = None;
		ZEnable = False;
		ZWriteEnable = False;
	}
}

technique XBlurTech {
	pass P0 {
		VertexShader = QuadVS;
		FragmentShader = XBlurFS;
		CullMode = None;
		ZEnable = False;
		ZWriteEnable = False;
		AlphaBlendEnable = False;
	}
}

technique YBlurTech {
	pass P0 {
		VertexShader = QuadVS;
		FragmentShader = YBlurFS;
		CullMode = None;
		ZEnable = False;
		ZWriteEnable = False;
		AlphaBlendEnable = False;
	}
}
