#pragma once
// A file being loaded is held in memory as a whole; once its picture is
// decoded into memory of its own, the file's bytes are no longer needed and
// giving them back early lowers the peak of the load by the file's size.

#include "texload/image.h"
#include "texload/mapped_file.h"

namespace tovtex {

// True when some level or face of the image points into the file's bytes.
bool BorrowsPixels(const Image& image);

// Closes the file (when there is one) unless the image borrows from it.
void CloseFileUnlessBorrowed(const Image& image, MappedFile* file);

}  // namespace tovtex
