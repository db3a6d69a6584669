#include "box_text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <new>
#include <set>

namespace platform {

namespace {

constexpr int POINT_SIZE = 15;
// Fonts looked up for characters the open ones lack, at most.
constexpr size_t MAX_FONTS = 8;

struct FontFile {
    std::string path;
    int index = 0;
};

// Fontconfig's configuration, loaded for a few lookups and let go: the
// library's implicit one is never freed whole.
class FontConfig {
public:
    FontConfig() : config_(FcInitLoadConfigAndFonts()) {}
    ~FontConfig() {
        if (config_ != nullptr) {
            FcConfigDestroy(config_);
        }
    }
    FontConfig(const FontConfig&) = delete;
    FontConfig& operator=(const FontConfig&) = delete;

    // The file fontconfig picks for a pattern; with a character, only a font
    // that has it.
    bool Match(const char* name, char32_t needed, FontFile& found);

private:
    FcConfig* config_;
};

bool FontConfig::Match(const char* name, char32_t needed, FontFile& found) {
    if (config_ == nullptr) {
        return false;
    }
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
    if (pattern == nullptr) {
        return false;
    }
    if (needed != 0) {
        FcCharSet* wanted = FcCharSetCreate();
        FcCharSetAddChar(wanted, needed);
        FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
        FcCharSetDestroy(wanted);
    }
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* path = nullptr;
    FcCharSet* has = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
              (needed == 0 ||
               (FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, needed)));
    if (ok) {
        found.path = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &found.index) != FcResultMatch) {
            found.index = 0;
        }
    }
    FcPatternDestroy(match);
    return ok;
}

}  // namespace

class BoxFonts {
public:
    bool Open() {
        FontConfig config;
        FontFile file;
        if (!config.Match("sans-serif", 0, file) || !Add(file)) {
            return false;
        }
        // Opened at once, so that every box has the same line height.
        if (config.Match("sans-serif:lang=ja", U'あ', file)) {
            Add(file);
        }
        return true;
    }

    TTF_Font* FontFor(char32_t cp) {
        for (TTF_Font* font : fonts_) {
            if (TTF_GlyphIsProvided32(font, cp) != 0) {
                return font;
            }
        }
        if (cp > 0x20 && fonts_.size() < MAX_FONTS && notFound_.count(cp) == 0) {
            FontFile file;
            if (FontConfig().Match("sans-serif:lang=ja", cp, file) && Add(file) &&
                TTF_GlyphIsProvided32(fonts_.back(), cp)) {
                return fonts_.back();
            }
            notFound_.insert(cp);
        }
        return fonts_.front();
    }

    int Ascent() const {
        int ascent = 0;
        for (TTF_Font* font : fonts_) {
            ascent = std::max(ascent, TTF_FontAscent(font));
        }
        return ascent;
    }

    int LineHeight() const {
        int descent = 0;
        int skip = 0;
        for (TTF_Font* font : fonts_) {
            descent = std::min(descent, TTF_FontDescent(font));
            skip = std::max(skip, TTF_FontLineSkip(font));
        }
        return std::max(skip, Ascent() - descent);
    }

private:
    bool Add(const FontFile& file) {
        for (const FontFile& open : files_) {
            if (open.path == file.path && open.index == file.index) {
                return false;
            }
        }
        TTF_Font* font = TTF_OpenFontIndex(file.path.c_str(), POINT_SIZE, file.index);
        if (font == nullptr) {
            return false;
        }
        fonts_.push_back(font);
        files_.push_back(file);
        return true;
    }

    std::vector<TTF_Font*> fonts_;
    std::vector<FontFile> files_;
    std::set<char32_t> notFound_;
};

std::vector<Utf8Char> DecodeUtf8(std::string_view text) {
    std::vector<Utf8Char> chars;
    size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        char32_t cp = 0xFFFD;
        size_t used = 1;
        if (length == 1) {
            cp = lead;
        } else if (length > 1 && at + length <= text.size()) {
            char32_t value = lead & (0x7F >> length);
            bool valid = true;
            for (size_t i = 1; i < length; ++i) {
                const auto next = static_cast<unsigned char>(text[at + i]);
                valid = valid && (next & 0xC0) == 0x80;
                value = (value << 6) | (next & 0x3F);
            }
            if (valid) {
                cp = value;
                used = length;
            }
        }
        chars.push_back({cp, at, at + used});
        at += used;
    }
    return chars;
}

BoxFonts* OpenBoxFonts() {
    // Kept for the process: boxes are few, and opening the fonts is the
    // slow part of showing one.
    static BoxFonts* const fonts = []() -> BoxFonts* {
        if (TTF_WasInit() == 0 && TTF_Init() != 0) {
            return nullptr;
        }
        auto* opened = new (std::nothrow) BoxFonts;
        if (opened != nullptr && !opened->Open()) {
            delete opened;
            opened = nullptr;
        }
        return opened;
    }();
    return fonts;
}

std::vector<TextRun> SplitRuns(BoxFonts& fonts, std::string_view line) {
    std::vector<TextRun> runs;
    for (const Utf8Char& c : DecodeUtf8(line)) {
        TTF_Font* font = fonts.FontFor(c.cp);
        // A malformed byte is drawn as the replacement character.
        const bool malformed = c.cp == 0xFFFD && c.end - c.begin == 1;
        const std::string_view bytes =
            malformed ? std::string_view("\xEF\xBF\xBD") : line.substr(c.begin, c.end - c.begin);
        if (runs.empty() || runs.back().font != font) {
            runs.push_back({font, std::string()});
        }
        runs.back().text.append(bytes);
    }
    return runs;
}

int LineWidth(BoxFonts& fonts, std::string_view line) {
    int width = 0;
    for (const TextRun& run : SplitRuns(fonts, line)) {
        int w = 0;
        int h = 0;
        if (TTF_SizeUTF8(run.font, run.text.c_str(), &w, &h) == 0) {
            width += w;
        }
    }
    return width;
}

int LineHeight(BoxFonts& fonts) {
    return fonts.LineHeight();
}

void DrawLine(BoxFonts& fonts, SDL_Surface* target, std::string_view line, int x, int y, SDL_Color colour) {
    const int baseline = y + fonts.Ascent();
    for (const TextRun& run : SplitRuns(fonts, line)) {
        int width = 0;
        int height = 0;
        if (run.text.empty() || TTF_SizeUTF8(run.font, run.text.c_str(), &width, &height) != 0) {
            continue;
        }
        if (SDL_Surface* glyphs = TTF_RenderUTF8_Blended(run.font, run.text.c_str(), colour)) {
            SDL_Rect place{x, baseline - TTF_FontAscent(run.font), glyphs->w, glyphs->h};
            SDL_BlitSurface(glyphs, nullptr, target, &place);
            SDL_FreeSurface(glyphs);
        }
        x += width;
    }
}

}  // namespace platform
