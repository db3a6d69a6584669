#include "text_wrap.h"

#include <algorithm>

namespace platform {

namespace {

// Kana, kanji and their punctuation are written without spaces; a line may
// break around any of them.
bool IsWide(char32_t cp) {
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFFEF);
}

// Closing marks stay with the character before them.
bool StaysWithPrevious(char32_t cp) {
    static constexpr char32_t marks[] = {U'、', U'。', U'，', U'．', U'」', U'』', U'）', U'］', U'｝', U'】',
                                         U'〕', U'〉', U'》', U'！', U'？', U'ー', U'・', U'：', U'；', U'…'};
    return std::find(std::begin(marks), std::end(marks), cp) != std::end(marks);
}

void WrapParagraph(BoxFonts& fonts, std::string_view paragraph, int maxWidth, std::vector<std::string>& lines) {
    const std::vector<Utf8Char> chars = DecodeUtf8(paragraph);
    const size_t count = chars.size();
    auto slice = [&](size_t from, size_t to) {
        const size_t begin = from < count ? chars[from].begin : paragraph.size();
        const size_t end = to < count ? chars[to].begin : paragraph.size();
        return paragraph.substr(begin, end - begin);
    };
    if (count == 0) {
        lines.emplace_back();
        return;
    }
    size_t start = 0;
    while (start < count) {
        // A break leaves the line before breakEnd and starts the next at
        // breakResume (after the spaces it ate).
        bool canBreak = false;
        size_t breakEnd = 0;
        size_t breakResume = 0;
        size_t spacesFrom = start;
        size_t end = count;
        size_t resume = count;
        for (size_t i = start; i < count; ++i) {
            const char32_t cp = chars[i].cp;
            // Spaces may hang past the edge: a break there drops them.
            if (i > start && cp != U' ' && LineWidth(fonts, slice(start, i + 1)) > maxWidth) {
                end = canBreak ? breakEnd : i;
                resume = canBreak ? breakResume : i;
                break;
            }
            if (cp == U' ') {
                if (i == start || chars[i - 1].cp != U' ') {
                    spacesFrom = i;
                }
                if (spacesFrom > start) {
                    canBreak = true;
                    breakEnd = spacesFrom;
                    breakResume = i + 1;
                }
            } else if (i + 1 < count) {
                const char32_t next = chars[i + 1].cp;
                if ((IsWide(cp) || IsWide(next)) && next != U' ' && !StaysWithPrevious(next)) {
                    canBreak = true;
                    breakEnd = i + 1;
                    breakResume = i + 1;
                }
            }
        }
        lines.emplace_back(slice(start, end));
        start = resume;
    }
}

}  // namespace

std::vector<std::string> WrapText(BoxFonts& fonts, std::string_view text, int maxWidth) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (true) {
        const size_t newline = text.find('\n', from);
        WrapParagraph(fonts,
                      text.substr(from, newline == std::string_view::npos ? std::string_view::npos : newline - from),
                      maxWidth, lines);
        if (newline == std::string_view::npos) {
            break;
        }
        from = newline + 1;
    }
    return lines;
}

}  // namespace platform
