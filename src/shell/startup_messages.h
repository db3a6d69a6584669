#pragma once
// The two fatal start-up messages, in Shift-JIS (code page 932) for the ANSI
// message box.

// "Direct3D の作成に失敗しました。"
inline constexpr char MESSAGE_DIRECT3D_CREATE_FAILED[] =
    "Direct3D \x82\xcc\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

// "Direct3D の初期化に失敗しました。"
inline constexpr char MESSAGE_DEVICE_CREATE_FAILED[] =
    "Direct3D \x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

// Captions of the two boxes.
inline constexpr char CAPTION_DIRECT3D_CREATE_FAILED[] = "Base";
inline constexpr char CAPTION_DEVICE_CREATE_FAILED[] = "tovlen bounce";
