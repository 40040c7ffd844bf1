#pragma once

#include <string>
#include <vector>

#include "gallery/gallery_entry.h"

// gallery/view.html: the model named after its "#" drawn by three.js, its
// animations listed to play.
extern const char kModelPage[];

// index.html: a card a model, a search box filtering them by name (and
// ?search=TEXT doing so on opening).
std::string IndexPage(const std::vector<GalleryEntry>& entries);

// Text as HTML shows it (bytes that are not UTF-8 as Latin-1).
std::string EscapeHtml(const std::string& text);
// A path as a URL names it: every byte but letters, digits and "/-._~" as %XX.
std::string EscapeUrl(const std::string& path);
