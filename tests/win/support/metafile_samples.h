#pragma once
// Metafiles for the Windows tests: a placeable WMF written byte by byte and
// an EMF recorded by the GDI itself.
#include <windows.h>

#include <string>

namespace qlry::wintest {

// A placeable WMF, box (0, 0)-(1440, 720) at 1440 units per inch, whose
// left half is a red rectangle without outline.
std::string PlaceableWmfWithRedLeftHalf();

// An EMF recorded against the screen: a blue rectangle at (10, 20)-(110, 70)
// and a green one at (150, 80)-(210, 120), in device units.
std::string EmfWithTwoRectangles();

// An EMF whose drawing spans (0, 0)-(width, height) device units.
std::string EmfOfSize(int width, int height);

}  // namespace qlry::wintest
