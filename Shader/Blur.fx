vortane-effect 1
// The glow post-process, drawn with pre-transformed screen quads.
// NormalTech copies the input scaled by Color (downsample and composite,
// blended as the device is set); XBlurTech and YBlurTech are one
// direction each of a 9-tap Gaussian, taken as 5 bilinear fetches.

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
// Gaussian weights of taps 0..4 folded pairwise into bilinear fetches.
const float OFFSETS[3] = float[3](0.0, 1.3846154, 3.2307692);
const float WEIGHTS[3] = float[3](0.2270270, 0.3162162, 0.0702703);

vec3 BlurAlong(vec2 uv, vec2 step) {
	vec3 sum = texture(InputSampler, uv).rgb * WEIGHTS[0];
	for (int i = 1; i < 3; ++i) {
		sum += texture(InputSampler, uv + step * OFFSETS[i]).rgb * WEIGHTS[i];
		sum += texture(InputSampler, uv - step * OFFSETS[i]).rgb * WEIGHTS[i];
	}
	return sum;
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
