// The texture library's version, for programs that link it.
extern const char* const kTovtexVersion;
const char* const kTovtexVersion = "0.2";
