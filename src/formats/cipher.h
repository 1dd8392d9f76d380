// The .qs1 cipher: quest characters mirrored within codes 32..255 so the file does not read as text.
#pragma once

#include <string>
#include <string_view>

namespace tarvik::formats {

// Codes 32..255 become 287 - code (32 <-> 255, 33 <-> 254 ...); codes 0..31 stay. Its own inverse: the same
// call enciphers a plain quest and deciphers a .qs1 one. Bytes are code page 1251 characters.
std::string QuestCipher(std::string_view text);
void QuestCipherInPlace(std::string& text);

// The whole .qs1 file for a plain quest file's bytes: every line (split at CR LF, or at a lone LF as quests
// written on Linux have) enciphered and followed by CR LF, then one more CR LF. An empty file gives CR LF.
std::string EncipherQuestFile(std::string_view plainBytes);

}  // namespace tarvik::formats
