// InterfaceSmooth
float4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;
float4 g_vLight : LIGHTDIRECTION;
texture tex0;
technique InterfaceSmooth { pass P0 { AlphaBlendEnable = true; ZWriteEnable = false; } }
