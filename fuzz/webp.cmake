# WebP files through the image library's libwebp adapter.
qlry_add_fuzzer(ximage_webp
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_webp_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_webp)
