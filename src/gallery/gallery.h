#pragma once

#include <map>
#include <string>
#include <vector>

#include "gallery/gallery_entry.h"

// A folder of exported models as pages a browser shows: index.html with a
// thumbnail and the facts of each, searchable by name, and a page drawing
// any one with its animations to choose from (three.js, copied beside it).
// Where Debian's libjs-three keeps three.js.
extern const char* const kThreeFolder;

// The entries the folder's gallery holds from an earlier run, by name.
std::map<std::string, GalleryEntry> ReadGallery(const std::string& folder);

// Writes folder/index.html and folder/gallery/ (the entries' list, the
// model page, three.js); the thumbnails are gallery/NAME.png. False with
// the fault in error; the pages are written even when three.js is missing,
// which error then names.
bool WriteGallery(const std::string& folder, const std::vector<GalleryEntry>& entries, std::string& error);
