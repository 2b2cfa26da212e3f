# PNG files through the image library's libpng adapter.
qlry_add_fuzzer(ximage_png
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_png_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_png)
