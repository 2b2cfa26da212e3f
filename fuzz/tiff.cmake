# TIFF files through the image library's libtiff adapter.
qlry_add_fuzzer(ximage_tiff
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_tiff_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_tiff)
