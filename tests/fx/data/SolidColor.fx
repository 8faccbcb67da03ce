vortane-effect 1
// Draws pre-transformed quads in one colour; used by the effect tests.

float4 FillColor = { 1, 0, 1, 1 };
float4 SecondColor;
float4x4 mW;

vertex ScreenVS <<<
void main() {
	gl_Position = d3d_PreTransformed(inPosition);
}
>>>

vertex WorldVS <<<
void main() {
	gl_Position = vec4(inPosition.xyz, 1.0) * mW;
}
>>>

fragment FillFS <<<
layout(location = 0) out vec4 color;
void main() {
	color = FillColor;
}
>>>

fragment TwoTargetFS <<<
layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;
void main() {
	color = FillColor;
	glow = SecondColor;
}
>>>

technique Fill {
	pass P0 {
		VertexShader = ScreenVS;
		FragmentShader = FillFS;
		CullMode = None;
		ZEnable = False;
	}
}

technique TwoTargets {
	pass P0 {
		VertexShader = ScreenVS;
		FragmentShader = TwoTargetFS;
		CullMode = None;
		ZEnable = False;
	}
}

technique World {
	pass P0 {
		VertexShader = WorldVS;
		FragmentShader = FillFS;
		CullMode = None;
		ZEnable = False;
	}
}
