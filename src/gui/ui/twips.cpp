#include "gui/ui/twips.h"

#include <cmath>

namespace Twips {

int toPixels(int twips)
{
    return int(std::lround(double(twips) / kPerPixel));
}

int fromPixels(int pixels)
{
    return pixels * kPerPixel;
}

QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

QSize size(int width, int height)
{
    return {toPixels(width), toPixels(height)};
}

} // namespace Twips
