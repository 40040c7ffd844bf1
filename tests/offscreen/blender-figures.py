# blender -b --python blender-figures.py -- FOLDER: makes two models as a
# modder would and writes them with Blender's own glTF exporter:
#   FOLDER/figure.glb  a column skinned on two bones, two actions ("Wave",
#                      "Bow") each on its own NLA track
#   FOLDER/shapes.glb  a box with two shape keys, one action ("Grow")
# both wearing a picture, red above and blue below; and beside each,
# NAME.poses: a line per frame of each action, "ACTION FRAME x y z ...", the
# vertices where Blender itself puts them.
import os
import sys

import numpy
numpy.bool = bool  # Blender 3.4's glTF exporter still asks numpy for it

import bpy

folder = sys.argv[-1]


def picture():
    image = bpy.data.images.new("redblue", 8, 8)
    pixels = []
    for y in range(8):
        colour = (0.9, 0.05, 0.05, 1) if y >= 4 else (0.05, 0.05, 0.9, 1)
        pixels += colour * 8
    image.pixels = pixels
    image.pack()
    material = bpy.data.materials.new("paint")
    material.use_nodes = True
    texture = material.node_tree.nodes.new("ShaderNodeTexImage")
    texture.image = image
    shader = material.node_tree.nodes["Principled BSDF"]
    material.node_tree.links.new(texture.outputs["Color"], shader.inputs["Base Color"])
    return material


def painted_box(name, height):
    bpy.ops.mesh.primitive_cube_add(size=1)
    box = bpy.context.object
    box.name = name
    box.scale = (0.3, 0.3, height)
    bpy.ops.object.transform_apply(scale=True)
    bpy.ops.object.mode_set(mode="EDIT")
    bpy.ops.mesh.subdivide(number_cuts=3)
    bpy.ops.uv.cube_project()
    bpy.ops.object.mode_set(mode="OBJECT")
    # Each face's picture by its height: red above the middle, blue below.
    uv = box.data.uv_layers.active.data
    for polygon in box.data.polygons:
        v = 0.75 if polygon.center.z > 0 else 0.25
        for loop in polygon.loop_indices:
            uv[loop].uv = (0.5, v)
    box.data.materials.append(picture())
    return box


def key(thing, path, frame, value, index=-1):
    setattr(thing, path, value) if index < 0 else getattr(thing, path).__setitem__(index, value)
    thing.keyframe_insert(data_path=path, frame=frame, index=index)


def on_track(owner, action):
    track = owner.animation_data.nla_tracks.new()
    track.name = action.name
    track.strips.new(action.name, 1, action)
    owner.animation_data.action = None


def export(path):
    bpy.ops.export_scene.gltf(filepath=os.path.join(folder, path), export_format="GLB", export_animations=True,
                              export_nla_strips=True)


def write_poses(mesh, owner, actions, path):
    for track in owner.nla_tracks:
        track.mute = True
    scene = bpy.context.scene
    with open(os.path.join(folder, path), "w") as out:
        for action in actions:
            owner.action = action
            for frame in range(int(action.frame_range[0]), int(action.frame_range[1]) + 1):
                scene.frame_set(frame)
                evaluated = mesh.evaluated_get(bpy.context.evaluated_depsgraph_get())
                points = [mesh.matrix_world @ v.co for v in evaluated.to_mesh().vertices]
                out.write("%s %d %s\n" % (action.name, frame, " ".join("%.5f %.5f %.5f" % tuple(p) for p in points)))
                evaluated.to_mesh_clear()


def figure():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    column = painted_box("column", 2)
    bpy.ops.object.armature_add(location=(0, 0, -1))
    rig = bpy.context.object
    rig.name = "rig"
    bpy.ops.object.mode_set(mode="EDIT")
    lower = rig.data.edit_bones[0]
    lower.name, lower.head, lower.tail = "lower", (0, 0, 0), (0, 0, 1)
    upper = rig.data.edit_bones.new("upper")
    upper.head, upper.tail, upper.parent = (0, 0, 1), (0, 0, 2), lower
    bpy.ops.object.mode_set(mode="OBJECT")
    column.select_set(True)
    rig.select_set(True)
    bpy.context.view_layer.objects.active = rig
    bpy.ops.object.parent_set(type="ARMATURE_AUTO")
    rig.animation_data_create()
    bone = rig.pose.bones["upper"]
    bone.rotation_mode = "XYZ"
    for name, axis in (("Wave", 0), ("Bow", 1)):
        rig.animation_data.action = bpy.data.actions.new(name)
        for frame, angle in ((1, 0.0), (10, 0.8), (20, 0.0)):
            key(bone, "rotation_euler", frame, angle, axis)
        on_track(rig, rig.animation_data.action)
    export("figure.glb")
    write_poses(column, rig.animation_data, [bpy.data.actions[n] for n in ("Wave", "Bow")], "figure.poses")


def shapes():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    box = painted_box("box", 1)
    box.shape_key_add(name="Basis")
    for name, scale in (("Tall", (1, 1, 2)), ("Wide", (2, 2, 1))):
        block = box.shape_key_add(name=name)
        for point in block.data:
            point.co = (point.co.x * scale[0], point.co.y * scale[1], point.co.z * scale[2])
    keys = box.data.shape_keys
    keys.animation_data_create()
    keys.animation_data.action = bpy.data.actions.new("Grow")
    for frame, tall, wide in ((1, 0.0, 0.0), (10, 1.0, 0.0), (20, 0.0, 1.0)):
        key(keys.key_blocks["Tall"], "value", frame, tall)
        key(keys.key_blocks["Wide"], "value", frame, wide)
    on_track(keys, keys.animation_data.action)
    export("shapes.glb")
    write_poses(box, keys.animation_data, [keys.animation_data.action or bpy.data.actions["Grow"]], "shapes.poses")


figure()
shapes()
