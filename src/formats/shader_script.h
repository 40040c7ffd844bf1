#pragma once

// Quake III shader scripts (scripts/*.shader): named blocks of general
// keywords and stages, each stage one pass of the renderer. Read as the
// engines read them, keywords of editors and map compilers skipped.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/reports.h"

// The most any engine of the family takes: what one of them draws is no
// fault. DarkPlaces takes 64 animMap images (ioquake3 8), 8 tcMods a stage
// (ioquake3 4) and 4 deforms (ioquake3 3); both take 8 stages.
constexpr int kMaxShaderStages = 8;
constexpr int kMaxAnimMapImages = 64;
constexpr int kMaxTexMods = 8;
constexpr int kMaxDeforms = 4;

enum class WaveFunc : uint8_t { kSin, kTriangle, kSquare, kSawtooth, kInverseSawtooth, kNoise };

struct Wave {
    WaveFunc func = WaveFunc::kSin;
    float base = 0, amplitude = 0, phase = 0, frequency = 0;
};

// OpenGL's blend factors by their names in a script.
enum class BlendFactor : uint8_t {
    kZero, kOne, kSrcColor, kOneMinusSrcColor, kDstColor, kOneMinusDstColor, kSrcAlpha, kOneMinusSrcAlpha,
    kDstAlpha, kOneMinusDstAlpha, kSrcAlphaSaturate
};

enum class ColourGen : uint8_t {
    kDefault,  // not given: identity, or identityLighting for some blends
    kIdentity, kIdentityLighting, kLightingDiffuse, kVertex, kExactVertex, kOneMinusVertex, kConst, kEntity,
    kOneMinusEntity, kWave
};

enum class AlphaGen : uint8_t {
    kIdentity, kConst, kWave, kEntity, kOneMinusEntity, kVertex, kOneMinusVertex, kLightingSpecular
};

enum class TexGen : uint8_t { kBase, kLightmap, kEnvironment, kVector };

enum class AlphaTest : uint8_t { kNone, kGreaterThanZero, kLessThanHalf, kAtLeastHalf };

struct TexMod {
    enum class Kind : uint8_t { kScroll, kScale, kRotate, kTurb, kStretch, kTransform } kind;
    float values[6] = {};  // scroll and scale: s, t; rotate: degrees a second; transform: m00 m01 m10 m11 t0 t1
    Wave wave;             // turb (its base unused) and stretch
};

struct ShaderStage {
    int line = 0;
    std::vector<std::string> images;  // one, or animMap's in turn; "$whiteimage" is white
    float animFrequency = 0;          // animMap's images a second
    bool clamp = false;
    bool blend = false;  // a blendFunc other than GL_ONE GL_ZERO
    BlendFactor blendSource = BlendFactor::kOne, blendDestination = BlendFactor::kZero;
    AlphaTest alphaTest = AlphaTest::kNone;
    bool depthWrite = true;  // off for a blended stage unless it says depthWrite
    bool depthEqual = false;
    ColourGen rgbGen = ColourGen::kDefault;
    float rgbConst[3] = {1, 1, 1};
    Wave rgbWave;
    AlphaGen alphaGen = AlphaGen::kIdentity;
    float alphaConst = 1;
    Wave alphaWave;
    TexGen tcGen = TexGen::kBase;
    float tcVectors[2][3] = {};
    std::vector<TexMod> tcMods;
};

enum class CullFace : uint8_t { kFront, kBack, kNone };

struct Deform {
    enum class Kind : uint8_t { kWave, kNormal, kMove, kAutosprite } kind;
    float spread = 0;  // wave: how far along the vertex positions the phase runs
    float move[3] = {};
    Wave wave;  // normal: amplitude and frequency only
};

// The sort values the engines name.
constexpr float kSortOpaque = 3, kSortBanner = 6, kSortUnderwater = 8, kSortAdditive = 9, kSortNearest = 16;

struct ShaderScript {
    std::string name;  // as matched: lower case, "/" for "\", no extension
    std::string file;
    int line = 0;
    CullFace cull = CullFace::kFront;
    float sort = 0;  // 0: not given, the stages decide
    bool noDraw = false;
    bool noPicmip = false;
    bool noMipmaps = false;
    std::vector<Deform> deforms;
    std::vector<ShaderStage> stages;  // $lightmap stages left out: models have no lightmap
};

// A shader or image name as the engines match it: "\" read as "/", lower
// case, without its extension.
std::string ShaderKey(const std::string& name);

// Every definition of one script's text, in order. Each fault is reported
// with the file and line (at most a few a file, then how many more); a
// definition with a fault keeps what could be read, and the rest of the text
// is read on.
std::vector<ShaderScript> ReadShaderScript(const std::string& text, const std::string& file, Reports& reports);
