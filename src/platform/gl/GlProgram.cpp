#include "platform/gl/GlProgram.h"

#include <epoxy/gl.h>

namespace platform {

namespace {

const char* const kVertexSource = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec2 aTex0;
layout(location = 5) in vec2 aTex1;

uniform mat4 uWorldViewProjection;
uniform mat4 uWorld;
uniform mat4 uWorldView;
uniform vec3 uCameraPosition;
uniform bool uPretransformed;
uniform vec2 uViewport;
uniform bool uHasNormal, uHasDiffuse, uHasSpecular;
uniform bool uLighting, uSpecularEnable;
uniform vec4 uGlobalAmbient;
uniform ivec4 uMaterialSources; // diffuse, specular, ambient, emissive: 1 = vertex diffuse, 2 = vertex specular
uniform vec4 uMaterialDiffuse, uMaterialAmbient, uMaterialSpecular, uMaterialEmissive;
uniform float uMaterialPower;
uniform int uLightCount;
uniform int uLightType[8];
uniform vec4 uLightDiffuse[8], uLightSpecular[8], uLightAmbient[8];
uniform vec3 uLightPosition[8], uLightDirection[8];
uniform float uLightRange[8];
uniform vec3 uLightAttenuation[8];
uniform vec3 uLightSpot[8]; // falloff, cos(theta / 2), cos(phi / 2)
uniform ivec2 uStageTexCoord;
uniform int uEffectShade; // 0 the fixed pipeline's, else an effect's (see EffectShade)

out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTex[2];
out float vDepth;

vec4 Source(int source, vec4 material, vec4 diffuse, vec4 specular)
{
    if (source == 1) return diffuse;
    if (source == 2) return specular;
    return material;
}

void Light(int i, vec3 position, vec3 normal, inout vec3 diffuse, inout vec3 specular, inout vec3 ambient,
           float power)
{
    vec3 toLight;
    float attenuation = 1.0;
    if (uLightType[i] == 3) {
        toLight = -normalize(uLightDirection[i]);
    } else {
        vec3 offset = uLightPosition[i] - position;
        float distance = length(offset);
        if (distance > uLightRange[i]) return;
        toLight = offset / max(distance, 1e-6);
        vec3 a = uLightAttenuation[i];
        attenuation = 1.0 / max(a.x + a.y * distance + a.z * distance * distance, 1e-6);
        if (uLightType[i] == 2) {
            float rho = dot(-toLight, normalize(uLightDirection[i]));
            vec3 spot = uLightSpot[i];
            if (rho <= spot.z) return;
            if (rho < spot.y)
                attenuation *= pow(clamp((rho - spot.z) / max(spot.y - spot.z, 1e-6), 0.0, 1.0), spot.x);
        }
    }
    ambient += uLightAmbient[i].rgb * attenuation;
    float lambert = max(dot(normal, toLight), 0.0);
    diffuse += uLightDiffuse[i].rgb * lambert * attenuation;
    if (uSpecularEnable && lambert > 0.0) {
        vec3 halfway = normalize(toLight + normalize(uCameraPosition - position));
        specular += uLightSpecular[i].rgb * pow(max(dot(normal, halfway), 0.0), power) * attenuation;
    }
}

// What an effect's shaders make of the vertex: its colour (none written,
// all zero, counts as white), lit by the lights where the vertex has a
// normal (1: solid scenery); as it is (3: a background that writes no
// depth, like the sky, coloured by its owner); or only the colour's alpha
// (2: a blended overlay: screens, the sun, particles).
void EffectShade(vec4 diffuse)
{
    vec4 colour = diffuse == vec4(0.0) ? vec4(1.0) : diffuse;
    vSpecular = vec4(0.0);
    if (uEffectShade == 2) {
        vDiffuse = vec4(1.0, 1.0, 1.0, colour.a);
        return;
    }
    if (uEffectShade == 3 || !uLighting || uPretransformed || !uHasNormal || dot(aNormal, aNormal) == 0.0) {
        vDiffuse = colour;
        return;
    }
    vec3 position = (uWorld * vec4(aPosition.xyz, 1.0)).xyz;
    vec3 normal = normalize(mat3(uWorld) * aNormal);
    vec3 lightDiffuse = vec3(0.0), lightSpecular = vec3(0.0), lightAmbient = vec3(0.0);
    for (int i = 0; i < uLightCount; ++i)
        Light(i, position, normal, lightDiffuse, lightSpecular, lightAmbient, 1.0);
    vDiffuse = vec4(clamp(colour.rgb * (uGlobalAmbient.rgb + lightAmbient + lightDiffuse), 0.0, 1.0), colour.a);
}

void main()
{
    if (uPretransformed) {
        float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
        // Screen pixels have their centres on whole numbers; a shade under
        // half a pixel moves them onto GL's centres and keeps edges that
        // fall on a centre off it, so the rows follow the top-left rule.
        vec2 pixel = aPosition.xy + vec2(0.5 - 1.0 / 64.0);
        vec2 ndc = vec2(pixel.x / uViewport.x * 2.0 - 1.0, 1.0 - pixel.y / uViewport.y * 2.0);
        gl_Position = vec4(ndc * w, (aPosition.z * 2.0 - 1.0) * w, w);
        vDepth = 0.0;
    } else {
        vec4 clip = uWorldViewProjection * vec4(aPosition.xyz, 1.0);
        // The projection maps depth to 0..1; OpenGL clips -1..1.
        clip.z = clip.z * 2.0 - clip.w;
        gl_Position = clip;
        vDepth = (uWorldView * vec4(aPosition.xyz, 1.0)).z;
    }
    vec4 diffuse = uHasDiffuse ? aDiffuse : vec4(1.0);
    vec4 specular = uHasSpecular ? aSpecular : vec4(0.0);
    vTex[0] = uStageTexCoord.x == 1 ? aTex1 : aTex0;
    vTex[1] = uStageTexCoord.y == 1 ? aTex1 : aTex0;
    if (uEffectShade != 0) {
        EffectShade(diffuse);
        return;
    }
    if (!uLighting || uPretransformed || !uHasNormal) {
        vDiffuse = diffuse;
        vSpecular = uSpecularEnable ? specular : vec4(0.0);
        return;
    }
    vec4 md = Source(uMaterialSources.x, uMaterialDiffuse, diffuse, specular);
    vec4 ms = Source(uMaterialSources.y, uMaterialSpecular, diffuse, specular);
    vec4 ma = Source(uMaterialSources.z, uMaterialAmbient, diffuse, specular);
    vec4 me = Source(uMaterialSources.w, uMaterialEmissive, diffuse, specular);
    vec3 position = (uWorld * vec4(aPosition.xyz, 1.0)).xyz;
    vec3 normal = normalize(mat3(uWorld) * aNormal);
    vec3 lightDiffuse = vec3(0.0), lightSpecular = vec3(0.0), lightAmbient = vec3(0.0);
    for (int i = 0; i < uLightCount; ++i)
        Light(i, position, normal, lightDiffuse, lightSpecular, lightAmbient, max(uMaterialPower, 1.0));
    vec3 colour = me.rgb + ma.rgb * (uGlobalAmbient.rgb + lightAmbient) + md.rgb * lightDiffuse;
    vDiffuse = vec4(clamp(colour, 0.0, 1.0), md.a);
    vSpecular = uSpecularEnable ? vec4(clamp(ms.rgb * lightSpecular, 0.0, 1.0), 0.0) : vec4(0.0);
}
)";

const char* const kFragmentSource = R"(#version 330 core
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTex[2];
in float vDepth;
out vec4 fragColour;

uniform sampler2D uSampler0, uSampler1;
uniform ivec3 uStageColor[2]; // op, arg1, arg2
uniform ivec3 uStageAlpha[2];
uniform ivec2 uStageTextured;
uniform int uAlphaFunc;
uniform float uAlphaRef;
uniform int uFogMode; // 0 none, 1 exp, 2 exp2, 3 linear
uniform vec3 uFogParams; // start, end, density
uniform vec4 uFogColor;

vec4 Argument(int arg, vec4 texel, vec4 current)
{
    vec4 value;
    int which = arg & 15;
    if (which == 0) value = vDiffuse;
    else if (which == 2) value = texel;
    else if (which == 4) value = vSpecular;
    else value = current;
    if ((arg & 16) != 0) value = vec4(1.0) - value;
    if ((arg & 32) != 0) value = vec4(value.a);
    return value;
}

vec4 Combine(int op, vec4 a, vec4 b)
{
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 4) return a * b;
    if (op == 5) return min(a * b * 2.0, 1.0);
    if (op == 6) return min(a * b * 4.0, 1.0);
    if (op == 7) return min(a + b, 1.0);
    if (op == 8) return clamp(a + b - 0.5, 0.0, 1.0);
    if (op == 10) return max(a - b, 0.0);
    return a * b;
}

bool Passes(float value, float reference)
{
    if (uAlphaFunc == 1) return false;
    if (uAlphaFunc == 2) return value < reference;
    if (uAlphaFunc == 3) return abs(value - reference) < 0.5 / 255.0;
    if (uAlphaFunc == 4) return value <= reference;
    if (uAlphaFunc == 5) return value > reference;
    if (uAlphaFunc == 6) return abs(value - reference) >= 0.5 / 255.0;
    if (uAlphaFunc == 7) return value >= reference;
    return true;
}

void main()
{
    vec4 current = vDiffuse;
    for (int stage = 0; stage < 2; ++stage) {
        ivec3 c = uStageColor[stage];
        if (c.x == 1) break;
        vec4 texel = vec4(1.0);
        if (uStageTextured[stage] != 0)
            texel = stage == 0 ? texture(uSampler0, vTex[0]) : texture(uSampler1, vTex[1]);
        // A stage without a texture that reads one passes the colour on,
        // so untextured draws show their vertex colours.
        bool untextured = uStageTextured[stage] == 0;
        vec4 colour = untextured && ((c.y & 15) == 2 || (c.z & 15) == 2)
                          ? current
                          : Combine(c.x, Argument(c.y, texel, current), Argument(c.z, texel, current));
        ivec3 a = uStageAlpha[stage];
        bool keepAlpha = a.x == 1 || (untextured && ((a.y & 15) == 2 || (a.z & 15) == 2));
        float alpha = keepAlpha ? current.a
                                : Combine(a.x, Argument(a.y, texel, current), Argument(a.z, texel, current)).a;
        current = vec4(colour.rgb, alpha);
    }
    current.rgb = min(current.rgb + vSpecular.rgb, 1.0);
    if (uAlphaFunc != 8 && !Passes(current.a, uAlphaRef)) discard;
    if (uFogMode != 0) {
        float d = abs(vDepth), f;
        if (uFogMode == 3) f = (uFogParams.y - d) / max(uFogParams.y - uFogParams.x, 1e-6);
        else if (uFogMode == 1) f = exp(-uFogParams.z * d);
        else f = exp(-(uFogParams.z * d) * (uFogParams.z * d));
        current.rgb = mix(uFogColor.rgb, current.rgb, clamp(f, 0.0, 1.0));
    }
    fragColour = current;
}
)";

unsigned Compile(GLenum kind, const char* source, std::string* error)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok)
        return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    *error = log;
    glDeleteShader(shader);
    return 0;
}

void FindSlots(GLuint program, GlProgramSlots* s)
{
    auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    s->worldViewProjection = at("uWorldViewProjection");
    s->world = at("uWorld");
    s->worldView = at("uWorldView");
    s->cameraPosition = at("uCameraPosition");
    s->pretransformed = at("uPretransformed");
    s->viewport = at("uViewport");
    s->hasNormal = at("uHasNormal");
    s->hasDiffuse = at("uHasDiffuse");
    s->hasSpecular = at("uHasSpecular");
    s->lighting = at("uLighting");
    s->specularEnable = at("uSpecularEnable");
    s->globalAmbient = at("uGlobalAmbient");
    s->materialSources = at("uMaterialSources");
    s->materialDiffuse = at("uMaterialDiffuse");
    s->materialAmbient = at("uMaterialAmbient");
    s->materialSpecular = at("uMaterialSpecular");
    s->materialEmissive = at("uMaterialEmissive");
    s->materialPower = at("uMaterialPower");
    s->lightCount = at("uLightCount");
    s->lightType = at("uLightType");
    s->lightDiffuse = at("uLightDiffuse");
    s->lightSpecular = at("uLightSpecular");
    s->lightAmbient = at("uLightAmbient");
    s->lightPosition = at("uLightPosition");
    s->lightDirection = at("uLightDirection");
    s->lightRange = at("uLightRange");
    s->lightAttenuation = at("uLightAttenuation");
    s->lightSpot = at("uLightSpot");
    s->stageColor = at("uStageColor");
    s->stageAlpha = at("uStageAlpha");
    s->stageTexCoord = at("uStageTexCoord");
    s->stageTextured = at("uStageTextured");
    s->effectShade = at("uEffectShade");
    s->sampler0 = at("uSampler0");
    s->sampler1 = at("uSampler1");
    s->alphaFunc = at("uAlphaFunc");
    s->alphaRef = at("uAlphaRef");
    s->fogMode = at("uFogMode");
    s->fogParams = at("uFogParams");
    s->fogColor = at("uFogColor");
}

} // namespace

unsigned CompileFixedProgram(GlProgramSlots* slots, std::string* error)
{
    GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexSource, error);
    GLuint fragment = vertex ? Compile(GL_FRAGMENT_SHADER, kFragmentSource, error) : 0;
    if (!fragment) {
        glDeleteShader(vertex);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        *error = log;
        glDeleteProgram(program);
        return 0;
    }
    FindSlots(program, slots);
    glUseProgram(program);
    glUniform1i(slots->sampler0, 0);
    glUniform1i(slots->sampler1, 1);
    return program;
}

} // namespace platform
