#include "iconv_text.h"

#include <iconv.h>

#include <cerrno>

namespace platform {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
const char* const ICONV_UTF16 = "UTF-16BE";
#else
const char* const ICONV_UTF16 = "UTF-16LE";
#endif

namespace {

class IconvHandle {
public:
    IconvHandle(const char* toCode, const char* fromCode) : cd_(iconv_open(toCode, fromCode)) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

}  // namespace

bool IconvConvert(const char* toCode, const char* fromCode, std::string_view in, std::string& out,
                  const BadInputHandler& onBadInput) {
    IconvHandle cd(toCode, fromCode);
    if (!cd.valid()) {
        return false;
    }
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t result = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer, sizeof(buffer) - outLeft);
        if (result != static_cast<size_t>(-1)) {
            continue;
        }
        if (error == E2BIG) {
            continue;
        }
        if (error != EILSEQ && error != EINVAL) {
            return false;
        }
        BadInput bad = onBadInput(std::string_view(inPtr, inLeft));
        if (bad.skip == 0 || bad.skip > inLeft) {
            return false;
        }
        out += bad.replacement;
        inPtr += bad.skip;
        inLeft -= bad.skip;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state the target needs at the end.
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof(buffer) - outLeft);
    return true;
}

}  // namespace platform
