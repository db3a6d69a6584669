#include "texload/file_release.h"

namespace tovtex {

bool BorrowsPixels(const Image& image) {
    for (const Image* face = &image; face != nullptr; face = face->nextFace) {
        for (const Image* level = face; level != nullptr; level = level->nextLevel) {
            if (level->pixels != nullptr && !level->ownsPixels) {
                return true;
            }
        }
    }
    return false;
}

void CloseFileUnlessBorrowed(const Image& image, MappedFile* file) {
    if (file != nullptr && !BorrowsPixels(image)) {
        file->Close();
    }
}

}  // namespace tovtex
