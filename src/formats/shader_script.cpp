#include "formats/shader_script.h"

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/names.h"

namespace {

constexpr size_t kMaxToken = 1024;  // longer words are cut, as the engines cut them
constexpr int kReportsAFile = 5;

struct Token {
    std::string text;
    int line = 0;
    bool Is(const char* word) const { return strcasecmp(text.c_str(), word) == 0; }
    bool empty() const { return text.empty(); }
};

// Words separated by white space (any byte up to a space), "//" and "/* */"
// comments skipped, quoted strings whole; within a line or across lines.
class Tokens {
public:
    explicit Tokens(const std::string& text) : text_(text) {}

    // The next word; empty at the end of the text, or of the line when
    // lineBreaks is false.
    Token Next(bool lineBreaks)
    {
        if (!pushed_.empty()) {
            Token token = pushed_;
            pushed_ = Token();
            return token;
        }
        if (!SkipSpace(lineBreaks))
            return Token{"", line_};
        Token token{"", line_};
        if (text_[at_] == '"') {
            for (++at_; at_ < text_.size() && text_[at_] != '"' && text_[at_] != '\n'; ++at_)
                Append(token, text_[at_]);
            if (at_ < text_.size() && text_[at_] == '"')
                ++at_;
            token.text = AsText(token.text);
            return token;
        }
        for (; at_ < text_.size() && static_cast<unsigned char>(text_[at_]) > ' '; ++at_)
            Append(token, text_[at_]);
        token.text = AsText(token.text);
        return token;
    }

    void PushBack(const Token& token) { pushed_ = token; }

    void SkipLine()
    {
        pushed_ = Token();
        while (at_ < text_.size() && text_[at_] != '\n')
            ++at_;
    }

    int line() const { return line_; }

private:
    static void Append(Token& token, char c)
    {
        if (token.text.size() < kMaxToken)
            token.text += c;
    }

    // Past spaces and comments to the next word; false at the end (of the line).
    bool SkipSpace(bool lineBreaks)
    {
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (c == '\n') {
                if (!lineBreaks)
                    return false;
                ++line_, ++at_;
            } else if (static_cast<unsigned char>(c) <= ' ') {
                ++at_;
            } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
                while (at_ < text_.size() && text_[at_] != '\n')
                    ++at_;
            } else if (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '*') {
                for (at_ += 2; at_ < text_.size() && !(text_[at_] == '*' && at_ + 1 < text_.size() &&
                                                        text_[at_ + 1] == '/');
                     ++at_)
                    line_ += text_[at_] == '\n';
                at_ = std::min(at_ + 2, text_.size());
            } else {
                return true;
            }
        }
        return false;
    }

    const std::string& text_;
    size_t at_ = 0;
    int line_ = 1;
    Token pushed_;
};

struct NamedFactor {
    const char* name;
    BlendFactor factor;
};

const NamedFactor kFactors[] = {
    {"GL_ZERO", BlendFactor::kZero},
    {"GL_ONE", BlendFactor::kOne},
    {"GL_SRC_COLOR", BlendFactor::kSrcColor},
    {"GL_ONE_MINUS_SRC_COLOR", BlendFactor::kOneMinusSrcColor},
    {"GL_DST_COLOR", BlendFactor::kDstColor},
    {"GL_ONE_MINUS_DST_COLOR", BlendFactor::kOneMinusDstColor},
    {"GL_SRC_ALPHA", BlendFactor::kSrcAlpha},
    {"GL_ONE_MINUS_SRC_ALPHA", BlendFactor::kOneMinusSrcAlpha},
    {"GL_DST_ALPHA", BlendFactor::kDstAlpha},
    {"GL_ONE_MINUS_DST_ALPHA", BlendFactor::kOneMinusDstAlpha},
    {"GL_SRC_ALPHA_SATURATE", BlendFactor::kSrcAlphaSaturate},
};

class Parser {
public:
    Parser(const std::string& text, const std::string& file, Reports& reports)
        : tokens_(text), file_(file), reports_(reports)
    {
    }

    ~Parser()
    {
        if (faults_ > kReportsAFile)
            AddReport(reports_, "ReadShaderScript: %s: %d more faults", file_.c_str(), faults_ - kReportsAFile);
    }

    std::vector<ShaderScript> Read()
    {
        std::vector<ShaderScript> shaders;
        for (Token name = tokens_.Next(true); !name.empty(); name = tokens_.Next(true)) {
            if (name.text == "}") {
                Fault(name.line, "a closing brace outside any shader");
                continue;
            }
            if (name.text == "{") {
                Fault(name.line, "a block with no shader name");
                SkipBlock();
                continue;
            }
            Token open = tokens_.Next(true);
            if (open.text != "{") {
                Fault(name.line, "shader \"%s\" has no opening brace", name.text.c_str());
                tokens_.PushBack(open);
                continue;
            }
            ShaderScript shader;
            shader.name = ShaderKey(name.text);
            shader.file = file_;
            shader.line = name.line;
            ReadShader(shader);
            shaders.push_back(std::move(shader));
        }
        return shaders;
    }

private:
    template <typename... Args>
    void Fault(int line, const char* format, Args... args)
    {
        if (++faults_ > kReportsAFile)
            return;
        // The file's name is the archive's, never part of a format.
        char message[256];
        if constexpr (sizeof...(args) == 0)
            snprintf(message, sizeof message, "%s", format);
        else
            snprintf(message, sizeof message, format, args...);
        AddReport(reports_, "ReadShaderScript: %s, line %d: %s", file_.c_str(), line, message);
    }

    // Past the rest of a block whose "{" was read, nested ones included.
    void SkipBlock()
    {
        for (int depth = 1; depth > 0;) {
            Token token = tokens_.Next(true);
            if (token.empty())
                return;
            depth += token.text == "{" ? 1 : token.text == "}" ? -1 : 0;
        }
    }

    // The next word of the line, or empty.
    Token Argument() { return tokens_.Next(false); }

    float Number(const Token& token, const char* what)
    {
        const char* text = token.text.c_str();
        while (*text == '(')
            ++text;
        char* end = nullptr;
        float value = strtof(text, &end);
        if (token.empty() || end == text || !std::isfinite(value)) {
            Fault(token.line ? token.line : tokens_.line(), "%s \"%s\" is not a number", what, token.text.c_str());
            return 0;
        }
        return value;
    }

    float NumberArgument(const char* what) { return Number(Argument(), what); }

    bool ReadWave(Wave& wave, const char* what)
    {
        Token func = Argument();
        const struct {
            const char* name;
            WaveFunc func;
        } funcs[] = {{"sin", WaveFunc::kSin},
                     {"triangle", WaveFunc::kTriangle},
                     {"square", WaveFunc::kSquare},
                     {"sawtooth", WaveFunc::kSawtooth},
                     {"inversesawtooth", WaveFunc::kInverseSawtooth},
                     {"noise", WaveFunc::kNoise}};
        bool known = false;
        for (const auto& f : funcs)
            if (func.Is(f.name))
                wave.func = f.func, known = true;
        if (!known) {
            Fault(func.line ? func.line : tokens_.line(), "%s has no wave function (\"%s\")", what,
                  func.text.c_str());
            return false;
        }
        wave.base = NumberArgument(what);
        wave.amplitude = NumberArgument(what);
        wave.phase = NumberArgument(what);
        wave.frequency = NumberArgument(what);
        return true;
    }

    // "( a b c )", the brackets as words of their own or stuck to the numbers.
    void ReadVector(float out[3], const char* what)
    {
        Token token = Argument();
        if (token.text == "(")
            token = Argument();
        for (int i = 0; i < 3; ++i, token = Argument())
            out[i] = Number(token, what);
        if (token.text != ")")
            tokens_.PushBack(token);
    }

    BlendFactor Factor(const Token& token, BlendFactor unknown)
    {
        for (const NamedFactor& f : kFactors)
            if (token.Is(f.name))
                return f.factor;
        Fault(token.line ? token.line : tokens_.line(), "blendFunc has an unknown factor \"%s\"", token.text.c_str());
        return unknown;
    }

    void ReadShader(ShaderScript& shader)
    {
        int dropped = 0;
        for (;;) {
            Token token = tokens_.Next(true);
            if (token.empty()) {
                Fault(shader.line, "the file ends inside shader \"%s\"", shader.name.c_str());
                return;
            }
            if (token.text == "}")
                return;
            if (token.text == "{") {
                ShaderStage stage;
                stage.line = token.line;
                bool keep = ReadStage(stage);
                if (keep && static_cast<int>(shader.stages.size()) < kMaxShaderStages)
                    shader.stages.push_back(std::move(stage));
                else if (keep && dropped++ == 0)
                    Fault(token.line, "shader \"%s\" has more than %d stages; the rest are left out",
                          shader.name.c_str(), kMaxShaderStages);
                continue;
            }
            if (!ReadGeneral(shader, token))
                tokens_.SkipLine();
        }
    }

    // False for a keyword that is not the renderer's, whose line is skipped.
    bool ReadGeneral(ShaderScript& shader, const Token& keyword)
    {
        if (keyword.Is("cull")) {
            Token side = Argument();
            if (side.Is("none") || side.Is("twosided") || side.Is("disable"))
                shader.cull = CullFace::kNone;
            else if (side.Is("back") || side.Is("backside") || side.Is("backsided"))
                shader.cull = CullFace::kBack;
            else
                shader.cull = CullFace::kFront;
        } else if (keyword.Is("sort")) {
            ReadSort(shader);
        } else if (keyword.Is("surfaceparm")) {
            shader.noDraw = shader.noDraw || Argument().Is("nodraw");
        } else if (keyword.Is("nopicmip")) {
            shader.noPicmip = true;
        } else if (keyword.Is("nomipmaps")) {
            shader.noMipmaps = shader.noPicmip = true;
        } else if (keyword.Is("deformVertexes")) {
            ReadDeform(shader, keyword.line);
        } else {
            return false;  // the editors', the map compilers', or for maps only
        }
        return true;
    }

    void ReadSort(ShaderScript& shader)
    {
        Token value = Argument();
        const struct {
            const char* name;
            float sort;
        } named[] = {{"portal", 1},         {"sky", 2},          {"opaque", kSortOpaque},
                     {"decal", 4},          {"seeThrough", 5},   {"banner", kSortBanner},
                     {"underwater", kSortUnderwater}, {"additive", kSortAdditive + 1}, {"nearest", kSortNearest}};
        for (const auto& n : named)
            if (value.Is(n.name))
                return void(shader.sort = n.sort);
        shader.sort = Number(value, "sort");
    }

    void ReadDeform(ShaderScript& shader, int line)
    {
        Deform deform;
        Token kind = Argument();
        if (kind.Is("wave")) {
            deform.kind = Deform::Kind::kWave;
            float div = NumberArgument("deformVertexes wave");
            deform.spread = div != 0 ? 1.0f / div : 100.0f;
            if (!ReadWave(deform.wave, "deformVertexes wave"))
                return;
        } else if (kind.Is("normal")) {
            deform.kind = Deform::Kind::kNormal;
            deform.wave.amplitude = NumberArgument("deformVertexes normal");
            deform.wave.frequency = NumberArgument("deformVertexes normal");
        } else if (kind.Is("move")) {
            deform.kind = Deform::Kind::kMove;
            for (float& axis : deform.move)
                axis = NumberArgument("deformVertexes move");
            if (!ReadWave(deform.wave, "deformVertexes move"))
                return;
        } else if (kind.Is("autosprite")) {
            deform.kind = Deform::Kind::kAutosprite;
        } else {
            return;  // bulge, autosprite2, text... are not drawn here
        }
        if (static_cast<int>(shader.deforms.size()) >= kMaxDeforms)
            return Fault(line, "shader \"%s\" has more than %d deformVertexes", shader.name.c_str(), kMaxDeforms);
        shader.deforms.push_back(deform);
    }

    // False for a stage to leave out: a lightmap's, or one without an image.
    bool ReadStage(ShaderStage& stage)
    {
        bool lightmap = false, depthWriteSaid = false;
        for (;;) {
            Token token = tokens_.Next(true);
            if (token.empty()) {
                Fault(stage.line, "the file ends inside a stage");
                break;
            }
            if (token.text == "}")
                break;
            if (token.text == "{") {
                SkipBlock();
                continue;
            }
            if (token.Is("map") || token.Is("clampmap")) {
                Token image = Argument();
                stage.clamp = token.Is("clampmap");
                if (image.Is("$lightmap"))
                    lightmap = true;
                else if (image.empty())
                    Fault(token.line, "%s names no image", token.text.c_str());
                else
                    stage.images = {image.text};
            } else if (token.Is("animMap")) {
                ReadAnimMap(stage, token.line);
            } else if (token.Is("videoMap")) {
                Argument();  // a film: not played here, and the stage has no image
            } else if (token.Is("blendFunc")) {
                ReadBlend(stage);
            } else if (token.Is("rgbGen")) {
                ReadRgbGen(stage);
            } else if (token.Is("alphaGen")) {
                ReadAlphaGen(stage);
            } else if (token.Is("tcGen") || token.Is("texgen")) {
                ReadTcGen(stage);
            } else if (token.Is("tcMod")) {
                ReadTcMod(stage, token.line);
            } else if (token.Is("depthFunc")) {
                stage.depthEqual = Argument().Is("equal");
            } else if (token.Is("depthWrite")) {
                depthWriteSaid = true;
            } else if (token.Is("alphaFunc")) {
                Token test = Argument();
                stage.alphaTest = test.Is("GT0")     ? AlphaTest::kGreaterThanZero
                                  : test.Is("LT128") ? AlphaTest::kLessThanHalf
                                  : test.Is("GE128") ? AlphaTest::kAtLeastHalf
                                                     : AlphaTest::kNone;
                if (stage.alphaTest == AlphaTest::kNone)
                    Fault(token.line, "alphaFunc \"%s\" is none of GT0, LT128 and GE128", test.text.c_str());
            } else {
                tokens_.SkipLine();  // detail, and what editors add
            }
        }
        // A blended stage writes no depth unless it says so.
        stage.depthWrite = !stage.blend || depthWriteSaid;
        return !lightmap && !stage.images.empty();
    }

    void ReadAnimMap(ShaderStage& stage, int line)
    {
        stage.animFrequency = NumberArgument("animMap's frequency");
        if (stage.animFrequency == 0)
            Fault(line, "animMap's frequency is 0: its first image is shown");
        stage.images.clear();
        int extra = 0;
        for (Token image = Argument(); !image.empty(); image = Argument()) {
            if (image.text == "}") {
                tokens_.PushBack(image);
                break;
            }
            if (static_cast<int>(stage.images.size()) < kMaxAnimMapImages)
                stage.images.push_back(image.text);
            else
                ++extra;
        }
        if (extra)
            Fault(line, "animMap has %d images past the %d any engine takes", extra, kMaxAnimMapImages);
        if (stage.images.empty())
            Fault(line, "animMap names no image");
    }

    void ReadBlend(ShaderStage& stage)
    {
        Token first = Argument();
        if (first.Is("add")) {
            stage.blendSource = BlendFactor::kOne, stage.blendDestination = BlendFactor::kOne;
        } else if (first.Is("filter")) {
            stage.blendSource = BlendFactor::kDstColor, stage.blendDestination = BlendFactor::kZero;
        } else if (first.Is("blend")) {
            stage.blendSource = BlendFactor::kSrcAlpha, stage.blendDestination = BlendFactor::kOneMinusSrcAlpha;
        } else {
            stage.blendSource = Factor(first, BlendFactor::kOne);
            stage.blendDestination = Factor(Argument(), BlendFactor::kOne);
        }
        // GL_ONE GL_ZERO is no blend at all.
        stage.blend = !(stage.blendSource == BlendFactor::kOne && stage.blendDestination == BlendFactor::kZero);
    }

    void ReadRgbGen(ShaderStage& stage)
    {
        Token kind = Argument();
        const struct {
            const char* name;
            ColourGen gen;
        } simple[] = {{"identity", ColourGen::kIdentity},
                      {"identityLighting", ColourGen::kIdentityLighting},
                      {"lightingDiffuse", ColourGen::kLightingDiffuse},
                      {"vertex", ColourGen::kVertex},
                      {"exactVertex", ColourGen::kExactVertex},
                      {"oneMinusVertex", ColourGen::kOneMinusVertex},
                      {"entity", ColourGen::kEntity},
                      {"oneMinusEntity", ColourGen::kOneMinusEntity}};
        for (const auto& s : simple)
            if (kind.Is(s.name))
                return void(stage.rgbGen = s.gen);
        if (kind.Is("const")) {
            stage.rgbGen = ColourGen::kConst;
            ReadVector(stage.rgbConst, "rgbGen const");
        } else if (kind.Is("wave")) {
            if (ReadWave(stage.rgbWave, "rgbGen wave"))
                stage.rgbGen = ColourGen::kWave;
        }
    }

    void ReadAlphaGen(ShaderStage& stage)
    {
        Token kind = Argument();
        if (kind.Is("const")) {
            stage.alphaGen = AlphaGen::kConst;
            stage.alphaConst = NumberArgument("alphaGen const");
        } else if (kind.Is("wave")) {
            if (ReadWave(stage.alphaWave, "alphaGen wave"))
                stage.alphaGen = AlphaGen::kWave;
        } else if (kind.Is("entity")) {
            stage.alphaGen = AlphaGen::kEntity;
        } else if (kind.Is("oneMinusEntity")) {
            stage.alphaGen = AlphaGen::kOneMinusEntity;
        } else if (kind.Is("vertex")) {
            stage.alphaGen = AlphaGen::kVertex;
        } else if (kind.Is("oneMinusVertex")) {
            stage.alphaGen = AlphaGen::kOneMinusVertex;
        } else if (kind.Is("lightingSpecular")) {
            stage.alphaGen = AlphaGen::kLightingSpecular;
        }
    }

    void ReadTcGen(ShaderStage& stage)
    {
        Token kind = Argument();
        if (kind.Is("environment")) {
            stage.tcGen = TexGen::kEnvironment;
        } else if (kind.Is("lightmap")) {
            stage.tcGen = TexGen::kLightmap;
        } else if (kind.Is("vector")) {
            stage.tcGen = TexGen::kVector;
            ReadVector(stage.tcVectors[0], "tcGen vector");
            ReadVector(stage.tcVectors[1], "tcGen vector");
        } else {
            stage.tcGen = TexGen::kBase;
        }
    }

    void ReadTcMod(ShaderStage& stage, int line)
    {
        Token kind = Argument();
        TexMod mod{};
        if (kind.Is("scroll") || kind.Is("scale")) {
            mod.kind = kind.Is("scroll") ? TexMod::Kind::kScroll : TexMod::Kind::kScale;
            mod.values[0] = NumberArgument("tcMod");
            mod.values[1] = NumberArgument("tcMod");
        } else if (kind.Is("rotate")) {
            mod.kind = TexMod::Kind::kRotate;
            mod.values[0] = NumberArgument("tcMod rotate");
        } else if (kind.Is("turb")) {
            mod.kind = TexMod::Kind::kTurb;
            mod.wave.base = NumberArgument("tcMod turb");
            mod.wave.amplitude = NumberArgument("tcMod turb");
            mod.wave.phase = NumberArgument("tcMod turb");
            mod.wave.frequency = NumberArgument("tcMod turb");
        } else if (kind.Is("stretch")) {
            mod.kind = TexMod::Kind::kStretch;
            if (!ReadWave(mod.wave, "tcMod stretch"))
                return;
        } else if (kind.Is("transform")) {
            mod.kind = TexMod::Kind::kTransform;
            for (float& value : mod.values)
                value = NumberArgument("tcMod transform");
        } else {
            return;  // entityTranslate moves with an entity this viewer does not have
        }
        if (static_cast<int>(stage.tcMods.size()) >= kMaxTexMods)
            return Fault(line, "more than %d tcMods in a stage; the rest are left out", kMaxTexMods);
        stage.tcMods.push_back(mod);
    }

    Tokens tokens_;
    const std::string& file_;
    Reports& reports_;
    int faults_ = 0;
};

}  // namespace

std::string ShaderKey(const std::string& name)
{
    std::string key = name;
    for (char& c : key)
        c = c == '\\' ? '/' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    size_t dot = key.rfind('.'), slash = key.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        key.resize(dot);
    return key;
}

std::vector<ShaderScript> ReadShaderScript(const std::string& text, const std::string& file, Reports& reports)
{
    Parser parser(text, file, reports);
    return parser.Read();
}
