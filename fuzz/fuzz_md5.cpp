#include <cstdint>
#include <string>
#include <vector>

#include "formats/md5.h"
#include "model/md5_model.h"
#include "model/skeletal_load.h"
#include "pose_every_frame.h"

namespace {

// A mesh whose joints an animation can match: "root" and "child".
const char kMesh[] =
    "MD5Version 10\nnumJoints 2\nnumMeshes 1\njoints {\n\"root\" -1 ( 0 0 0 ) ( 0 0 0 )\n"
    "\"child\" 0 ( 10 0 0 ) ( 0 0 0.7071 )\n}\nmesh {\nshader \"s\"\nnumverts 3\nvert 0 ( 0 0 ) 0 1\n"
    "vert 1 ( 1 0 ) 1 2\nvert 2 ( 0 1 ) 3 1\nnumtris 1\ntri 0 0 1 2\nnumweights 4\nweight 0 0 1 ( 0 0 0 )\n"
    "weight 1 0 0.5 ( 5 0 0 )\nweight 2 1 0.5 ( 0 5 0 )\nweight 3 1 1 ( 0 0 5 )\n}\n";

}  // namespace

// An input starting "anim" is an .md5anim for a mesh of two joints, any
// other an .md5mesh; each is skinned and posed as the viewer poses it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    Reports reports;
    bool animation = text.compare(0, 4, "anim") == 0;
    std::unique_ptr<Md5MeshFile> mesh = ReadMd5Mesh(animation ? std::string(kMesh) : text, reports);
    if (!mesh)
        return 0;
    Skeleton skeleton = Md5Skeleton(*mesh);
    if (animation) {
        std::unique_ptr<Md5AnimFile> file = ReadMd5Anim(text.substr(4), reports);
        if (!file || !AddMd5Animation(skeleton, *file, "a", 0))
            return 0;
    }
    FinishSkeleton(skeleton);
    auto shared = std::make_shared<const Skeleton>(std::move(skeleton));
    PoseEveryFrame(SkeletalDrawn(Md5Parts(*mesh, shared, reports), shared, "", ""));
    return 0;
}
