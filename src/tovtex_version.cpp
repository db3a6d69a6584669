// The texture library's version, for programs that link it.
extern const char* const TOVTEX_VERSION;
const char* const TOVTEX_VERSION = "0.2";
