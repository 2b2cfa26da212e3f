# JPEG codec fuzz target: files through detection, the typed codec and the
# dimension probe, with the EXIF marker scan on the way.
qlry_add_fuzzer(ximage_jpeg
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_jpeg_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_jpeg)
