#pragma once

#include <QRect>
#include <QSize>

// Layouts are given in twips; 15 twips are one logical pixel.
namespace Twips {

inline constexpr int kPerPixel = 15;

int toPixels(int twips);
int fromPixels(int pixels);
QRect rect(int left, int top, int width, int height);
QSize size(int width, int height);

} // namespace Twips
