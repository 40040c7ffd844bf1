// glTF files made piece by piece, each feature read as the file says: the
// frames and poses its animations give, its nodes' transforms, its
// materials; and hostile ones refused, reading nothing outside their folder.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/pose.h"
#include "model/load.h"
#include "support/gl_context.h"
#include "support/gltf_fixtures.h"
#include "support/image_files.h"
#include "support/test_files.h"

namespace {

constexpr float kUnit = 1 / 0.0254f;  // game units a metre

using writers::GltfBuilder;

// The game's place of a point of glTF's axes: x is glTF's z, y its x, z its y.
std::vector<float> Game(float x, float y, float z)
{
    return {z * kUnit, x * kUnit, y * kUnit};
}

std::vector<float> Vertex(const ModelObject& model, int part, int frame, int vertex)
{
    std::vector<float> positions, normals;
    PoseFrame(model.drawn->parts[part], frame, true, positions, normals);
    return {positions[3 * vertex], positions[3 * vertex + 1], positions[3 * vertex + 2]};
}

void ExpectNear(const std::vector<float>& got, const std::vector<float>& wanted, const std::string& what)
{
    ASSERT_EQ(got.size(), wanted.size()) << what;
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], wanted[i], 1e-3) << what << " [" << i << "]";
}

struct Case {
    const char* name;
    GltfBuilder (*make)();
    void (*check)(const ModelObject& model);
};

const Case kCases[] = {
    {"morph", MorphGltf,
     [](const ModelObject& model) {
         ASSERT_EQ(model.numFrames, 3);
         EXPECT_STREQ(model.frameNames[2].text, "rise3");
         for (int frame = 0; frame < 3; ++frame)
             ExpectNear(Vertex(model, 0, frame, 1), Game(1, 0, frame == 0 ? 0 : frame == 1 ? 1 : 0.5f), "rise");
     }},
    {"skinned", SkinnedGltf,
     [](const ModelObject& model) {
         ASSERT_TRUE(model.drawn->skeleton);
         EXPECT_EQ(model.drawn->skeleton->joints.size(), 2u);
         ASSERT_EQ(model.numFrames, 9);  // three keys each: 0, 0.5 and 2 s
         const float atHalf[3] = {0.5f, 0, 2 * 0.15625f};  // linear, step, cubic (flat tangents) at a quarter
         for (int a = 0; a < 3; ++a) {
             ExpectNear(Vertex(model, 0, 3 * a + 1, 1), Game(1 + atHalf[a], 0, 0), model.frameNames[3 * a + 1].text);
             ExpectNear(Vertex(model, 0, 3 * a + 2, 1), Game(3, 0, 0), model.frameNames[3 * a + 2].text);
         }
     }},
    {"nested", NestedGltf,
     [](const ModelObject& model) {
         // (1, 0, 0) turned a quarter about y is (0, 0, -1); doubled, lifted 1 m.
         ExpectNear(Vertex(model, 0, 0, 1), Game(0, 1, -2), "nested");
         ASSERT_EQ(model.drawn->tagCount, 1);
         EXPECT_EQ(model.drawn->tags[0].name, "tag_top");
         ExpectNear(std::vector<float>(model.drawn->tags[0].origin, model.drawn->tags[0].origin + 3), Game(0, 1, -2),
                    "tag");
     }},
    {"quantized", QuantizedGltf,
     [](const ModelObject& model) {
         ExpectNear(Vertex(model, 0, 0, 2), Game(0, 1, 0.5f), "short positions scaled by the node");
         EXPECT_STREQ(model.frameNames[0].text, "lifted");
     }},
};

}  // namespace

TEST(GltfModels, EveryFeatureIsReadAsTheFileSays)
{
    TempDir dir;
    for (const Case& c : kCases) {
        GltfBuilder built = c.make();
        for (bool binary : {true, false}) {
            std::string path = binary ? dir.Write(std::string(c.name) + ".glb", built.Glb())
                                      : dir.Write(std::string(c.name) + ".gltf", Text(built.Json()));
            ErrorCapture errors;
            std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
            ASSERT_NE(model, nullptr) << path << errors.Text();
            c.check(*model);
        }
    }
}

// Three materials: a PNG in the buffer, one beside the .gltf, one a data:
// URI; a fourth a colour alone; variants as skin sets.
TEST(GltfModels, MaterialsAreTheLooksAndVariantsTheSkins)
{
    TempDir dir;
    GltfBuilder b;
    auto png = [](uint8_t r, uint8_t g, uint8_t bl) {
        std::vector<uint8_t> rgb;
        for (int i = 0; i < 4; ++i)
            rgb.insert(rgb.end(), {r, g, bl});
        return EncodePng(2, 2, rgb);
    };
    dir.Write("beside.png", png(0, 255, 0));
    std::vector<int> materials = {b.Material("red", {1, 1, 1, 1}, png(255, 0, 0), "buffer"),
                                  b.Material("green", {1, 1, 1, 1}, png(0, 255, 0), "beside.png"),
                                  b.Material("blue", {1, 1, 1, 1}, png(0, 0, 255), "data"),
                                  b.Material("yellow", {1, 1, 0, 1})};
    std::vector<tinygltf::Primitive> primitives;
    for (int m : materials)
        primitives.push_back(b.Triangles(kTriangle, {0, 1, 2}, {0, 0, 1, 0, 0, 1}, m));
    tinygltf::Value::Object mapping;
    mapping["material"] = tinygltf::Value(materials[3]);
    mapping["variants"] = tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(1)});
    tinygltf::Value::Object onPrimitive;
    onPrimitive["mappings"] = tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(mapping)});
    primitives[0].extensions["KHR_materials_variants"] = tinygltf::Value(onPrimitive);
    tinygltf::Value::Array variants;
    for (const char* name : {"plain", "gold"})
        variants.push_back(tinygltf::Value(tinygltf::Value::Object{{"name", tinygltf::Value(std::string(name))}}));
    b.gltf.extensions["KHR_materials_variants"] =
        tinygltf::Value(tinygltf::Value::Object{{"variants", tinygltf::Value(variants)}});
    b.Node("four", b.Mesh("four", primitives));
    dir.Write("four.bin", std::vector<uint8_t>(b.gltf.buffers[0].data.begin(), b.gltf.buffers[0].data.end()));
    std::string path = dir.Write("four.gltf", Text(b.Json("four.bin")));
    std::unique_ptr<ModelObject> model = LoadModelFile("test", path.c_str());
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->numSkins, 2);
    EXPECT_STREQ(model->skins[1].name, "gold");
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    for (int part = 0; part < 4; ++part) {
        const RgbImage& picture = model->skinPictures[model->skins[0].partPictures[part]];
        EXPECT_EQ(std::vector<uint8_t>(picture.rgb.begin(), picture.rgb.begin() + 3),
                  std::vector<uint8_t>(colours[part], colours[part] + 3))
            << part;
    }
    EXPECT_EQ(model->skins[1].partPictures[0], model->skins[0].partPictures[3]);  // gold: the red part is yellow
}

// Hostile files: each refused with a report, nothing read but the folder's own.
TEST(GltfModels, HostileFilesAreRefusedAndReadNothingOutsideTheirFolder)
{
    TempDir dir;
    GltfBuilder good = MorphGltf();
    std::vector<uint8_t> glb = good.Glb();
    std::string json = good.Json("morph.bin");
    auto with = [&json](const std::string& from, const std::string& to) {
        std::string text = json;
        size_t at = text.find(from);
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    std::vector<uint8_t> longChunk = glb;
    longChunk[12] = 0xFF, longChunk[13] = 0xFF;  // the JSON chunk's length far past the file
    const struct {
        std::string name;
        std::vector<uint8_t> bytes;
        const char* report;
    } cases[] = {
        {"passwd.gltf", Text(with("\"morph.bin\"", "\"/etc/passwd\"")), "is an absolute path"},
        {"up.gltf", Text(with("\"morph.bin\"", "\"../../x.bin\"")), "climbs out of the model's folder"},
        {"shell.gltf", Text(with("\"morph.bin\"", "\"$(touch pwned).bin\"")), "ReadGltf: "},
        {"scheme.gltf", Text(with("\"morph.bin\"", "\"file:///etc/passwd\"")), "names a scheme other than data:"},
        {"offset.gltf", Text(with("\"buffer\": 0", "\"buffer\": 0, \"byteOffset\": 999999")), "runs past"},
        {"count.gltf", Text(with("\"count\": 3", "\"count\": 2147483648")), "ReadGltf: "},
        {"stride.gltf", Text(with("\"byteLength\": 36", "\"byteLength\": 36, \"byteStride\": 4")),
         "is smaller than its element"},
        {"chunk.glb", longChunk, "runs past the"},
        {"deep.gltf", Text(std::string(10000, '[') + std::string(10000, ']')), "nests deeper than 64"},
    };
    dir.Write("morph.bin", std::vector<uint8_t>(good.gltf.buffers[0].data.begin(), good.gltf.buffers[0].data.end()));
    for (const auto& c : cases) {
        ErrorCapture errors;
        std::string path = dir.Write(c.name, c.bytes);
        EXPECT_EQ(LoadModelFile("test", path.c_str()), nullptr) << c.name;
        EXPECT_TRUE(errors.Has(c.report)) << c.name << ": " << errors.Text();
    }
    EXPECT_FALSE(FileExists(dir.Path("pwned")));
    EXPECT_FALSE(FileExists("pwned"));

    GltfBuilder skinned = SkinnedGltf();  // a joint index past the skin's two
    std::vector<float> joints(12, 0);
    joints[4] = 7;
    skinned.gltf.meshes[0].primitives[0].attributes["JOINTS_0"] =
        skinned.Integers(joints, TINYGLTF_TYPE_VEC4, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, false);
    ErrorCapture errors;
    EXPECT_EQ(LoadModelFile("test", dir.Write("joint.glb", skinned.Glb()).c_str()), nullptr);
    EXPECT_TRUE(errors.Has("names joint 7 of a skin of 2")) << errors.Text();
}
