# blender -b --python blender-import.py -- FILE.glb: imports the file into an
# empty scene and prints its objects (type, parent, shape keys, bones) and actions.
import sys

import numpy
numpy.bool = bool  # Blender 3.4's glTF importer still asks numpy for it

import bpy

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=sys.argv[-1])
for thing in bpy.data.objects:
    keys = thing.data.shape_keys.key_blocks if thing.type == 'MESH' and thing.data.shape_keys else []
    bones = len(thing.data.bones) if thing.type == 'ARMATURE' else 0
    print("object", thing.name, thing.type, "parent", thing.parent.name if thing.parent else "-",
          "shape keys", len(keys), "bones", bones)
for action in bpy.data.actions:
    print("action", action.name)
