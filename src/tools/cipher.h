// The .qs1 cipher: quest characters mirrored within codes 32..255 so the file does not read as text.
#pragma once

#include <string>
#include <string_view>

#include "tools/quest_files.h"

namespace tarvik::tools {

// Codes 32..255 become 287 - code (32 <-> 255, 33 <-> 254 ...); codes 0..31 stay. Its own inverse: the same
// call enciphers a plain quest and deciphers a .qs1 one. Bytes are code page 1251 characters.
std::string QuestCipher(std::string_view text);

// The whole .qs1 file for a plain quest file's bytes: every line (split at CR LF, or at a lone LF as quests
// written on Linux have) enciphered and followed by CR LF, then one more CR LF. An empty file gives CR LF.
std::string EncipherQuestFile(std::string_view plainBytes);

// The cipher dialog's and `tarvik-cli encipher`'s writer: reads the plain quest at `questPath` (UTF-8 file
// system path), writes EncipherQuestFile of it to SiblingPath(questPath, "qs1"), replacing any file there.
WriteResult WriteCipheredQuest(const std::string& questPath);

}  // namespace tarvik::tools
