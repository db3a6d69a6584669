// The platform's own message box: its text (fonts, wrapping) and its modal
// loop, driven with SDL events on the dummy video driver's windows.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "box_text.h"
#include "message_queue.h"
#include "own_message_box.h"
#include "platform_fixture.h"
#include "text_wrap.h"
#include "window_registry.h"

namespace {

// U+xxxx of each character of a UTF-8 string.
std::u32string CodePoints(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        out.push_back(cp);
        i += length;
    }
    return out;
}

class OwnBoxText : public ::testing::Test {
protected:
    void SetUp() override {
        fonts_ = platform::OpenBoxFonts();
        ASSERT_NE(fonts_, nullptr) << "no TrueType font found through fontconfig";
    }
    platform::BoxFonts* fonts_ = nullptr;
};

TEST_F(OwnBoxText, StartUpFailureTextsAreDrawnWithRealGlyphs) {
    for (const std::string text : {"Direct3D の作成に失敗しました。", "Direct3D の初期化に失敗しました。", "テスト"}) {
        std::string joined;
        for (const platform::TextRun& run : platform::SplitRuns(*fonts_, text)) {
            for (const char32_t cp : CodePoints(run.text)) {
                EXPECT_NE(TTF_GlyphIsProvided32(run.font, cp), 0)
                    << "U+" << std::hex << static_cast<unsigned>(cp) << " would show as an empty box";
            }
            joined += run.text;
        }
        EXPECT_EQ(joined, text);
    }
    EXPECT_GT(platform::LineWidth(*fonts_, "の初期化"), 3 * platform::LineWidth(*fonts_, "i"));
}

TEST_F(OwnBoxText, WrapsAtSpacesAndBetweenJapaneseCharacters) {
    const int narrow = platform::LineWidth(*fonts_, "Direct3D の初期");
    struct Case {
        std::string text;
        int maxWidth;
        std::vector<std::string> lines;  // empty: check the rules only
    };
    const Case cases[] = {
        {"", 200, {""}},
        {"a\n\nb", 200, {"a", "", "b"}},
        {" tovlen bounce / version 0.2 \n by marl-ovin \n",
         1000,
         {" tovlen bounce / version 0.2 ", " by marl-ovin ", ""}},
        {"one two three", platform::LineWidth(*fonts_, "one two"), {"one two", "three"}},
        {"one two three", platform::LineWidth(*fonts_, "one two") - 1, {"one", "two", "three"}},
        {"Direct3D の初期化に失敗しました。", narrow, {}},
        {"supercalifragilisticexpialidocious", platform::LineWidth(*fonts_, "supercali"), {}},
        {"しました。しました。しました。", platform::LineWidth(*fonts_, "しました"), {}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = platform::WrapText(*fonts_, c.text, c.maxWidth);
        if (!c.lines.empty()) {
            EXPECT_EQ(lines, c.lines) << c.text;
            continue;
        }
        // Nothing lost, every line fits, and no line starts with a closing mark.
        std::string joined;
        for (const std::string& line : lines) {
            EXPECT_LE(platform::LineWidth(*fonts_, line), c.maxWidth) << line;
            EXPECT_FALSE(line.rfind("。", 0) == 0 || line.rfind("、", 0) == 0) << line;
            joined += line;
        }
        std::string expected = c.text;
        std::erase(expected, ' ');
        std::erase(joined, ' ');
        EXPECT_EQ(joined, expected);
        EXPECT_GT(lines.size(), 1u) << c.text;
    }
}

class OwnBoxWindow : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        owner_ = OpenWindow();
        ASSERT_NE(owner_, nullptr);
        box_.emplace();
    }

    void TearDown() override {
        box_.reset();
        PlatformTest::TearDown();
    }

    void Push(Uint32 type, SDL_Keycode key = 0, Uint16 mod = 0, bool repeat = false) {
        SDL_Event event{};
        event.type = type;
        event.key.type = type;
        event.key.windowID = SDL_GetWindowID(box_->Window());
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        event.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void Click(Uint32 type, int button) {
        const SDL_Rect& place = box_->Buttons()[button].place;
        SDL_Event event{};
        event.type = type;
        event.button.type = type;
        event.button.windowID = SDL_GetWindowID(box_->Window());
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = place.x + place.w / 2;
        event.button.y = place.y + place.h / 2;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void CloseBoxWindow() {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = SDL_GetWindowID(box_->Window());
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    std::optional<platform::OwnMessageBox> box_;
    HWND owner_ = nullptr;
};

TEST_F(OwnBoxWindow, KeysClicksAndTheCloseButtonChooseAsThePlatformsBoxDoes) {
    enum Step { RETURN, KP_ENTER, SPACE, ESCAPE, ALT_F4, TAB, RETURN_REPEAT, CLOSE, CLICK_OK, CLICK_CANCEL, DRAG };
    struct Case {
        UINT type;
        std::vector<Step> steps;
        int expected;  // 0: nothing chosen
    };
    const Case cases[] = {
        // clang-format off
        {MB_OK, {RETURN}, IDOK},
        {MB_OK, {KP_ENTER}, IDOK},
        {MB_OK, {SPACE}, IDOK},
        {MB_OK, {ESCAPE}, IDOK},
        {MB_OK, {CLOSE}, IDOK},
        {MB_OKCANCEL, {ESCAPE}, IDCANCEL},
        {MB_OKCANCEL, {ALT_F4}, IDCANCEL},
        {MB_OKCANCEL, {CLOSE}, IDCANCEL},
        {MB_OKCANCEL, {RETURN}, IDOK},
        {MB_OKCANCEL, {TAB, RETURN}, IDCANCEL},
        {MB_OKCANCEL, {CLICK_CANCEL}, IDCANCEL},
        {MB_OKCANCEL, {CLICK_OK}, IDOK},
        {MB_OKCANCEL, {DRAG}, 0},
        {MB_OK, {RETURN_REPEAT}, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(box_->Open(nullptr, "tovlen bounce", "text", c.type));
        for (const Step step : c.steps) {
            switch (step) {
            case RETURN: Push(SDL_KEYDOWN, SDLK_RETURN); break;
            case KP_ENTER: Push(SDL_KEYDOWN, SDLK_KP_ENTER); break;
            case SPACE: Push(SDL_KEYDOWN, SDLK_SPACE); break;
            case ESCAPE: Push(SDL_KEYDOWN, SDLK_ESCAPE); break;
            case ALT_F4: Push(SDL_KEYDOWN, SDLK_F4, KMOD_LALT); break;
            case TAB: Push(SDL_KEYDOWN, SDLK_TAB); break;
            case RETURN_REPEAT: Push(SDL_KEYDOWN, SDLK_RETURN, 0, true); break;
            case CLOSE: CloseBoxWindow(); break;
            case CLICK_OK: Click(SDL_MOUSEBUTTONDOWN, 0), Click(SDL_MOUSEBUTTONUP, 0); break;
            case CLICK_CANCEL: Click(SDL_MOUSEBUTTONDOWN, 1), Click(SDL_MOUSEBUTTONUP, 1); break;
            case DRAG: Click(SDL_MOUSEBUTTONDOWN, 0), Click(SDL_MOUSEBUTTONUP, 1); break;
            }
        }
        platform::DispatchWaitingMessages();
        EXPECT_EQ(box_->Result(), c.expected) << "case " << (&c - cases);
        // The box's events became no messages for the program's window.
        for (const Received& received : Log()) {
            EXPECT_NE(received.message, static_cast<UINT>(WM_CLOSE));
            EXPECT_NE(received.message, static_cast<UINT>(WM_KEYDOWN));
        }
        box_.emplace();
        platform::DispatchWaitingMessages();
        Log().clear();
    }
}

TEST_F(OwnBoxWindow, WhileOpenTheOwnersMessagesAreDispatchedAndKeysTracked) {
    ASSERT_TRUE(box_->Open(platform::SdlWindowFromHwnd(owner_), "tovlen bounce", "text", MB_OK));
    Log().clear();
    platform_testing::PostCloseMessage(owner_);
    Push(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_EQ(box_->Run(), IDOK);
    EXPECT_EQ(box_->Window(), nullptr);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_CLOSE));
    // The key went to the box, and GetKeyState saw it as the box's thread does.
    EXPECT_LT(GetKeyState(VK_RETURN), 0);
}

TEST_F(OwnBoxWindow, DrawsTheCaptionTheTextAndTheButton) {
    ASSERT_TRUE(box_->Open(nullptr, "tovlen bounce", " [ FPS : 33 / LOOP : 33 / SKIP : 0 ] \n", MB_OK));
    EXPECT_EQ(box_->Lines(), (std::vector<std::string>{" [ FPS : 33 / LOOP : 33 / SKIP : 0 ] ", ""}));
    box_->Draw();
    SDL_Surface* surface = SDL_GetWindowSurface(box_->Window());
    if (surface == nullptr) {
        GTEST_SKIP() << "the video driver offers no window surface";
    }
    ASSERT_EQ(SDL_LockSurface(surface), 0);
    // Dark text pixels on the light body between the title band and the button.
    const SDL_Rect& button = box_->Buttons()[0].place;
    int dark = 0;
    int light = 0;
    for (int y = button.y / 3; y < button.y - 4; ++y) {
        for (int x = 4; x < surface->w - 4; ++x) {
            Uint32 value = 0;
            std::memcpy(
                &value,
                static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * surface->format->BytesPerPixel,
                surface->format->BytesPerPixel);
            Uint8 r, g, b;
            SDL_GetRGB(value, surface->format, &r, &g, &b);
            dark += r + g + b < 200 ? 1 : 0;
            light += r + g + b > 600 ? 1 : 0;
        }
    }
    SDL_UnlockSurface(surface);
    EXPECT_GT(dark, 150);
    EXPECT_GT(light, dark);
}

}  // namespace
