// Lines
float4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;
float4 g_vLight : LIGHTDIRECTION;
technique Lines { pass P0 { } }
