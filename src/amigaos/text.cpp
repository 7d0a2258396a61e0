#include "amigaos/text.h"

namespace varno {

namespace {

bool isControl(unsigned char c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

void trimEnd(std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
}

} // namespace

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char byte : latin1) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string amigaText(std::string_view latin1, TextLines lines) {
    std::string shown;
    shown.reserve(latin1.size());
    for (size_t i = 0; i < latin1.size(); ++i) {
        const char c = latin1[i];
        const bool lineBreak = c == '\n' || c == '\r';
        if (lineBreak && lines == TextLines::several) {
            // CR LF, LF and a lone CR all end a line.
            if (c == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n') ++i;
            trimEnd(shown);
            shown += '\n';
        } else {
            shown += isControl(static_cast<unsigned char>(c)) ? ' ' : c;
        }
    }
    trimEnd(shown);
    while (!shown.empty() && shown.back() == '\n') {
        shown.pop_back();
        trimEnd(shown);
    }
    return latin1ToUtf8(shown);
}

} // namespace varno
