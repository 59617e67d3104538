// Terrain
float4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;
float4 g_vLight : LIGHTDIRECTION;
texture tex0;
texture tex1;
technique Terrain { pass P0 { } }
