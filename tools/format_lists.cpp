// tarnivel-format-lists: the installed files that list the model formats,
// made from the table of formats at build time so they never fall out of
// step with what the viewer reads.
//   tarnivel-format-lists TEMPLATE OUTPUT   a template's @MODEL_...@ words replaced
//   tarnivel-format-lists --mime-xml OUTPUT the shared-mime-info package
//   tarnivel-format-lists --mime-types      the MIME types, one a line
//   tarnivel-format-lists --own-mime-types  those the system does not already define
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "model/model_formats.h"

namespace {

std::vector<std::string> Extensions(const ModelFormat& format)
{
    std::vector<std::string> all;
    for (const char* const* own = format.extensions; own < std::end(format.extensions) && *own; ++own)
        all.push_back(*own);
    return all;
}

// "a, b and c"
std::string Listed(const std::vector<std::string>& items)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
}

std::string Joined(std::string (*each)(const ModelFormat&), const char* between = "")
{
    std::string text;
    for (const ModelFormat* format : kModelFormats)
        text += each(*format) + between;
    return text;
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : std::string(1, c);
    return out;
}

std::string MimeXml()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const ModelFormat* format : kModelFormats) {
        if (format->systemMime)
            continue;  // shared-mime-info defines it
        xml += std::string("  <mime-type type=\"") + format->mimeType + "\">\n";
        xml += "    <comment>" + XmlEscaped(format->description) + "</comment>\n";
        if (format->text)
            xml += "    <sub-class-of type=\"text/plain\"/>\n";
        if (format->magic)
            xml += std::string("    <magic priority=\"") + (format->text ? "50" : "60") +
                   "\">\n      <match type=\"string\" offset=\"0\" value=\"" + XmlEscaped(format->magic) +
                   "\"/>\n    </magic>\n";
        for (const std::string& extension : Extensions(*format))
            xml += "    <glob pattern=\"*." + extension + "\"/>\n";
        xml += "  </mime-type>\n";
    }
    return xml + "</mime-info>\n";
}

std::string Replaced(std::string text)
{
    std::vector<std::string> roffTypes, roffFormats, plainFormats;
    for (const ModelFormat* format : kModelFormats) {
        std::vector<std::string> roff, plain;
        for (const std::string& extension : Extensions(*format)) {
            roff.push_back("\\fI." + extension + "\\fR");
            plain.push_back("." + extension);
        }
        roffTypes.push_back(std::string("\\fI") + format->mimeType + "\\fR");
        roffFormats.push_back(std::string(format->description) + " (" + Listed(roff) + ")");
        plainFormats.push_back(std::string(format->description) + " (" + Listed(plain) + ")");
    }
    const std::pair<std::string, std::string> words[] = {
        {"@MODEL_MIME_TYPES@", Joined([](const ModelFormat& f) { return std::string(f.mimeType); }, ";")},
        {"@MODEL_KEYWORDS@", Joined([](const ModelFormat& f) {
             std::string key = f.key;
             for (char& c : key)
                 c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
             return key;
         }, ";")},
        {"@MODEL_MEDIATYPES@", Joined([](const ModelFormat& f) {
             return "    <mediatype>" + std::string(f.mimeType) + "</mediatype>";
         }, "\n")},
        {"@MODEL_MIME_TYPES_ROFF@", Listed(roffTypes)},
        {"@MODEL_FORMATS_ROFF@", Listed(roffFormats)},
        {"@MODEL_FORMATS_TEXT@", XmlEscaped(Listed(plainFormats))},
    };
    for (const auto& word : words)
        for (size_t at = text.find(word.first); at != std::string::npos; at = text.find(word.first, at))
            text.replace(at, word.first.size(), word.second), at += word.second.size();
    return text;
}

bool Write(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--mime-types" || first == "--own-mime-types")) {
        for (const ModelFormat* format : kModelFormats)
            if (first == "--mime-types" || !format->systemMime)
                printf("%s\n", format->mimeType);
        return 0;
    }
    if (argc == 3 && first == "--mime-xml")
        return Write(argv[2], MimeXml()) ? 0 : 1;
    if (argc == 3) {
        std::ifstream in(first, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (!in)
            return fprintf(stderr, "tarnivel-format-lists: cannot read %s\n", first.c_str()), 1;
        return Write(argv[2], Replaced(text.str())) ? 0 : 1;
    }
    fprintf(stderr, "usage: tarnivel-format-lists TEMPLATE OUTPUT | --mime-xml OUTPUT | --mime-types | "
            "--own-mime-types\n");
    return 2;
}
