#include "platform/names.h"

#include <algorithm>
#include <cstring>

namespace {

// The length of the valid UTF-8 sequence at text[i] (of more than one byte,
// shortest form, no surrogates, at most U+10FFFF); 0 when there is none.
size_t SequenceAt(const std::string& text, size_t i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char first = byte(i);
    size_t length = first >= 0xC2 && first <= 0xDF ? 2 : first >= 0xE0 && first <= 0xEF ? 3
                    : first >= 0xF0 && first <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    unsigned char second = byte(i + 1);
    if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second >= 0xA0) || (first == 0xF0 && second < 0x90) ||
        (first == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

}  // namespace

std::string AsText(const std::string& bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 || c == 0x7F) {
            text += '?';
            ++i;
        } else if (c < 0x80) {
            text += static_cast<char>(c);
            ++i;
        } else if (size_t length = SequenceAt(bytes, i)) {
            bool control = c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0;
            text.append(control ? std::string("?") : bytes.substr(i, length));
            i += length;
        } else if (c < 0xA0) {
            text += '?';  // Latin-1's control characters
            ++i;
        } else {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        }
    }
    return text;
}

std::string TextName(const char* bytes, size_t size)
{
    return AsText(std::string(bytes, strnlen(bytes, size)));
}

std::string FirstCharacters(const std::string& text, size_t characters)
{
    size_t end = 0;
    for (size_t count = 0; end < text.size() && count < characters; ++count)
        for (++end; end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;)
            ++end;
    return text.substr(0, end);
}

void CopyText(char* field, size_t size, const std::string& text)
{
    if (size == 0)
        return;
    size_t end = std::min(text.size(), size - 1);
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    memcpy(field, text.data(), end);
    field[end] = '\0';
}
