#pragma once

// Names read from files as text. The games keep a name as bytes, a C string
// of at most its field's length that no one checks: it may lack its NUL, hold
// bytes of another encoding, or be bytes that were never text. Every reader
// passes its names through here, so what leaves a reader is valid UTF-8.
#include <cstddef>
#include <string>

// The bytes up to the first NUL (and at most size of them) as text.
std::string TextName(const char* bytes, size_t size);
// The bytes as text: sequences of valid UTF-8 kept, any other byte taken as
// Latin-1 (as the games' own fonts show bytes past 127), control characters
// (Latin-1's too) shown as "?".
std::string AsText(const std::string& bytes);

// At most characters characters of the text, cut between two of them.
std::string FirstCharacters(const std::string& text, size_t characters);
// The text into a fixed field of size bytes, NUL-ended, cut between two characters.
void CopyText(char* field, size_t size, const std::string& text);
