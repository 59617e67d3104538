// Shadow
float4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;
texture tex0;
technique Shadow { pass P0 { AlphaBlendEnable = true; ZWriteEnable = false; } }
