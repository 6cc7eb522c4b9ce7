#include "loader/code_image.h"

#include <algorithm>

namespace zelo::loader {

int CodeImage::End() const
{
    for (int a = kCodeSpace; a > 0; --a)
        if (programmed[a - 1]) return a;
    return 0;
}

CodeImage CodeImageFromTask(std::string_view bytes)
{
    CodeImage image;
    const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), kCodeSpace));
    int a = 0;
    while (a < length) {
        const uint8_t byte = static_cast<uint8_t>(bytes[a]);
        if (byte != 0xFF) {
            image.Set(a, byte);
            ++a;
            continue;
        }
        int runEnd = a;
        while (runEnd < length && static_cast<uint8_t>(bytes[runEnd]) == 0xFF) ++runEnd;
        const bool unprogrammed = runEnd - a >= kUnprogrammedRun || runEnd == length;
        if (!unprogrammed)
            for (int k = a; k < runEnd; ++k) image.Set(k, 0xFF);
        a = runEnd;
    }
    return image;
}

}  // namespace zelo::loader
