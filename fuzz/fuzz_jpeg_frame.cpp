// Feeds arbitrary bytes to the JPEG frame reader that decides whether a file's own bytes
// can go into a PDF, and checks what the PDF pages rely on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "layout/PdfPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const JpegFrame f = ReadJpegFrame(bytes);
    Check(!f.ok || (f.width > 0 && f.height > 0 && f.width <= 65535 && f.height <= 65535 &&
                    (f.components == 1 || f.components == 3)));
    return 0;
}
