vortane-effect 1
// Light-space depth of the moving objects: z / w of the orthographic light
// camera, 0 at its near plane and 1 at its far plane, into the single float
// channel. The glow target may still be bound as target 1; it receives the
// glow target's own clear value, so the pass leaves it as it was.

float4x4 mW;
float4x4 mLV;
float4x4 mLP;
texture MeshTex;

sampler MeshSampler {
	Texture = MeshTex;
	MinFilter = Point;
	MagFilter = Point;
	AddressU = Wrap;
	AddressV = Wrap;
}

vertex DepthVS <<<
out float depth;
out vec2 uv;
void main() {
	vec4 position = vec4(inPosition.xyz, 1.0) * mW * mLV * mLP;
	depth = position.z / position.w;
	uv = inTexCoord0;
	gl_Position = position;
}
>>>

fragment DepthFS <<<
in float depth;
in vec2 uv;
layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;
void main() {
	color = vec4(clamp(depth, 0.0, 1.0), 0.0, 0.0, 1.0);
	glow = vec4(0.0, 0.0, 0.0, 1.0);
}
>>>

technique Tech {
	pass P0 {
		VertexShader = DepthVS;
		FragmentShader = DepthFS;
		CullMode = None;
		ZEnable = True;
		ZWriteEnable = True;
		AlphaBlendEnable = False;
	}
}
