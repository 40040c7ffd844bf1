#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/paths.h"

enum class ChooserKind { kOpen, kSave, kDirectory };
enum class ChooserResult { kChosen, kCancelled, kFailed };

constexpr int kChooserBufferSize = kMaxPath;

// Fills buffer (kChooserBufferSize characters) with the chosen path; a
// path it holds on the way in is the one proposed. Tests replace it.
using FileChooser = ChooserResult (*)(ChooserKind kind, const char* prompt, char* buffer);
extern FileChooser fileChooser;

// The filters zenity's open dialogs offer for models ("--file-filter=NAME
// PATTERNS"), set by whoever knows the formats; the skins' filter follows.
void SetModelFileFilters(std::vector<std::string> filters);

// zenity when it is installed and a display is set, else the console.
ChooserResult SystemFileChooser(ChooserKind kind, const char* prompt, char* buffer);
// Prints the prompt and reads one line; an empty line or end of input
// cancels, but an empty line takes a proposed path.
ChooserResult ConsoleFileChooser(ChooserKind kind, const char* prompt, char* buffer);
// The stream the console chooser and the capture prompts read.
extern FILE* consoleInput;

// True with a path that fits kChooserBufferSize in buffer.
bool GetFileOpenName(const char* prompt, char* buffer);
bool GetFileSaveName(const char* prompt, char* buffer);
// A save dialog proposing a path to take as it is.
bool GetFileSaveName(const char* prompt, const char* proposed, char* buffer);
// A directory, chosen by picking a file inside it; the caller cuts the path.
bool GetDirectoryName(const char* prompt, char* buffer);

// Picks one of an archive's members from a list (searchable in zenity; on
// the console a numbered list, answered by a number or a member path).
using MemberChooser = ChooserResult (*)(const char* prompt, const std::vector<std::string>& members,
                                        std::string& chosen);
extern MemberChooser memberChooser;
ChooserResult SystemMemberChooser(const char* prompt, const std::vector<std::string>& members, std::string& chosen);
ChooserResult ConsoleMemberChooser(const char* prompt, const std::vector<std::string>& members, std::string& chosen);
// True with a member chosen; prints the archive path of the choice.
bool GetArchiveMember(const char* prompt, const std::string& archive, const std::vector<std::string>& members,
                      std::string& chosen);
