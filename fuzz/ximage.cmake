# Image library fuzz targets: BMP files and clipboard bitmap blocks.
# Sources are spelt from the top: the function runs in fuzz/, the corpus paths are taken from the top.
qlry_add_fuzzer(ximage_bmp
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_bmp_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_bmp)
qlry_add_fuzzer(ximage_dib
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_dib_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_dib)
