// Format text, general information text and tags of the open module.
#include "players/player_archive.h"
#include "plugin/info_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "amigaos/text.h"
#include "machine/amiga_machine.h"
#include "players/slave_player.h"
#include "session/song.h"
#include "plugin/entries.h"
#include "plugin/plugin_instance.h"

namespace varno {

namespace {

AmigaMachine* machineOf() {
    PluginInstance* plugin = pluginInstance();
    return plugin ? plugin->machine : nullptr;
}

// The song record the machine plays: there whenever the machine is.
const Song& songOf() { return *pluginInstance()->song; }

template <typename... Args>
void appendFormat(std::string& out, const char* format, Args... args) {
    char line[768];
    std::snprintf(line, sizeof line, format, args...);
    out += line;
}

// What the player reports of the song, after the lines above: the author, the
// song's message, the counts, and the sample names (numbered from 1 in the song's
// order; empty ones skipped, as trackers leave most slots unnamed). Texts are
// UTF-8 already (session/song_info.h). The message and the names stop short of
// a size that any host's text buffer holds.
constexpr size_t kMaxText = 8192;
constexpr size_t kMaxFormatText = 64;

// A value of several lines: each line after the first continues the label's
// value, as the information window indents it. Lines past the size limit are
// left out, and the label with them when not even its first line fits.
void appendLines(std::string& out, const char* label, const std::string& text) {
    std::string lines = label;
    for (size_t from = 0; from <= text.size();) {
        const size_t end = std::min(text.find('\n', from), text.size());
        if (out.size() + lines.size() + (end - from) + 16 > kMaxText) break;
        lines.append("\t").append(text, from, end - from).append("\r");
        from = end + 1;
    }
    if (lines.back() == '\r') out += lines;
}

void appendSongInfo(std::string& out, const SongInfo& info) {
    if (!info.author.empty()) appendLines(out, "Author", info.author);
    if (!info.comment.empty()) appendLines(out, "Comment", info.comment);
    if (info.patterns >= 0) appendFormat(out, "Patterns\t%i\r", int(info.patterns));
    if (info.positions >= 0) appendFormat(out, "Positions\t%i\r", int(info.positions));
    const char* label = "Samples";
    for (size_t i = 0; i < info.sampleNames.size(); ++i) {
        if (info.sampleNames[i].empty()) continue;
        if (out.size() + info.sampleNames[i].size() + 16 > kMaxText) break;
        appendFormat(out, "%s\t%i. %s\r", label, int(i + 1), info.sampleNames[i].c_str());
        label = "";
    }
}

// A text field of the song's record, up to its NUL or its end.
template <size_t N>
std::string fieldText(const char (&field)[N]) {
    return std::string(field, std::find(field, field + N, '\0'));
}

} // namespace

void appendTag(AmigaMachine& m, const char* name, const char* value, char*& list, uint32_t& used) {
    const HostMemoryFunctions* memory = m.host ? m.host->memoryFunctions : nullptr;
    if (!memory || !memory->reallocate) return;
    const uint32_t nameBytes = uint32_t(std::strlen(name)) + 1;
    const uint32_t valueBytes = uint32_t(std::strlen(value)) + 1;
    auto* grown = static_cast<char*>(memory->reallocate(list, used + nameBytes + valueBytes + 1));
    if (!grown) return;
    list = grown;
    std::memcpy(list + used, name, nameBytes);
    std::memcpy(list + used + nameBytes, value, valueBytes);
    list[used + nameBytes + valueBytes] = 0;
    used += nameBytes + valueBytes;
}

std::string moduleTagPairs(const Song& song) {
    std::string pairs;
    const auto add = [&pairs](const char* name, const std::string& value) {
        if (value.empty()) return;
        pairs.append(name).push_back(0);
        pairs.append(value).push_back(0);
    };
    add("title", fieldText(song.songTitle));
    add("artist", song.songInfo.author);
    add("comment", song.songInfo.comment);
    add("filetype", fieldText(song.formatName));
    return pairs;
}

char* buildTagList(AmigaMachine& m, const std::string& pairs) {
    char* list = nullptr;
    uint32_t used = 0;
    for (size_t name = 0; name < pairs.size();) {
        const size_t value = pairs.find('\0', name) + 1;
        const size_t end = value ? pairs.find('\0', value) : std::string::npos;
        if (end == std::string::npos) break;
        appendTag(m, pairs.c_str() + name, pairs.c_str() + value, list, used);
        name = end + 1;
    }
    return list;
}

char* buildTags(AmigaMachine& m, const Song& song) { return buildTagList(m, moduleTagPairs(song)); }

char* buildFileTypeTag(AmigaMachine& m, const char* formatTag) {
    char* list = nullptr;
    uint32_t used = 0;
    if (formatTag && formatTag[0]) appendTag(m, "filetype", formatTag, list, used);
    return list;
}

namespace entries {

void VARNO_HOSTAPI getInfoText(char* format, char*) {
    const AmigaMachine* m = machineOf();
    if (!format || !m || !currentPlayer(*m, songOf())) return;
    const SongInfo& info = songOf().songInfo;
    const std::string voices = " - " + std::to_string(info.voices) + "ch";
    // The host's buffer for this text is small: a long format name is cut, at a character.
    size_t n = std::min(info.formatTitle.size(), kMaxFormatText - 1 - voices.size());
    while (n > 0 && n < info.formatTitle.size() && (static_cast<unsigned char>(info.formatTitle[n]) & 0xC0) == 0x80) --n;
    const std::string text = info.formatTitle.substr(0, n) + voices;
    std::memcpy(format, text.c_str(), text.size() + 1);
}

void VARNO_HOSTAPI getGeneralInfo(char* text) {
    AmigaMachine* m = machineOf();
    if (!text) return;
    text[0] = 0;
    const SlavePlayer* player = m ? currentPlayer(*m, songOf()) : nullptr;
    if (!player) return;
    const Song& song = songOf();
    std::string out;
    appendFormat(out, "Format\tVARNO/%s\r", song.formatName);
    appendFormat(out, "Player\t%s\r", amigaText(player->playerName ? player->playerName : "").c_str());
    // The creator text comes shaped for this window (players/slave_player.h).
    if (player->creatorText) out.append("Creator\t").append(latin1ToUtf8(player->creatorText)).append("\r");
    appendFormat(out, "Channels\t%i\r", int(song.songInfo.voices));
    const PluginInstance* plugin = pluginInstance();
    if (!(plugin && plugin->singleSubsong) && song.subsongCount >= 2) {
        appendFormat(out, "Subsongs\t%i\rSongs", int(song.subsongCount));
        for (uint32_t i = song.firstSubsong; i < song.firstSubsong + song.subsongCount && i < kMaxSubsongs; ++i) {
            const int k = int(i - song.firstSubsong + 1);
            const char* marker = i == song.currentSubsong ? " [playing]" : "";
            if (song.subsongSeconds[i] == 0) {
                appendFormat(out, "\t%i. (\?\?\?)%s\r", k, marker);
            } else {
                const int s = int(song.subsongSeconds[i]);
                appendFormat(out, "\t%i. %i:%02i%s\r", k, s / 60, s % 60, marker);
            }
        }
    }
    appendSongInfo(out, song.songInfo);
    std::memcpy(text, out.c_str(), out.size() + 1);
}

char* VARNO_HOSTAPI getTags() {
    AmigaMachine* m = machineOf();
    return m && currentPlayer(*m, songOf()) ? buildTags(*m, songOf()) : nullptr;
}

void VARNO_HOSTAPI getMessage(char* text) {
    if (text) text[0] = 0;
}

} // namespace entries

} // namespace varno
